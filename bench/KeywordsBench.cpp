// "Add keyword to image" in the real window (offscreen) with every picture of
// a folder selected: the time the command takes, and the longest stretch the
// window thread was busy meanwhile, seen as the largest gap between ticks of
// a 2 ms timer.
// Usage: orvella-bench-keywords PROGRAM_FOLDER PICTURE_FOLDER FILE_COUNT KEYWORD
#include "support/WindowHarness.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageListView.h"
#include "ui/pages/ImageListPage.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace orvella;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER PICTURE_FOLDER FILE_COUNT KEYWORD\n",
                     argv[0]);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    OrvellaApplication application(argc, argv);
    test::WindowHarness harness(application, argv[1]);
    TfrmMain& window = harness.window;
    const int expected = std::atoi(argv[3]);
    auto* easy = window.findChild<ImageListView*>("Easy");
    auto* list = window.findChild<ImageListPage*>("ImageListPage");
    window.SelectFolder(argv[2]);
    const QString done = QString("Files (%1)").arg(expected);
    if (!QTest::qWaitFor(
            [&] {
                return list->isIdle() && easy->Items()->groupCount() > 0 &&
                       easy->Items()->groupCaption(0) == done;
            },
            600000)) {
        std::fprintf(stderr, "the folder did not load\n");
        return 1;
    }
    window.findChild<QTabWidget*>("PageControl2")->setCurrentIndex(2);
    easy->selectAll();
    if (easy->selectedItems().size() != static_cast<size_t>(expected)) {
        std::fprintf(stderr, "%zu pictures selected\n", easy->selectedItems().size());
        return 1;
    }
    window.findChild<QPlainTextEdit*>("mImageKeywords")->setPlainText(argv[4]);

    QElapsedTimer clock, tick;
    double longestBusyMs = 0;
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestBusyMs = std::max(longestBusyMs, tick.nsecsElapsed() / 1e6);
        tick.restart();
    });
    ticker.start();
    QTest::qWait(50);
    clock.start();
    tick.restart();
    harness.dataModule.Commands().Action(cmd::AddImageKeyword)->trigger();
    double seconds = clock.nsecsElapsed() / 1e9;
    longestBusyMs = std::max(longestBusyMs, tick.nsecsElapsed() / 1e6);
    ticker.stop();
    std::printf("%.3f %.1f\n", seconds, longestBusyMs);
    return 0;
}
