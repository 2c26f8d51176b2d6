#include "ui/ConvertEpsCommand.h"

#include "files/FileKinds.h"
#include "files/OutsideRenderers.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ImageListView.h"
#include "viewer/EpsToJpeg.h"

namespace orvella {

void ConvertEpsToJpegCommand(const TImageData* firstSelected, PostScriptRenderer* renderer,
                             Prompts& prompts, const std::function<void()>& refresh) {
    if (!firstSelected)
        return;
    try {
        if (!IsPostScriptFile(firstSelected->FullName))
            prompts.showMessage("You should select a single EPS file.");
        else if (renderer)
            ConvertEpsToJpeg(firstSelected->FullName, *renderer);
    } catch (...) {
        // The view is refreshed however the conversion ends; its error still
        // reaches the event loop's handler.
        refresh();
        throw;
    }
    refresh();
}

void ConvertEpsToJpegCommand(const ImageListView& view, Prompts& prompts,
                             const CommandTable& commands) {
    std::vector<const ImageListItem*> selected = view.selectedItems();
    const TImageData* first = selected.empty() ? nullptr : &selected.front()->data;
    std::shared_ptr<PostScriptRenderer> renderer = CurrentPostScriptRenderer();
    ConvertEpsToJpegCommand(first, renderer.get(), prompts,
                            [&commands] { commands.Action(cmd::Refresh)->trigger(); });
}

} // namespace orvella
