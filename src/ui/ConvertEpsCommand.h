#pragma once

#include "catalogue/FileRecords.h"

#include <functional>

namespace orvella {

class CommandTable;
class ImageListView;
class PostScriptRenderer;
class Prompts;

// "Convert EPS to JPEG": the first selected file, when it is an EPS or PS
// file, is rendered and written as a JPEG beside it; any other kind is
// answered with a message. The view is refreshed afterwards either way.
// Without a selection nothing happens. renderer is null while PostScript
// rendering is off.
void ConvertEpsToJpegCommand(const TImageData* firstSelected, PostScriptRenderer* renderer,
                             Prompts& prompts, const std::function<void()>& refresh);

// The same for the main window: the first selected item of the view, the
// installed renderer, and the table's Refresh command.
void ConvertEpsToJpegCommand(const ImageListView& view, Prompts& prompts,
                             const CommandTable& commands);

} // namespace orvella
