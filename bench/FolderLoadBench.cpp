// Folder loading in the real window (offscreen): the time until the group
// caption reads "Files (n)", and the longest stretch the window thread was
// busy meanwhile, seen as the largest gap between ticks of a 2 ms timer.
// Usage: orvella-bench-folder-load PROGRAM_FOLDER PICTURE_FOLDER
#include "support/WindowHarness.h"
#include "ui/FolderView.h"
#include "ui/ImageListView.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cstdio>

using namespace orvella;

namespace {

struct Measure {
    double seconds = 0;
    double longestBusyMs = 0;
};

Measure loadOnce(TfrmMain& window, const QString& folder, int expected) {
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    const QString done = QString("Files (%1)").arg(expected);
    QElapsedTimer clock, tick;
    Measure measure;
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        measure.longestBusyMs = std::max(measure.longestBusyMs, tick.nsecsElapsed() / 1e6);
        tick.restart();
    });
    clock.start();
    tick.start();
    ticker.start();
    // The event loop sleeps while there is nothing to do, as the program's own does.
    QEventLoop loop;
    QObject::connect(easy->model(), &QAbstractItemModel::dataChanged, &loop, [&] {
        if (easy->Items()->groupCount() && easy->Items()->groupCaption(0) == done)
            loop.quit();
    });
    window.SelectFolder(folder);
    loop.exec();
    measure.seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    window.SelectFolder(QString("/")); // leave it, so the next select reloads
    while (window.MainFolderLoading()) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return measure;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER PICTURE_FOLDER FILE_COUNT\n", argv[0]);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    OrvellaApplication application(argc, argv);
    test::WindowHarness harness(application, argv[1]);
    TfrmMain& window = harness.window;
    int expected = std::atoi(argv[3]);
    Measure cold = loadOnce(window, argv[2], expected);
    Measure warm = loadOnce(window, argv[2], expected);
    std::printf("first load  %.3f s, window thread busy at most %.1f ms\n", cold.seconds,
                cold.longestBusyMs);
    std::printf("second load %.3f s, window thread busy at most %.1f ms\n", warm.seconds,
                warm.longestBusyMs);
    return 0;
}
