#pragma once

namespace orvella {

// The whole life of the program: single instance, splash, catalogue, the
// command-line switches, the main window and its event loop, and the end.
// Returns the process exit status.
int runOrvella(int argc, char** argv);

} // namespace orvella
