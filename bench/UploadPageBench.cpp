// An upload started from the upload controls of the Uploads page (offscreen):
// the Start button clicked, the time until the run ends, and the longest
// stretch the window thread was busy meanwhile, seen as the largest gap
// between ticks of a 2 ms timer.
// Usage: orvella-bench-upload-page PROGRAM_FOLDER
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "ui/OrvellaApplication.h"
#include "ui/QtPrompts.h"
#include "ui/views/UploadPanel.h"
#include "upload/FtpExchangeLog.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

using namespace orvella;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER\n", argv[0]);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    OrvellaApplication application(argc, argv);
    std::filesystem::path program = argv[1];
    TLog log(program / "LogFile.log");
    installAppLog(&log);
    TCatalogueConnection connection(program / "Orvella.dat");
    TStockDBObject catalogue(connection);
    SettingsStore store(program, program / "registry.ini");
    TOptionsCache options(store);
    options.LoadOptions();
    QtPrompts prompts;
    catalogue.SetPrompts(&prompts);
    TFtpExchangeLog exchangeLog(program / "FTPLog.log");
    exchangeLog.SetEnabled(options.GetOption("EnableFTPLogging").toBool());

    UploadPanel panel({connection, catalogue, store, options, prompts, &exchangeLog,
                       [&] { return ReadyUploadEntries(catalogue); }});
    panel.resize(400, 500);
    panel.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock, tick;
    double longestBusyMs = 0;
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestBusyMs = std::max(longestBusyMs, tick.nsecsElapsed() / 1e6);
        tick.restart();
    });
    clock.start();
    tick.start();
    ticker.start();
    panel.findChild<QPushButton*>("btnUpload")->click(); // returns when the run ends
    double seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    int stored = static_cast<int>(panel.logLines().filter("ok. ").size());
    std::printf("upload %.4f s, %d files stored, window thread busy at most %.1f ms\n", seconds,
                stored, longestBusyMs);
    installAppLog(nullptr);
    return stored > 0 ? 0 : 2;
}
