#pragma once

#include <functional>

namespace orvella {

class ImageInfoEditor;
class KeywordTools;
struct WindowContext;

// Runs a command that rewrites image files on a thread of its own, so that
// the window keeps painting and its progress window moves while the files are
// written; user input waits until the command ends. The command gets editing
// objects of its own on the window's catalogue connection; its questions and
// progress are handed to the window thread. An error of the command is
// raised again here.
void runOffWindowThread(WindowContext& context,
                        const std::function<void(KeywordTools&, ImageInfoEditor&)>& command);

} // namespace orvella
