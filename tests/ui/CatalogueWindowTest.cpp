// The catalogue views, the filter panel and the state grid in the real
// window (offscreen), driven through their controls.
#include "catalogue/Query.h"
#include "support/PageFixture.h"
#include "ui/ImageListView.h"
#include "ui/pages/CatalogPage.h"
#include "ui/views/FilterGrid.h"
#include "ui/views/StateGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class CatalogueWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;

private slots:
    void init();
    void cleanup() { fixture.reset(); }

    void stockClickShowsTheStatesGroupedWithoutStateZero();
    void searchLooksWordsUpWithoutAddingKeywords();
    void uploadsPageShowsReadyFilesThatExist();
    void filterPanelHidesAndAGridClickShowsAllAgain();
    void notReadyOnTheUploadsPageHidesThatEntryOnly();
    void globalStatusShortcutSetsEveryStock();

private:
    void execute(const std::string& sql) {
        TQuery query(fixture->dataModule->Connection());
        query.SetSQL(sql);
        query.ExecSQL();
    }
    std::string count(const std::string& sql) {
        TQuery query(fixture->dataModule->Connection());
        query.SetSQL(sql);
        query.Open();
        return std::to_string(query.RecordCount());
    }
    // A catalogued image in the photos folder; its file exists unless told.
    std::string addImage(char letter, const std::string& name, bool onDisk = true) {
        std::string key(32, letter);
        std::string photos = (fixture->root / "photos").string();
        execute("insert into IMAGES (MD5, FileName, FilePath, FileSize) values ('" + key + "', '" +
                name + "', '" + photos + "', 1)");
        if (onDisk)
            test::writeFile(fixture->root / "photos" / name, "x");
        return key;
    }
    void setState(const std::string& key, int stockId, int code) {
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + key + "', " +
                std::to_string(stockId) + ", '" + std::to_string(code) + "')");
    }
    std::string stateOf(const std::string& key, int stockId) {
        TQuery query(fixture->dataModule->Connection());
        query.SetSQL("select STATE_ID from IMAGE_STOCK where MD5 = '" + key +
                     "' and STOCK_ID = " + std::to_string(stockId));
        query.Open();
        return query.Eof() ? "none" : query.FieldByName("STATE_ID").AsString();
    }
    TfrmMain& openWindow() {
        TfrmMain& window = fixture->makeWindow();
        window.findChild<CatalogPage*>()->loadCategories(); // as the start-up does
        window.show();
        return window;
    }
    static void showPage(TfrmMain& window, const char* pane, const char* page) {
        auto* tabs = window.findChild<QTabWidget*>(pane);
        tabs->setCurrentWidget(tabs->findChild<QWidget*>(page));
    }
    static ImageListView* easy(TfrmMain& window) {
        return window.findChild<ImageListView*>("Easy");
    }
    static QStringList captions(ImageListView* list) {
        QStringList result;
        for (int g = 0; g < list->Items()->groupCount(); ++g)
            result << list->Items()->groupCaption(g);
        return result;
    }
    static QStringList items(ImageListView* list, int group) {
        QStringList result;
        for (int i = 0; i < list->Items()->itemCount(group); ++i)
            result << list->Items()->item(group, i).caption;
        return result;
    }
    bool logged(const std::string& line) {
        for (const std::string& entry : fixture->log.Lines())
            if (entry.size() >= line.size() &&
                entry.compare(entry.size() - line.size(), line.size(), line) == 0)
                return true;
        return false;
    }
};

void CatalogueWindowTest::init() {
    fixture = std::make_unique<test::PageFixture>();
    fixture->log.SetLogEnabled(true);
    fs::create_directories(fixture->root / "photos");
    execute(
        "insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED) values (0, 'Alpha', 1, 1)");
    execute(
        "insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED) values (2, 'Beta', 1, 0)");
}

void CatalogueWindowTest::stockClickShowsTheStatesGroupedWithoutStateZero() {
    setState(addImage('a', "accepted.jpg"), 0, 5);
    setState(addImage('b', "ready.jpg"), 0, 1);
    setState(addImage('c', "zero.jpg"), 0, 0);
    TfrmMain& window = openWindow();
    showPage(window, "PageControl1", "StocksPage");
    auto* stocks = window.findChild<QTreeWidget*>("StockView");
    QTest::mouseClick(stocks->viewport(), Qt::LeftButton, {},
                      stocks->visualItemRect(stocks->topLevelItem(0)).center());

    QTRY_COMPARE(captions(easy(window)),
                 QStringList({"Accepted (1)", "Pending (0)", "Ready to upload (1)", "Resubmit (0)",
                              "Donated (0)", "Rejected (0)", "Upload failed (0)"}));
    QCOMPARE(items(easy(window), 2), QStringList({"ready.jpg"}));
    QVERIFY(
        easy(window)->isRowHidden(easy(window)->Items()->itemRow(0, 0))); // "Accepted" collapsed
    QVERIFY(logged("State id = 0"));
}

void CatalogueWindowTest::searchLooksWordsUpWithoutAddingKeywords() {
    std::string a = addImage('a', "a.jpg"), b = addImage('b', "b.jpg");
    TfrmMain& window = openWindow();
    fixture->stockDB->AddKeywordTextToImage(a, "sunset, blue sky");
    fixture->stockDB->AddKeywordTextToImage(b, "beach");
    std::string keywords = count("select * from KEYWORDS");
    auto* find = window.findChild<QLineEdit*>("edtFind");

    find->setText("sunset, beach, nowhere");
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(captions(easy(window)), QStringList({"Search Results (2)"}));

    find->setText("blue sky");
    window.findChild<QPushButton*>("btnSearch")->click();
    QCOMPARE(items(easy(window), 0), QStringList({"a.jpg"}));
    QCOMPARE(count("select * from KEYWORDS"), keywords);
}

void CatalogueWindowTest::uploadsPageShowsReadyFilesThatExist() {
    setState(addImage('a', "here.jpg"), 0, 1);
    setState(addImage('b', "gone.jpg", false), 0, 1);
    setState(addImage('c', "other.jpg"), 2, 2);
    TfrmMain& window = openWindow();
    showPage(window, "PageControl1", "UploadsPage");

    ImageListView* list = easy(window);
    QCOMPARE(captions(list), QStringList({"Alpha (1)", "Beta (0)"}));
    QCOMPARE(items(list, 0), QStringList({"here.jpg"}));
    QVERIFY(list->Items()->checkBoxes());
    QVERIFY(list->Items()->item(0, 0).checked);
    QCOMPARE(list->Items()
                 ->data(list->Items()->index(list->Items()->groupRow(1)), Qt::CheckStateRole)
                 .toInt(),
             int(Qt::Unchecked));
    QVERIFY(logged("Filter processor started (uploads showing)"));
}

void CatalogueWindowTest::filterPanelHidesAndAGridClickShowsAllAgain() {
    execute("insert into CATEGORY (CATEGORY_ID, CNAME, PARENT_ID) values ('C1', 'Coast', '')");
    for (auto [letter, name] :
         {std::pair{'a', "a.jpg"}, std::pair{'b', "b.jpg"}, std::pair{'c', "c.nef"}}) {
        std::string key = addImage(letter, name);
        execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values ('" + key + "', 'C1')");
    }
    setState(std::string(32, 'a'), 0, 2);
    TfrmMain& window = openWindow();
    auto* tree = window.findChild<QTreeWidget*>("CategoryTree");
    QTreeWidgetItem* coast = tree->topLevelItem(0);
    QVERIFY(coast);
    showPage(window, "PageControl1", "CatalogPage");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(coast).center());
    ImageListView* list = easy(window);
    QTRY_COMPARE(captions(list), QStringList({"Files (3)"}));

    auto* formats = window.findChild<QListWidget*>("clbFormats");
    formats->item(1)->setCheckState(Qt::Unchecked); // RAW
    auto* grid = window.findChild<FilterGrid*>("DrawGrid1");
    grid->panel().rows()[0].cells[2] = "0"; // Alpha: Pending
    auto* apply = window.findChild<QCheckBox*>("cbFilter");
    apply->setChecked(true);
    QCOMPARE(captions(list), QStringList({"Files (1/3) filtered"}));
    QVERIFY(list->isRowHidden(list->Items()->itemRow(0, 0)));
    QVERIFY(!list->isRowHidden(list->Items()->itemRow(0, 1)));

    showPage(window, "pcBottom", "FilterPanel");
    grid->show();
    QTRY_VERIFY(grid->isVisible());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 3)).center());
    QVERIFY(!apply->isChecked());
    QTRY_COMPARE(captions(list), QStringList({"Files (3)"}));
    QVERIFY(!list->isRowHidden(list->Items()->itemRow(0, 0)));
}

void CatalogueWindowTest::notReadyOnTheUploadsPageHidesThatEntryOnly() {
    std::string key = addImage('a', "both.jpg");
    setState(key, 0, 1);
    setState(key, 2, 1);
    TfrmMain& window = openWindow();
    showPage(window, "PageControl1", "UploadsPage");
    showPage(window, "PageControl2", "StockInfoPage");
    ImageListView* list = easy(window);
    QCOMPARE(captions(list), QStringList({"Alpha (1)", "Beta (1)"}));
    list->selectionModel()->select(list->Items()->index(list->Items()->itemRow(0, 0)),
                                   QItemSelectionModel::ClearAndSelect);
    list->setCurrentIndex(list->Items()->index(list->Items()->itemRow(0, 0)));

    auto* grid = window.findChild<StateGrid*>("StockGrid");
    QTRY_COMPARE(grid->imageKey(), key);
    grid->selectCell(0, 1);
    QComboBox* selector = grid->selector(0);
    QVERIFY(selector->isVisible());
    selector->activated(0); // "Not ready" at Alpha

    QCOMPARE(stateOf(key, 0), std::string("0"));
    QCOMPARE(stateOf(key, 2), std::string("1"));
    QVERIFY(list->isRowHidden(list->Items()->itemRow(0, 0)));
    QVERIFY(!list->Items()->item(0, 0).checked);
    QVERIFY(!list->isRowHidden(list->Items()->itemRow(1, 0)));
    QVERIFY(list->Items()->item(1, 0).checked);
    QCOMPARE(grid->item(0, 1)->text(), QString("Not ready"));
}

void CatalogueWindowTest::globalStatusShortcutSetsEveryStock() {
    execute("insert into CATEGORY (CATEGORY_ID, CNAME, PARENT_ID) values ('C1', 'Coast', '')");
    std::string key = addImage('a', "a.jpg");
    execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values ('" + key + "', 'C1')");
    TfrmMain& window = openWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    showPage(window, "PageControl1", "CatalogPage");
    auto* tree = window.findChild<QTreeWidget*>("CategoryTree");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(tree->topLevelItem(0)).center());
    ImageListView* list = easy(window);
    QTRY_COMPARE(captions(list), QStringList({"Files (1)"}));
    list->selectionModel()->select(list->Items()->index(1), QItemSelectionModel::ClearAndSelect);

    QTest::keyClick(&window, Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier); // "Accepted"
    QCOMPARE(stateOf(key, 0), std::string("5"));
    QCOMPARE(stateOf(key, 2), std::string("5"));
    QVERIFY(fixture->prompts.questions.empty());
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::CatalogueWindowTest)
#include "CatalogueWindowTest.moc"
