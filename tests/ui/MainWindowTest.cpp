// The whole window: caption, layout, menus and tool bar, page options, the
// status bar, the pages' effects on the image list, dropped files.
#include "support/PageFixture.h"
#include "ui/CommandTable.h"
#include "ui/ImageListView.h"
#include "ui/pages/CatalogPage.h"
#include "ui/pages/FilesPage.h"
#include "ui/pages/StocksPage.h"
#include "ui/pages/UploadsPage.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

namespace {

ImageListItem listItem(const char* name, int64_t size, int day) {
    ImageListItem item;
    item.caption = name;
    item.data.FileName = name;
    item.data.FullName = std::string("/pictures/") + name;
    item.data.FileSize = size;
    item.data.ModifyDate = *fromIsoText("2026-12-" + std::to_string(10 + day) + " 10:00:00");
    return item;
}

// Shows a page of a pane, found by its objectName.
void showPage(TfrmMain& window, const char* pane, const char* page) {
    auto* tabs = window.findChild<QTabWidget*>(pane);
    tabs->setCurrentWidget(tabs->findChild<QWidget*>(page));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() { fixture.reset(); }

    void mainWindowCaptionDebugMenuAndLayout();
    void maximisedWindowReopensMaximised();
    void menusToolbarAndCommandTable();
    void everyTabOptionOffHidesTheEightPages();
    void selectionFillsTheStatusBar();
    void popupEntriesFollowTheLeftPage();
    void filesDroppedOnTheListMoveIntoItsFolder();
    void filesThatCannotMoveAreNamed();
};

void MainWindowTest::mainWindowCaptionDebugMenuAndLayout() {
    fixture->store.write("MainWindow",
                         {{"Left", "70"}, {"Top", "80"}, {"Width", "900"}, {"Height", "600"}});
    TfrmMain& window = fixture->makeWindow();
    QCOMPARE(window.windowTitle(), QString("Orvella 1.5"));
    QMenu* debug = window.findChild<QMenu*>("mnuDebug");
    QVERIFY(debug && !debug->menuAction()->isVisible());
    window.EnableDebugMode();
    QVERIFY(window.DebugMode() && debug->menuAction()->isVisible());
    QCOMPARE(window.size(), QSize(900, 600));
    QVERIFY(window.Options().GetOption("UploadRelease").toBool());
    window.ShowAsLaidOut();
    window.resize(800, 500);
    window.close();
    QCOMPARE(fixture->store.readInteger("MainWindow", "Width", 0), 800L);
    QCOMPARE(fixture->store.readInteger("MainWindow", "State", 0), 1L);
}

void MainWindowTest::maximisedWindowReopensMaximised() {
    fixture->store.write("MainWindow", {{"State", "2"}, {"Width", "640"}});
    TfrmMain& window = fixture->makeWindow();
    window.ShowAsLaidOut();
    QVERIFY(window.isMaximized());
    window.close();
    QCOMPARE(fixture->store.readInteger("MainWindow", "State", 0), 2L);
}

void MainWindowTest::menusToolbarAndCommandTable() {
    TfrmMain& window = fixture->makeWindow();
    QStringList menus;
    for (QAction* menu : window.menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus, QStringList({"File", "Category", "Image", "Database", "Debug", "Help"}));
    QToolBar* toolbar = window.findChild<QToolBar*>("tbMain");
    QStringList buttons;
    for (QAction* action : toolbar->actions())
        buttons << action->objectName();
    QCOMPARE(buttons,
             QStringList({"actOptions", "actRefresh", "actUpload", "actSyncronize", "actBugReport",
                          "actInverSelection", "actShowFile", "actFullScan"}));
    QAction* remove = window.Commands().Action(cmd::Delete);
    QCOMPARE(remove->shortcuts(), QList<QKeySequence>({QKeySequence(Qt::SHIFT | Qt::Key_Delete),
                                                       QKeySequence(Qt::Key_F8)}));
    QCOMPARE(remove->toolTip(), QString("Delete File(s)"));
    QVERIFY(remove->isEnabled()); // bound by the file commands
    QVERIFY(window.Commands().Action(cmd::About)->isEnabled());
    QMenu* states = window.findChild<QMenu*>("mnuGlobalStatus");
    QCOMPARE(states->actions().size(), 7);
    QCOMPARE(states->actions().at(6)->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F7));
}

void MainWindowTest::everyTabOptionOffHidesTheEightPages() {
    SettingsStore::Values off;
    for (const char* option : {"tabcatalog", "tabstocks", "tabuploads", "tabstockinfo",
                               "tabimageinfo", "tabkeywords", "tabfiles2", "tabmodel"})
        off.push_back({option, "0"});
    fixture->store.write("Options", off);
    TfrmMain& window = fixture->makeWindow();
    auto* left = window.findChild<QTabWidget*>("PageControl1");
    auto* right = window.findChild<QTabWidget*>("PageControl2");
    QVERIFY(left->isTabVisible(left->indexOf(window.findChild<FilesPage*>("FilesPage"))));
    for (const char* page : {"CatalogPage", "StocksPage", "UploadsPage"})
        QVERIFY2(!left->isTabVisible(left->indexOf(window.findChild<QWidget*>(page))), page);
    for (const char* page :
         {"StockInfoPage", "ImageInfoPage", "KeywordsPage", "SecondFilesPage", "ModelReleasePage"})
        QVERIFY2(!right->isTabVisible(right->indexOf(window.findChild<QWidget*>(page))), page);
}

void MainWindowTest::selectionFillsTheStatusBar() {
    TfrmMain& window = fixture->makeWindow();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    ImageListModel& model = *easy->Items();
    model.addGroup("Files (3)");
    for (auto [name, size] :
         {std::pair{"a.jpg", 1536}, std::pair{"b.jpg", 10}, std::pair{"c.jpg", 20}})
        model.addItem(0, listItem(name, size, 1));
    auto panel = [&window](int n) {
        return window.findChild<QLabel*>(QString("StatusBar1Panel%1").arg(n))->text();
    };
    easy->setCurrentIndex(model.index(1));
    QCOMPARE(panel(0), QString("a.jpg"));
    QCOMPARE(panel(1), QString("1.50 Kb"));
    QCOMPARE(panel(3), QString("1 files selected"));
    QCOMPARE(panel(4), QString("/pictures/a.jpg"));
    easy->selectAll();
    QCOMPARE(panel(3), QString("3 files selected"));
    easy->selectionModel()->select(model.index(2), QItemSelectionModel::Deselect);
    window.Commands().Action(cmd::InverSelection)->trigger();
    QCOMPARE(panel(3), QString("1 files selected"));
}

void MainWindowTest::popupEntriesFollowTheLeftPage() {
    TfrmMain& window = fixture->makeWindow();
    QAction* deleteInvalid = window.Commands().Action(cmd::DeleteInvalid);
    QAction* unfasten = window.Commands().Action(cmd::Unfasten);
    showPage(window, "PageControl1", "StocksPage");
    QVERIFY(deleteInvalid->isVisible() && !unfasten->isVisible());
    showPage(window, "PageControl1", "CatalogPage");
    QVERIFY(!deleteInvalid->isVisible() && unfasten->isVisible());
    showPage(window, "PageControl1",
             "UploadsPage"); // the list gets check boxes for items and groups
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    ImageListModel& model = *easy->Items();
    QVERIFY(model.checkBoxes());
    model.addGroup("Stock A (2)");
    model.addItem(0, listItem("a.jpg", 1, 1));
    model.addItem(0, listItem("b.jpg", 1, 1));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto clickBox = [easy](int row) {
        QRect cell = easy->visualRect(easy->model()->index(row, 0));
        QTest::mouseClick(easy->viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(8, 10));
    };
    clickBox(1); // the first item
    QVERIFY(!model.item(0, 0).checked && model.item(0, 1).checked);
    QCOMPARE(model.data(model.index(0), Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
    clickBox(0); // the group
    QVERIFY(model.item(0, 0).checked && model.item(0, 1).checked);
    clickBox(0);
    QVERIFY(!model.item(0, 0).checked && !model.item(0, 1).checked);
    showPage(window, "PageControl1", "FilesPage");
    QVERIFY(!model.checkBoxes() && !deleteInvalid->isVisible() && !unfasten->isVisible());
}

void MainWindowTest::filesDroppedOnTheListMoveIntoItsFolder() {
    test::writePictures(fixture->root / "target", 1, 200);
    fs::rename(fixture->root / "target" / "p0.jpg", fixture->root / "target" / "own.jpg");
    test::writePictures(fixture->root / "desktop", 2, 200);
    test::writeFile(fixture->root / "target" / "p1.jpg", "already here");
    TfrmMain& window = fixture->makeWindow();
    fixture->startup.AppStarted = true;
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(fixture->pathText("target"));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (2)"));

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(fixture->pathText("desktop/p0.jpg")),
                   QUrl::fromLocalFile(fixture->pathText("desktop/p1.jpg"))});
    QPoint over = easy->viewport()->mapTo(&window, easy->viewport()->rect().center());
    QVERIFY(window.DropFiles(files.urls(), over));
    QVERIFY(!window.DropFiles(
        files.urls(), window.findChild<QWidget*>("StockGrid")->mapTo(&window, QPoint(5, 5))));

    QVERIFY(fs::exists(fixture->root / "target" / "p0.jpg"));
    QVERIFY(!fs::exists(fixture->root / "desktop" / "p0.jpg"));
    // A file of the same name in the target is never replaced.
    QCOMPARE(test::readFile(fixture->root / "target" / "p1.jpg"), std::string("already here"));
    QVERIFY(fs::exists(fixture->root / "desktop" / "p1.jpg"));
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (3)")); // reloaded after the drop
}

// The file left behind is named to the user; the drop is not silent.
void MainWindowTest::filesThatCannotMoveAreNamed() {
    fs::create_directories(fixture->root / "target");
    test::writeFile(fixture->root / "target" / "taken.jpg", "already here");
    test::writeFile(fixture->root / "desktop" / "taken.jpg", "dropped");
    TfrmMain& window = fixture->makeWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SelectFolder(fixture->pathText("target"));
    QTRY_COMPARE(window.SelectedFolder(), fixture->pathText("target"));
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    QPoint over = easy->viewport()->mapTo(&window, easy->viewport()->rect().center());
    QVERIFY(window.DropFiles({QUrl::fromLocalFile(fixture->pathText("desktop/taken.jpg"))}, over));
    QCOMPARE(test::readFile(fixture->root / "desktop" / "taken.jpg"), std::string("dropped"));
    QCOMPARE(fixture->prompts.messages.size(), size_t(1));
    QVERIFY(fixture->prompts.messages[0].find("\ntaken.jpg: a file of that name is already in ") !=
            std::string::npos);
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::MainWindowTest)

#include "MainWindowTest.moc"
