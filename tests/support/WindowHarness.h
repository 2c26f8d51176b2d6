#pragma once

#include "shell/Log.h"
#include "ui/OrvellaApplication.h"
#include "ui/QtPrompts.h"
#include "ui/StartupState.h"
#include "ui/TdmMain.h"
#include "ui/TfrmMain.h"

#include <filesystem>

namespace orvella::test {

// The main window over a program folder holding a catalogue, without the
// start-up sequence: its own log, settings and user folder inside that
// folder. For programs that drive the window (benchmarks, screenshots).
struct WindowHarness {
    WindowHarness(OrvellaApplication& application, const std::filesystem::path& program)
        : log(program / "LogFile.log"), installed(log), folders(program, program / "user"),
          store(program, program / "registry.ini"),
          dataModule(&application, program / "Orvella.dat"),
          window(dataModule, folders, store, startup, prompts) {
        window.show();
    }

    struct InstalledLog {
        explicit InstalledLog(TLog& log) { installAppLog(&log); }
        ~InstalledLog() { installAppLog(nullptr); }
    };

    TLog log;
    InstalledLog installed;
    TFolders folders;
    SettingsStore store;
    TdmMain dataModule;
    StartupState startup{.AppStarted = true};
    QtPrompts prompts;
    TfrmMain window;
};

} // namespace orvella::test
