#include "ui/ConvertEpsCommand.h"

#include "files/FileKinds.h"
#include "files/OutsideRenderers.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ImageListView.h"
#include "viewer/EpsToJpeg.h"

namespace orvella {

namespace {

// Refreshes however the conversion ends; its errors still reach the caller.
struct RefreshAtEnd {
    const std::function<void()>& refresh;
    ~RefreshAtEnd() {
        if (refresh)
            refresh();
    }
};

} // namespace

void ConvertEpsToJpegCommand(const TImageData* firstSelected, PostScriptRenderer* renderer,
                             Prompts& prompts, const std::function<void()>& refresh) {
    if (!firstSelected)
        return;
    RefreshAtEnd refreshAtEnd{refresh};
    if (!IsPostScriptFile(firstSelected->FullName)) {
        prompts.showMessage("You should select a single EPS file.");
        return;
    }
    if (renderer)
        ConvertEpsToJpeg(firstSelected->FullName, *renderer);
}

void ConvertEpsToJpegCommand(const ImageListView& view, Prompts& prompts,
                             const CommandTable& commands) {
    std::vector<const ImageListItem*> selected = view.selectedItems();
    const TImageData* first = selected.empty() ? nullptr : &selected.front()->data;
    std::shared_ptr<PostScriptRenderer> renderer = CurrentPostScriptRenderer();
    ConvertEpsToJpegCommand(first, renderer.get(), prompts, [&commands] {
        if (QAction* refresh = commands.Action("actRefresh"))
            refresh->trigger();
    });
}

} // namespace orvella
