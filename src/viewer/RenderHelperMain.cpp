// orvella-render-helper: renders one EPS or PS file with the interpreter and
// hands page 1 back to the program over file descriptor 3. The program starts
// it under time, memory and file-size limits, so a file that crashes, loops
// or exhausts the interpreter ends here and never in the program itself.
//
// Usage: orvella-render-helper LIBRARY SCREEN_BITS PROGRAM_PATH FILE
#include "viewer/GhostScript.h"
#include "viewer/RenderChannel.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

constexpr int kChannel = 3;

void send(orvella::RenderMessage type, const std::string& payload) {
    orvella::SendRenderMessage(kChannel, type, payload);
}

int render(const orvella::TGhostScriptLibrary& library, int screenBits,
           const std::string& programPath, const std::string& file) {
    using orvella::RenderMessage;
    orvella::TGhostScript ghostScript(library, programPath, screenBits);
    orvella::TPageBitmap view;
    bool rendering = true;
    ghostScript.SetViewBitmap(&view);
    ghostScript.OnError = [](const std::string& text) {
        send(RenderMessage::InterpreterError, text);
    };
    ghostScript.OnPageChanged = [&] {
        if (ghostScript.CurrentPage() == 1)
            send(RenderMessage::FirstPage, orvella::EncodePagePicture(ghostScript.Page(1)));
    };
    ghostScript.OnPageGenerated = [&](int pages) {
        send(RenderMessage::PageGenerated, std::to_string(pages));
        // Only page 1 is shown; later pages stay in the page list.
        if (pages == 1 && rendering)
            ghostScript.FirstPage();
    };
    try {
        ghostScript.OpenInstance();
        ghostScript.Initialise();
        send(RenderMessage::ProgressLine, "Init GhostScript");
        bool ran = ghostScript.RunFile(file, true);
        send(RenderMessage::ProgressLine, "File " + file + " loaded");
        ghostScript.Exit();
        ghostScript.DeleteInstance();
        send(RenderMessage::ProgressLine, "Close GhostScript");
        rendering = false;
        send(RenderMessage::Finished, ran ? "1" : "0");
    } catch (const std::exception& error) {
        send(RenderMessage::Failure, error.what());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: orvella-render-helper LIBRARY SCREEN_BITS PROGRAM_PATH FILE\n");
        return 2;
    }
    try {
        orvella::TGhostScriptLibrary library(argv[1]);
        if (!library.Loaded()) {
            send(orvella::RenderMessage::Failure,
                 "The interpreter library " + std::string(argv[1]) + " cannot be loaded");
            return 0;
        }
        return render(library, std::atoi(argv[2]), argv[3], argv[4]);
    } catch (const std::exception& error) {
        // The channel itself failed: the program sees the helper end early.
        std::fprintf(stderr, "orvella-render-helper: %s\n", error.what());
        return 1;
    }
}
