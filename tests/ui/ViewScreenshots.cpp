// Writes pictures of the main window showing the catalogue views: the stock
// view grouped by state, the uploads view, the filter panel in use, the
// state grid with a selector open, and the Uploads page after a run to
// pyftpdlib on 127.0.0.1. It makes its own small catalogue and pictures.
// Usage: orvella-view-screenshots WORK_FOLDER OUTPUT_FOLDER
#include "../upload/RealFtpServer.h"
#include "catalogue/Query.h"
#include "support/WindowHarness.h"
#include "ui/ImageListView.h"
#include "ui/pages/CatalogPage.h"
#include "ui/views/FilterGrid.h"
#include "ui/views/StateGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace orvella;
namespace fs = std::filesystem;

namespace {

void execute(TCatalogueConnection& connection, const std::string& sql) {
    TQuery query(connection);
    query.SetSQL(sql);
    query.ExecSQL();
}

// Twelve pictures with preview cache files, at three stocks in every state.
void makeCatalogue(const fs::path& work, const std::string& ftpAddress) {
    TCatalogueConnection connection(work / "program" / "Orvella.dat");
    fs::create_directories(work / "photos");
    fs::create_directories(work / "program" / "user" / "MD5");
    for (int i = 0; i < 12; ++i) {
        QImage picture(96, 64, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 29 % 360, 160, 220));
        std::string name = "photo" + std::to_string(i + 1) + ".jpg";
        picture.save(QString::fromStdString((work / "photos" / name).string()), "JPEG");
        char key[33];
        std::snprintf(key, sizeof key, "%032X", i + 1);
        QImage preview(96, 96, QImage::Format_RGB32);
        preview.fill(Qt::white);
        for (int y = 16; y < 80; ++y)
            for (int x = 0; x < 96; ++x)
                preview.setPixel(x, y, picture.pixel(x, y - 16));
        preview.save(QString::fromStdString((work / "program" / "user" / "MD5" / key).string()),
                     "BMP");
        execute(connection, "insert into IMAGES (MD5, FileName, FilePath, FileSize) values ('" +
                                std::string(key) + "', '" + name + "', '" +
                                (work / "photos").string() + "', 1000)");
        execute(connection, "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" +
                                std::string(key) + "', 0, '" + std::to_string(1 + i % 7) + "')");
        if (i % 3 == 0)
            execute(connection, "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" +
                                    std::string(key) + "', 2, '1')");
        execute(connection, "insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values ('" +
                                std::string(key) + "', 'C1')");
    }
    execute(connection,
            "insert into CATEGORY (CATEGORY_ID, CNAME, PARENT_ID) values ('C1', 'Coast', '')");
    for (auto [id, name, login] :
         {std::tuple{0, "Alpha Stock", "alpha"}, std::tuple{2, "Beta Images", "beta"},
          std::tuple{3, "Gamma Photo", "gamma"}})
        execute(
            connection,
            "insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED, FTPURL, LOGIN, PASSWRD) "
            "values (" +
                std::to_string(id) + ", '" + name + "', 1, 1, '" + ftpAddress + "', '" + login +
                "', 'pw')");
}

void showPage(TfrmMain& window, const char* pane, const char* page) {
    auto* tabs = window.findChild<QTabWidget*>(pane);
    tabs->setCurrentWidget(tabs->findChild<QWidget*>(page));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    OrvellaApplication application(argc, argv);
    fs::path work = argv[1];
    QString output = argv[2];
    fs::create_directories(work / "program");
    fs::copy_file(fs::path(ORVELLA_BIN_DIR) / "Orvella.dat", work / "program" / "Orvella.dat",
                  fs::copy_options::overwrite_existing);
    test::RealFtpServer server(
        work, {{"alpha", "pw", work / "home-alpha"}, {"beta", "pw", work / "home-beta"}});
    makeCatalogue(work, server.address());

    test::WindowHarness harness(application, work / "program");
    TfrmMain& window = harness.window;
    window.resize(1200, 760);
    window.findChild<CatalogPage*>()->loadCategories();
    auto shot = [&](const char* name) {
        QTest::qWait(200);
        window.grab().save(QString("%1/%2.png").arg(output, name));
    };
    auto* easy = window.findChild<ImageListView*>("Easy");

    showPage(window, "PageControl1", "StocksPage");
    auto* stocks = window.findChild<QTreeWidget*>("StockView");
    stocks->setCurrentItem(stocks->topLevelItem(0));
    if (!QTest::qWaitFor([easy] { return easy->Items()->groupCount() == 7; }, 5000))
        qWarning("the page was not ready in time; the picture may show it half drawn");
    shot("view-stock-states");

    showPage(window, "PageControl1", "CatalogPage");
    auto* tree = window.findChild<QTreeWidget*>("CategoryTree");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(tree->topLevelItem(0)).center());
    if (!QTest::qWaitFor(
            [easy] {
                return easy->Items()->groupCount() &&
                       easy->Items()->groupCaption(0) == "Files (12)";
            },
            5000))
        qWarning("the page was not ready in time; the picture may show it half drawn");
    showPage(window, "sPageControl1", "ImageListPage");
    auto* bottom = window.findChild<QTabWidget*>("pcBottom");
    bottom->setCurrentWidget(bottom->findChild<QWidget*>("FilterPanel"));
    auto* grid = window.findChild<FilterGrid*>("DrawGrid1");
    grid->panel().rows()[0].cells[4] = "0";
    grid->panel().rows()[0].cells[6] = "0";
    grid->refreshCells();
    window.findChild<QListWidget*>("clbFormats")->item(1)->setCheckState(Qt::Unchecked);
    window.findChild<QCheckBox*>("cbFilter")->setChecked(true);
    shot("view-filter-panel");

    easy->setCurrentIndex(easy->Items()->index(1));
    showPage(window, "PageControl2", "StockInfoPage");
    auto* stateGrid = window.findChild<StateGrid*>("StockGrid");
    if (!QTest::qWaitFor([stateGrid] { return !stateGrid->imageKey().empty(); }, 5000))
        qWarning("the page was not ready in time; the picture may show it half drawn");
    stateGrid->selectCell(0, 1);
    stateGrid->selector(0)->showPopup();
    shot("view-state-grid-selector");
    stateGrid->selector(0)->hidePopup();
    window.findChild<QCheckBox*>("cbFilter")->setChecked(false);

    showPage(window, "PageControl1", "UploadsPage");
    if (!QTest::qWaitFor([easy] { return easy->Items()->groupCount() == 3; }, 5000))
        qWarning("the page was not ready in time; the picture may show it half drawn");
    shot("view-uploads");
    window.findChild<QPushButton*>("btnUpload")->click();
    shot("view-uploads-after-run");
    return 0;
}
