#include "catalogue/Connection.h"
#include "shell/AppState.h"
#include "shell/Log.h"
#include "shell/SingleInstance.h"
#include "support/TempFolder.h"
#include "ui/AboutBox.h"
#include "ui/BugReport.h"
#include "ui/CommandTable.h"
#include "ui/ImageListView.h"
#include "ui/OrvellaApplication.h"
#include "ui/ProgressWindow.h"
#include "ui/TdmMain.h"
#include "ui/TfrmMain.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolBar>
#include <QProgressBar>
#include <QPushButton>
#include <QMimeData>
#include <QTimer>
#include <QtTest>
#include <thread>

namespace orvella {

namespace fs = std::filesystem;

// A program folder with a fresh catalogue, its own settings and log.
struct WindowFixture {
    test::TempFolder root;
    TLog log{root / "LogFile.log", [] { return std::string("now"); }};
    TFolders folders{root / "program", root / "share" / "Orvella"};
    SettingsStore store{root / "program", root / "config" / "registry.ini"};
    std::unique_ptr<TdmMain> dataModule;

    WindowFixture() {
        fs::create_directories(root / "program");
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "program" / "Orvella.dat");
        installAppLog(&log);
        dataModule = std::make_unique<TdmMain>(OrvellaApplication::instance(),
                                               root / "program" / "Orvella.dat");
    }
    ~WindowFixture() {
        dataModule.reset();
        installAppLog(nullptr);
    }
};

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void errorInAnEventHandlerIsLoggedWithTheLatestStatement();
    void errorBeforeTheDataModuleNamesTheReceiver();
    void progressWindowOpensStepsAndCloses();
    void aboutBoxCaptionAndControls();
    void mainWindowCaptionDebugMenuAndLayout();
    void maximisedWindowReopensMaximised();
    void laterCopyAsksTheRunningOneToShowItsWindow();
    void menusToolbarAndCommandTable();
    void everyTabOptionOffHidesTheEightPages();
    void bugReportLinkIsExact();
    void sortingByHeaderColumns();
    void selectionFillsTheStatusBar();
    void selectingAFolderListsItsPictures();
    void selectingAnotherFolderStopsTheFirst();
    void filesDroppedOnTheListMoveIntoItsFolder();
    void popupEntriesFollowTheLeftPage();
    void restoringTheSavedFolderWithFullScanOn();
};

void UiTest::errorInAnEventHandlerIsLoggedWithTheLatestStatement() {
    WindowFixture fixture;
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    QTimer::singleShot(0, &window, [&window] { window.StockDB().ExecuteStatement("delete from NO_SUCH_TABLE"); });
    QTest::qWait(50);
    auto lines = fixture.log.Lines();
    QCOMPARE(lines.size(), size_t(2));
    QVERIFY(QString::fromStdString(lines[0]).startsWith("now Exception EDatabaseError with message no such table"));
    QCOMPARE(lines[1], std::string("now Latest SQL query delete from NO_SUCH_TABLE\r\n"));
}

void UiTest::errorBeforeTheDataModuleNamesTheReceiver() {
    test::TempFolder root;
    TLog log(root / "LogFile.log", [] { return std::string("now"); });
    installAppLog(&log);
    QObject receiver;
    QTimer::singleShot(0, &receiver, [] { throw std::runtime_error("too early"); });
    QTest::qWait(50);
    installAppLog(nullptr);
    QCOMPARE(log.Lines(), std::vector<std::string>{"now too early (runtime_error). Sender is QObject"});
}

void UiTest::progressWindowOpensStepsAndCloses() {
    test::TempFolder root;
    TLog log(root / "LogFile.log", [] { return std::string("now"); });
    log.SetLogEnabled(true);
    installAppLog(&log);
    ProgressWindow progress;
    {
        ProgressScope scope(progress, 9);
        QWidget* window = progress.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Processing"));
        QCOMPARE(window->size(), QSize(248, 33));
        QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        scope.step(4);
        QCOMPARE(window->findChild<QProgressBar*>("pbProgress")->value(), 4);
    }
    QVERIFY(!progress.window());
    QVERIFY(!QApplication::overrideCursor());
    installAppLog(nullptr);
    QCOMPARE(log.Lines(), (std::vector<std::string>{"now Progress form created",
                                                    "now Progress form updated. Position: 4",
                                                    "now Progress form destroyed"}));
}

void UiTest::aboutBoxCaptionAndControls() {
    TfrmAbout about;
    QCOMPARE(about.windowTitle(), QString("About Orvella"));
    QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QString("version 1.5"));
    QLabel* product = about.findChild<QLabel*>("lblProduct");
    QVERIFY(product->font().bold() && product->font().italic());
    QPushButton* close = about.findChild<QPushButton*>("btnClose");
    QCOMPARE(close->text(), QString("Close"));
    QVERIFY(close->isDefault());
    about.show();
    QTest::mouseClick(close, Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Rejected));
}

void UiTest::mainWindowCaptionDebugMenuAndLayout() {
    WindowFixture fixture;
    fixture.store.write("MainWindow", {{"Left", "70"}, {"Top", "80"}, {"Width", "900"}, {"Height", "600"}});
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
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
    QCOMPARE(fixture.store.readInteger("MainWindow", "Width", 0), 800L);
    QCOMPARE(fixture.store.readInteger("MainWindow", "State", 0), 1L);
}

void UiTest::maximisedWindowReopensMaximised() {
    WindowFixture fixture;
    fixture.store.write("MainWindow", {{"State", "2"}, {"Width", "640"}});
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    window.ShowAsLaidOut();
    QVERIFY(window.isMaximized());
    window.close();
    QCOMPARE(fixture.store.readInteger("MainWindow", "State", 0), 2L);
}

void UiTest::laterCopyAsksTheRunningOneToShowItsWindow() {
    test::TempFolder runtime;
    SingleInstance running(runtime.path());
    QVERIFY(running.acquire());
    running.listen();
    QSignalSpy activations(&running, &SingleInstance::activationRequested);
    bool delivered = false;
    std::thread laterCopy([&] { delivered = SingleInstance(runtime.path()).askRunningCopyToActivate(); });
    QVERIFY(activations.wait(5000));
    laterCopy.join();
    QVERIFY(delivered);

    WindowFixture fixture;
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    window.showMinimized();
    window.RestoreOrRaise();
    QVERIFY(!window.isMinimized());
}

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

QStringList captions(const ImageListModel& model) {
    QStringList names;
    for (int i = 0; i < model.itemCount(0); ++i)
        names << model.item(0, i).caption;
    return names;
}

} // namespace

void UiTest::menusToolbarAndCommandTable() {
    WindowFixture fixture;
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    QStringList menus;
    for (QAction* menu : window.menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus, QStringList({"File", "Category", "Image", "Database", "Debug", "Help"}));
    QToolBar* toolbar = window.findChild<QToolBar*>("tbMain");
    QStringList buttons;
    for (QAction* action : toolbar->actions())
        buttons << action->objectName();
    QCOMPARE(buttons, QStringList({"actOptions", "actRefresh", "actUpload", "actSyncronize", "actBugReport",
                                   "actInverSelection", "actShowFile", "actFullScan"}));
    QAction* remove = window.Commands().Action("actDelete");
    QCOMPARE(remove->shortcuts(), QList<QKeySequence>({QKeySequence(Qt::SHIFT | Qt::Key_Delete),
                                                       QKeySequence(Qt::Key_F8)}));
    QCOMPARE(remove->toolTip(), QString("Delete File(s)"));
    QVERIFY(!remove->isEnabled()); // its command is not carried yet
    QVERIFY(window.Commands().Action("actAbout")->isEnabled());
    QMenu* states = window.findChild<QMenu*>("mnuGlobalStatus");
    QCOMPARE(states->actions().size(), 7);
    QCOMPARE(states->actions().at(6)->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F7));
}

void UiTest::everyTabOptionOffHidesTheEightPages() {
    WindowFixture fixture;
    SettingsStore::Values off;
    for (const char* option : {"tabcatalog", "tabstocks", "tabuploads", "tabstockinfo", "tabimageinfo",
                               "tabkeywords", "tabfiles2", "tabmodel"})
        off.push_back({option, "0"});
    fixture.store.write("Options", off);
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    auto* left = window.findChild<QTabWidget*>("PageControl1");
    auto* right = window.findChild<QTabWidget*>("PageControl2");
    QVERIFY(left->isTabVisible(0));
    for (int page = 1; page < left->count(); ++page)
        QVERIFY(!left->isTabVisible(page));
    for (int page = 0; page < right->count(); ++page)
        QVERIFY(!right->isTabVisible(page));
}

void UiTest::bugReportLinkIsExact() {
    QCOMPARE(bugReportLink(),
             std::string("mailto:support@orvella.example?&subject=Bug%20report&body=Hello,%20I%20have%20a%20"
                         "Orvella%20program%20version%201.5.%20I%20would%20like%20to%20report%20the%20following"
                         "%20issue:\n%0d%0dNote:%20[To%20get%20more%20info,%20you%20can%20attach%20Orvella%20log"
                         "%20file%20from%20the%20application%20folder.%20The%20file%20doesn't%20contain%20any%20"
                         "private%20info%20such%20as%20passwords%20etc]"));
    QCOMPARE(mailtoLink("a@b", "c@d", "e@f", "S", "x\r\ny"), std::string("mailto:a@b?cc=c@d&bcc=e@f&subject=S&body=x%0dy"));
}

void UiTest::sortingByHeaderColumns() {
    ImageListView view("Easy");
    ImageListModel& model = *view.Items();
    model.addGroup("Files (3)");
    model.addItem(0, listItem("b.jpg", 300, 1));
    model.addItem(0, listItem("a.eps", 100, 3));
    model.addItem(0, listItem("c.tif", 200, 2));
    view.clickColumn(ImageListView::SizeColumn);
    QCOMPARE(captions(model), QStringList({"a.eps", "c.tif", "b.jpg"}));
    view.clickColumn(ImageListView::SizeColumn);
    QCOMPARE(captions(model), QStringList({"b.jpg", "c.tif", "a.eps"}));
    view.clickColumn(ImageListView::NameColumn);
    QCOMPARE(captions(model), QStringList({"a.eps", "b.jpg", "c.tif"}));
    view.clickColumn(ImageListView::SentColumn); // keeps the key, resets the direction
    QCOMPARE(captions(model), QStringList({"a.eps", "b.jpg", "c.tif"}));
    view.clickColumn(ImageListView::DateColumn);
    QCOMPARE(captions(model), QStringList({"b.jpg", "c.tif", "a.eps"}));
    view.clickColumn(ImageListView::TypeColumn);
    QCOMPARE(captions(model), QStringList({"a.eps", "b.jpg", "c.tif"}));
}

void UiTest::selectionFillsTheStatusBar() {
    WindowFixture fixture;
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    ImageListModel& model = *easy->Items();
    model.addGroup("Files (3)");
    for (auto [name, size] : {std::pair{"a.jpg", 1536}, std::pair{"b.jpg", 10}, std::pair{"c.jpg", 20}})
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
    window.Commands().Action("actInverSelection")->trigger();
    QCOMPARE(panel(3), QString("1 files selected"));
}

namespace {

void writePictures(const fs::path& folder, int count, int width) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        QImage picture(width, width * 2 / 3, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 30 % 360, 200, 200));
        picture.save(QString::fromStdString((folder / ("p" + std::to_string(i) + ".jpg")).string()), "JPEG");
    }
}

QString groupCaption(ImageListView* list) {
    return list->Items()->groupCount() ? list->Items()->groupCaption(0) : QString();
}

} // namespace

void UiTest::selectingAFolderListsItsPictures() {
    WindowFixture fixture;
    writePictures(fixture.root / "shoot", 3, 300);
    fs::create_directories(fixture.root / "nothing");
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    AppStarted = true;
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(QString::fromStdString((fixture.root / "shoot").string()));
    QTRY_COMPARE(groupCaption(easy), QString("Files (3)"));
    QCOMPARE(easy->Items()->pictureCount(), 3);
    QVERIFY(!easy->Items()->item(0, 0).data.MD5.empty());
    window.SelectFolder(QString::fromStdString((fixture.root / "nothing").string()));
    QTRY_COMPARE(groupCaption(easy), QString("Files (0)"));
    window.close();
    QCOMPARE(fixture.store.readText("MainWindow", "Directory", ""), (fixture.root / "nothing").string());
    AppStarted = false;
}

void UiTest::selectingAnotherFolderStopsTheFirst() {
    WindowFixture fixture;
    writePictures(fixture.root / "big", 40, 1600);
    writePictures(fixture.root / "small", 2, 200);
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    AppStarted = true;
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(QString::fromStdString((fixture.root / "big").string()));
    QTest::qWait(30);
    window.SelectFolder(QString::fromStdString((fixture.root / "small").string()));
    QTRY_COMPARE(groupCaption(easy), QString("Files (2)"));
    QTest::qWait(300); // anything the first run still had on its way is dropped
    QCOMPARE(easy->Items()->itemCount(0), 2);
    for (int i = 0; i < 2; ++i)
        QVERIFY(easy->Items()->item(0, i).data.FilePath == (fixture.root / "small").string());
    AppStarted = false;
}

void UiTest::filesDroppedOnTheListMoveIntoItsFolder() {
    WindowFixture fixture;
    writePictures(fixture.root / "target", 1, 200);
    fs::rename(fixture.root / "target" / "p0.jpg", fixture.root / "target" / "own.jpg");
    writePictures(fixture.root / "desktop", 2, 200);
    test::writeFile(fixture.root / "target" / "p1.jpg", "already here");
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    AppStarted = true;
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(QString::fromStdString((fixture.root / "target").string()));
    QTRY_COMPARE(groupCaption(easy), QString("Files (2)"));

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString((fixture.root / "desktop" / "p0.jpg").string())),
                   QUrl::fromLocalFile(QString::fromStdString((fixture.root / "desktop" / "p1.jpg").string()))});
    QPoint over = easy->viewport()->mapTo(&window, easy->viewport()->rect().center());
    QVERIFY(window.DropFiles(files.urls(), over));
    QVERIFY(!window.DropFiles(files.urls(), window.findChild<QWidget*>("StockGrid")->mapTo(&window, QPoint(5, 5))));

    QVERIFY(fs::exists(fixture.root / "target" / "p0.jpg"));
    QVERIFY(!fs::exists(fixture.root / "desktop" / "p0.jpg"));
    // A file of the same name in the target is never replaced.
    QCOMPARE(test::readFile(fixture.root / "target" / "p1.jpg"), std::string("already here"));
    QVERIFY(fs::exists(fixture.root / "desktop" / "p1.jpg"));
    QTRY_COMPARE(groupCaption(easy), QString("Files (3)")); // reloaded after the drop
    AppStarted = false;
}

void UiTest::popupEntriesFollowTheLeftPage() {
    WindowFixture fixture;
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    auto* left = window.findChild<QTabWidget*>("PageControl1");
    QAction* deleteInvalid = window.Commands().Action("actDeleteInvalid");
    QAction* unfasten = window.Commands().Action("actUnfasten");
    left->setCurrentIndex(2); // Stocks
    QVERIFY(deleteInvalid->isVisible() && !unfasten->isVisible());
    left->setCurrentIndex(1); // Catalog
    QVERIFY(!deleteInvalid->isVisible() && unfasten->isVisible());
    left->setCurrentIndex(3); // Uploads: the list gets check boxes for items and groups
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    ImageListModel& model = *easy->Items();
    QVERIFY(model.checkBoxes());
    model.addGroup("Stock A (2)");
    model.addItem(0, listItem("a.jpg", 1, 1));
    model.addItem(0, listItem("b.jpg", 1, 1));
    window.show();
    QTest::qWait(50);
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
}

void UiTest::restoringTheSavedFolderWithFullScanOn() {
    WindowFixture fixture;
    writePictures(fixture.root / "saved", 1, 100);
    writePictures(fixture.root / "other", 2, 100);
    std::string saved = (fixture.root / "saved").string();
    fixture.store.writeText("MainWindow", "Directory", "/no/such/folder/any/more");
    fixture.store.writeBoolean("Options", "FullScan", true);
    TfrmMain window(*fixture.dataModule, fixture.folders, fixture.store);
    fixture.store.writeText("MainWindow", "Directory", saved);
    AppStarted = true;
    RestoreFolderPending = true;
    window.show();
    ImageListView* easy = window.findChild<ImageListView*>("Easy");
    window.SelectFolder(QString::fromStdString((fixture.root / "other").string()));
    QTest::qWait(200);
    QCOMPARE(easy->Items()->groupCount(), 0); // still on the way to the saved folder: nothing loads
    window.SelectFolder(QString::fromStdString(saved));
    QTRY_COMPARE(groupCaption(easy), QString("Files (1)"));
    QVERIFY(!RestoreFolderPending);
    window.SelectFolder(QString::fromStdString((fixture.root / "other").string()));
    QTRY_COMPARE(groupCaption(easy), QString("Files (2)"));
    AppStarted = false;
}

} // namespace orvella

int main(int argc, char** argv) {
    orvella::OrvellaApplication application(argc, argv);
    orvella::UiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "UiTest.moc"
