#pragma once

#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"
#include "ui/ImageSelection.h"
#include "ui/OrvellaApplication.h"
#include "ui/ProgressWindow.h"
#include "ui/StartupState.h"
#include "ui/TdmMain.h"
#include "ui/TfrmMain.h"
#include "ui/WindowContext.h"

#include <QString>
#include <filesystem>
#include <memory>

namespace orvella::test {

// A program folder with a fresh catalogue, its own settings and log, and
// what a page is handed: scripted prompts, a progress window, an option
// cache, an access object, an image selection and a fresh start-up state.
// Make one in a test class's init() and drop it in cleanup(); build one
// page on its context, or the whole window with makeWindow().
struct PageFixture {
    PageFixture();
    ~PageFixture();
    PageFixture(const PageFixture&) = delete;
    PageFixture& operator=(const PageFixture&) = delete;

    // The main window over this program folder (settings written before
    // are what it loads).
    TfrmMain& makeWindow();
    // The main window, started, shown and active, on a folder of pictures
    // written for it (writePictures): its main list ("Easy") once that lists
    // them all, or null when it did not in time.
    ImageListView* showWindowOn(const std::string& folder, int pictures);

    CommandTable& commands() { return dataModule->Commands(); }
    QString pathText(const std::string& name) const {
        return QString::fromStdString((root / name).string());
    }

    TempFolder root;
    TLog log{root / "LogFile.log", [] { return std::string("now"); }};
    TFolders folders{root / "program", root / "share" / "Orvella"};
    SettingsStore store{root / "program", root / "config" / "registry.ini"};
    std::unique_ptr<TdmMain> dataModule;
    ScriptedPrompts prompts;
    ProgressWindow progress;
    TOptionsCache options{store};
    std::unique_ptr<TStockDBObject> stockDB;
    ImageSelection selection;
    StartupState startup;
    std::unique_ptr<WindowContext> context;
    std::unique_ptr<TfrmMain> window;
};

// The caption of a list's first group ("Files (3)"), empty while it has none.
QString firstGroupCaption(const ImageListView* list);

// Pictures p0.jpg ... in a folder, width x (2/3 width) pixels.
void writePictures(const std::filesystem::path& folder, int count, int width);

} // namespace orvella::test

// The main() of a window test program: the program's own application object,
// so that the event loop's error handler is the real one.
#define ORVELLA_UI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        orvella::OrvellaApplication application(argc, argv);                                       \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
