// The catalogue views in the real window (offscreen), on the catalogue that
// bench/views-catalogue.sh makes: each view's time until it is filled and
// painted, ApplyFilterPanel over 10,000 items, and the longest stretch the
// window thread was busy during the category run, seen as the largest gap
// between ticks of a 2 ms timer.
// Usage: orvella-bench-views PROGRAM_FOLDER PREVIEW_CACHE ROUNDS
#include "support/WindowHarness.h"
#include "ui/ImageListView.h"
#include "ui/pages/ImageListPage.h"
#include "ui/views/CatalogueView.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <functional>

using namespace orvella;

namespace {

// Best of the rounds, in seconds; the view is painted before the clock stops.
double bestTime(int rounds, const std::function<void()>& work) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        work();
        double ran = clock.nsecsElapsed() / 1e9;
        QCoreApplication::processEvents();
        if (std::getenv("ORVELLA_BENCH_DETAIL"))
            std::fprintf(stderr, "run %.4f s, painted %.4f s\n", ran, clock.nsecsElapsed() / 1e9);
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

CatalogueViewSettings settingsFor(CatalogueViewMode mode, const std::filesystem::path& cache) {
    CatalogueViewSettings settings;
    settings.mode = mode;
    settings.previewCacheFolder = cache;
    return settings;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER PREVIEW_CACHE ROUNDS\n", argv[0]);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    OrvellaApplication application(argc, argv);
    test::WindowHarness harness(application, argv[1]);
    std::filesystem::path cache = argv[2];
    int rounds = std::max(1, std::atoi(argv[3]));
    ImageListView* easy = harness.window.findChild<ImageListView*>("Easy");
    TCatalogueConnection& connection = harness.dataModule.Connection();
    // The folder the window opens with must not feed the list meanwhile: its
    // first load is let finish, then the folder view is stopped.
    QElapsedTimer settling;
    settling.start();
    while (harness.window.MainFolderLoading() && settling.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    // From here the views are shown as the page triggers show them.
    ImageListPage* page = harness.window.findChild<ImageListPage*>();
    QCoreApplication::processEvents();
    auto itemsOf = [easy](int group) {
        return group < easy->Items()->groupCount() ? easy->Items()->itemCount(group) : 0;
    };

    CatalogueViewSettings search = settingsFor(CatalogueViewMode::Search, cache);
    search.searchText = "word1, word2, word3";
    double searchTime = bestTime(rounds, [&] { page->showCatalogueView(search); });
    std::printf("search %.4f s, %d items\n", searchTime, itemsOf(0));

    CatalogueViewSettings stock = settingsFor(CatalogueViewMode::Stock, cache);
    stock.stockId = 0;
    double stockTime = bestTime(rounds, [&] { page->showCatalogueView(stock); });
    int stockItems = 0;
    for (int g = 0; g < easy->Items()->groupCount(); ++g)
        stockItems += easy->Items()->itemCount(g);
    std::printf("stock %.4f s, %d items\n", stockTime, stockItems);

    CatalogueViewSettings uploads = settingsFor(CatalogueViewMode::Uploads, cache);
    double uploadsTime = bestTime(rounds, [&] { page->showCatalogueView(uploads); });
    std::printf("uploads %.4f s, %d items\n", uploadsTime, itemsOf(1));

    CatalogueViewSettings ten = settingsFor(CatalogueViewMode::Category, cache);
    ten.categoryId = "TENCATEGORY";
    page->showCatalogueView(ten); // a category view fills the list from its worker thread
    while (!(easy->Items()->groupCount() && easy->Items()->groupCaption(0) == "Files (10000)"))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    FilterPanelState panel;
    panel.setStocks({"Alpha", "Beta", "Gamma"});
    panel.rows()[0].cells[2] = "0"; // Alpha: Pending hidden
    panel.rows()[2].cells[5] = "0"; // Gamma: Accepted hidden
    panel.formats()[0].ticked = true;
    int visible = 0;
    double filterTime = bestTime(
        rounds, [&] { visible = CatalogueView::ApplyFilterPanel(easy, connection, panel); });
    std::printf("filter %.4f s, %d of %d items\n", filterTime, visible, itemsOf(0));

    // The category run on its worker thread, with the window's event loop
    // sleeping while there is nothing to do, as the program's own does.
    CatalogueViewSettings big = settingsFor(CatalogueViewMode::Category, cache);
    big.categoryId = "BIGCATEGORY";
    QElapsedTimer clock, tick;
    double longestBusyMs = 0;
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestBusyMs = std::max(longestBusyMs, tick.nsecsElapsed() / 1e6);
        tick.restart();
    });
    QEventLoop loop;
    QObject::connect(easy->model(), &QAbstractItemModel::dataChanged, &loop, [&] {
        if (easy->Items()->groupCount() && easy->Items()->groupCaption(0) == "Files (20000)")
            loop.quit();
    });
    clock.start();
    tick.start();
    ticker.start();
    page->showCatalogueView(big);
    loop.exec();
    ticker.stop();
    std::printf("category %.4f s, %d items, window thread busy at most %.1f ms\n",
                clock.nsecsElapsed() / 1e9, itemsOf(0), longestBusyMs);
    return 0;
}
