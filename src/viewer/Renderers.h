#pragma once

#include "viewer/GhostScriptLibrary.h"

#include <string>

namespace orvella {

// Start-up of the outside renderers: loads the interpreter library for the
// whole run and, when it loads and the render helper is in place, installs
// the PostScript renderer ("GhostScript enabled", else "GhostScript
// disabled", written while the log is on). The RAW converter is always
// installed. Returns the Ghostscript enabled flag.
bool StartOutsideRenderers(const std::string& libraryName = kGhostScriptLibraryName);

// Removes both renderers and releases the interpreter library.
void StopOutsideRenderers();

// The screen's bits per pixel, or 32 without a screen.
int ScreenBitsPerPixel();

} // namespace orvella
