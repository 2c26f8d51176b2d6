// The file views of the real main window: the caption edited in place by
// Rename, drags dropped on either folder tree and on the second list, files
// and stock pages opened with the desktop's programs, and the full scan
// offered when a folder is chosen.
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "files/FileIdentity.h"
#include "files/FileOperations.h"
#include "support/PageFixture.h"
#include "ui/CommandTable.h"
#include "ui/ImageListView.h"
#include "ui/dialogs/TfrmFullScan.h"
#include "ui/pages/FilesPage.h"
#include "ui/pages/SecondFilesPage.h"
#include "ui/panes/LeftPane.h"
#include "ui/panes/RightPane.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class FileViewsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;
    TfrmMain* window = nullptr;
    ImageListView* easy = nullptr;
    std::vector<QUrl> opened; // what the window asked the desktop to open

    // The window, shown and active, listing a folder of pictures.
    void openOn(const std::string& folder, int pictures) {
        easy = fixture->showWindowOn(folder, pictures);
        QVERIFY(easy);
        window = fixture->window.get();
        window->Context().openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
    }
    void trigger(CommandId id) { window->Commands().Action(id)->trigger(); }
    void showPage(const char* pane, const char* page) {
        auto* tabs = window->findChild<QTabWidget*>(pane);
        tabs->setCurrentWidget(tabs->findChild<QWidget*>(page));
    }
    // The row of the list showing a file name, selected alone.
    QModelIndex selectOnly(const QString& caption) {
        for (int i = 0; i < easy->Items()->itemCount(0); ++i)
            if (easy->Items()->item(0, i).caption == caption) {
                QModelIndex row = easy->Items()->index(easy->Items()->itemRow(0, i));
                easy->setCurrentIndex(row);
                easy->selectionModel()->select(row, QItemSelectionModel::ClearAndSelect);
                return row;
            }
        return {};
    }
    // The folder and name the catalogue row of a key gives.
    std::string cataloguedPath(const std::string& key) {
        TQuery row(fixture->dataModule->Connection());
        row.SetSQL("select FilePath, FileName from IMAGES where MD5 = " + QuotedStr(key));
        row.Open();
        if (row.Eof())
            return "";
        return (fs::path(row.FieldByName("FilePath").AsString()) /
                row.FieldByName("FileName").AsString())
            .string();
    }
    // The point of the window over a folder's line in a tree (scrolled into
    // sight), or none while the tree does not show it.
    std::optional<QPoint> overFolder(QTreeView* tree, const QString& folder) {
        QAbstractItemModel* model = tree->model();
        for (QModelIndex line = model->index(0, 0, tree->rootIndex()); line.isValid();
             line = tree->indexBelow(line))
            if (line.data(QFileSystemModel::FilePathRole).toString() == folder) {
                tree->scrollTo(line);
                return tree->viewport()->mapTo(window, tree->visualRect(line).center());
            }
        return std::nullopt;
    }
    // A drag of the data to a point of the window and its drop there,
    // delivered as the platform delivers them: to the window, which finds the
    // widget under the point. True when the drop was taken.
    bool dragAndDrop(const QMimeData& data, QPoint at) {
        QWindow* handle = window->windowHandle();
        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(handle, &enter);
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
        if (enter.isAccepted()) {
            move.setDropAction(enter.dropAction());
            move.accept();
        }
        QCoreApplication::sendEvent(handle, &move);
        if (!move.isAccepted()) { // the cursor said no: the user cannot drop there
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(handle, &leave);
            return false;
        }
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, {});
        drop.setDropAction(move.dropAction());
        QCoreApplication::sendEvent(handle, &drop);
        return drop.isAccepted();
    }
    // A user's double-click: QTest's double-click event comes after a click.
    static void doubleClick(QAbstractItemView* view, QPoint at) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    // What a drag of the main list's selection carries.
    std::unique_ptr<QMimeData> draggedSelection() {
        return std::unique_ptr<QMimeData>(
            easy->model()->mimeData(easy->selectionModel()->selectedIndexes()));
    }

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() {
        window = nullptr;
        opened.clear();
        fixture.reset();
    }

    void renameEditsTheCaptionInPlace();
    void selectionDroppedOnAFolderMovesThereOnce_data();
    void selectionDroppedOnAFolderMovesThereOnce();
    void aDropOnTheFilesOwnFolderDoesNothing();
    void filesFromAFileManagerDroppedOnTheSecondList();
    void doubleClickOpensTheFileWithTheDesktopsProgram();
    void openAsWebPageOpensTheStocksUrl();
    void fullScanIsOfferedWhenAFolderIsChosenNotOnRefresh();
};

// F2 edits the caption in place; the name typed is the file's new name only
// when the rename succeeds.
void FileViewsTest::renameEditsTheCaptionInPlace() {
    openOn("shoot", 2);
    fs::path p0 = fixture->root / "shoot" / "p0.jpg", p1 = fixture->root / "shoot" / "p1.jpg";
    std::string key = FileMD5(p0), contentP0 = test::readFile(p0), contentP1 = test::readFile(p1);
    auto editor = [this] { return easy->viewport()->findChild<QLineEdit*>(); };
    auto renameTo = [&](const QString& name) {
        QTest::keyClick(easy, Qt::Key_F2);
        QTRY_VERIFY(editor() && editor()->isVisible());
        QCOMPARE(editor()->text(), QString("p0.jpg"));
        QTRY_COMPARE(editor()->selectedText(), QString("p0")); // typing keeps the extension
        editor()->selectAll();
        QTest::keyClicks(editor(), name);
        QTest::keyClick(editor(), Qt::Key_Return);
        QTRY_VERIFY(!editor() || !editor()->isVisible());
    };

    easy->selectAll();
    QTest::keyClick(easy, Qt::Key_F2);
    QCOMPARE(fixture->prompts.messages,
             std::vector<std::string>{"You should select one image only for rename."});
    QVERIFY(!editor());

    // Onto a name that is taken: both files stay, the caption too, the user is told.
    fixture->prompts.messages.clear();
    QModelIndex row = selectOnly("p0.jpg");
    renameTo("p1.jpg");
    QCOMPARE(row.data().toString(), QString("p0.jpg"));
    QCOMPARE(test::readFile(p0), contentP0);
    QCOMPARE(test::readFile(p1), contentP1);
    QCOMPARE(fixture->prompts.messages.size(), size_t(1));
    QVERIFY(fixture->prompts.messages[0].find("already exists") != std::string::npos);

    if (qEnvironmentVariableIsSet("ORVELLA_SCREENSHOTS")) { // the picture for docs/pages
        QTest::keyClick(easy, Qt::Key_F2);
        QTRY_VERIFY(editor() && editor()->isVisible());
        QTRY_COMPARE(editor()->selectedText(), QString("p0"));
        window->grab().save(qEnvironmentVariable("ORVELLA_SCREENSHOTS") + "/centre-rename.png");
        QTest::keyClick(editor(), Qt::Key_Escape);
        QTRY_VERIFY(!editor() || !editor()->isVisible());
    }

    renameTo("sunset.jpg");
    QCOMPARE(row.data().toString(), QString("sunset.jpg"));
    QVERIFY(!fs::exists(p0));
    QCOMPARE(test::readFile(fixture->root / "shoot" / "sunset.jpg"), contentP0);
    QCOMPARE(cataloguedPath(key), (fixture->root / "shoot" / "sunset.jpg").string());
    QCOMPARE(easy->Items()->itemAt(row)->data.FullName,
             (fixture->root / "shoot" / "sunset.jpg").string());
    QCOMPARE(fixture->prompts.messages.size(), size_t(1));
    // The status bar names the file at once, not only when the focus moves.
    QCOMPARE(window->findChild<QLabel*>("StatusBar1Panel0")->text(), QString("sunset.jpg"));
}

void FileViewsTest::selectionDroppedOnAFolderMovesThereOnce_data() {
    QTest::addColumn<QString>("over");
    QTest::addColumn<bool>("moveFiles");
    QTest::newRow("moved to a folder of the main tree") << "Tree" << true;
    QTest::newRow("moved to a folder of the second tree") << "Tree2" << true;
    QTest::newRow("moved to the second list") << "Easy2" << true;
    QTest::newRow("copied to the second list") << "Easy2" << false;
}

// Three pictures dragged from the main list onto a folder that holds one of
// their names. Moved (MoveFiles): two go with their rows, one stays, the
// user is told once. Copied: the file there is kept, the rows stay with the
// originals. Either way the views are listed again.
void FileViewsTest::selectionDroppedOnAFolderMovesThereOnce() {
    QFETCH(QString, over);
    QFETCH(bool, moveFiles);
    test::writePictures(fixture->root / "target", 1, 300); // p0.jpg is taken there
    std::string keptP0 = test::readFile(fixture->root / "target" / "p0.jpg");
    fixture->store.writeBoolean("Options", "MoveFiles", moveFiles);
    openOn("shoot", 3);
    std::string keyP0 = FileMD5(fixture->root / "shoot" / "p0.jpg");
    std::string keyP2 = FileMD5(fixture->root / "shoot" / "p2.jpg");
    showPage("PageControl2", "SecondFilesPage");
    SecondFilesPage& second = window->Right()->secondFiles();
    auto* easy2 = window->findChild<ImageListView*>("Easy2");
    QPoint at;
    if (over == "Easy2") {
        second.selectFolder(fixture->pathText("target"));
        QTRY_COMPARE(test::firstGroupCaption(easy2), QString("Files (1)"));
        at = easy2->viewport()->mapTo(window, easy2->viewport()->rect().center());
    } else {
        auto* tree = window->findChild<QTreeView*>(over);
        second.selectFolder(fixture->pathText("shoot")); // the tree shows the folders beside it
        std::optional<QPoint> line;
        QTRY_VERIFY((line = overFolder(tree, fixture->pathText("target"))).has_value());
        at = *line;
    }
    easy->selectAll();

    QVERIFY(dragAndDrop(*draggedSelection(), at));

    fs::path shoot = fixture->root / "shoot", target = fixture->root / "target";
    QCOMPARE(test::readFile(target / "p0.jpg"), keptP0);
    QVERIFY(fs::exists(shoot / "p0.jpg"));
    QVERIFY(fs::exists(target / "p2.jpg"));
    QCOMPARE(fs::exists(shoot / "p2.jpg"), !moveFiles);
    QCOMPARE(cataloguedPath(keyP2), ((moveFiles ? target : shoot) / "p2.jpg").string());
    QCOMPARE(cataloguedPath(keyP0), (shoot / "p0.jpg").string());
    QCOMPARE(fixture->prompts.messages,
             moveFiles ? std::vector<std::string>{kFilesDidNotMove} : std::vector<std::string>{});
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (%1)").arg(moveFiles ? 1 : 3));
    if (over == "Easy2")
        QTRY_COMPARE(test::firstGroupCaption(easy2), QString("Files (3)"));
}

// Dropped where the files already are, on a tree or the second list:
// nothing moves and nothing is said. Where no folder is, the drop is refused.
void FileViewsTest::aDropOnTheFilesOwnFolderDoesNothing() {
    openOn("shoot", 2);
    std::string key = FileMD5(fixture->root / "shoot" / "p1.jpg");
    showPage("PageControl2", "SecondFilesPage");
    auto* easy2 = window->findChild<ImageListView*>("Easy2");
    window->Right()->secondFiles().selectFolder(fixture->pathText("shoot"));
    QTRY_COMPARE(test::firstGroupCaption(easy2), QString("Files (2)"));
    std::optional<QPoint> line;
    auto* tree2 = window->findChild<QTreeView*>("Tree2");
    QTRY_VERIFY((line = overFolder(tree2, fixture->pathText("shoot"))).has_value());
    easy->selectAll();
    std::unique_ptr<QMimeData> dragged = draggedSelection();

    QVERIFY(dragAndDrop(*dragged, *line));
    QVERIFY(dragAndDrop(*dragged, easy2->viewport()->mapTo(window, QPoint(10, 10))));
    QVERIFY(!dragAndDrop(*dragged,
                         window->findChild<QWidget*>("StatusBar1")->mapTo(window, QPoint(5, 5))));
    // The main list's own selection is not dropped on the list it comes from.
    QVERIFY(!dragAndDrop(*dragged, easy->viewport()->mapTo(window, QPoint(10, 10))));

    QVERIFY(fixture->prompts.messages.empty());
    QVERIFY(fs::exists(fixture->root / "shoot" / "p0.jpg"));
    QVERIFY(fs::exists(fixture->root / "shoot" / "p1.jpg"));
    QCOMPARE(cataloguedPath(key), (fixture->root / "shoot" / "p1.jpg").string());
}

// Files a file manager drops on the second list move into the folder it
// shows; a file whose name is taken there stays and is named to the user.
void FileViewsTest::filesFromAFileManagerDroppedOnTheSecondList() {
    test::writePictures(fixture->root / "desktop", 2, 200);
    test::writeFile(fixture->root / "target" / "p1.jpg", "already here");
    openOn("shoot", 1);
    showPage("PageControl2", "SecondFilesPage");
    auto* easy2 = window->findChild<ImageListView*>("Easy2");
    window->Right()->secondFiles().selectFolder(fixture->pathText("target"));
    QTRY_COMPARE(window->Right()->secondFiles().selectedFolder(), fixture->pathText("target"));
    QMimeData files; // as a file manager writes it: text/uri-list only
    files.setUrls({QUrl::fromLocalFile(fixture->pathText("desktop/p0.jpg")),
                   QUrl::fromLocalFile(fixture->pathText("desktop/p1.jpg"))});

    QVERIFY(dragAndDrop(files, easy2->viewport()->mapTo(window, QPoint(10, 10))));

    QVERIFY(fs::exists(fixture->root / "target" / "p0.jpg"));
    QVERIFY(!fs::exists(fixture->root / "desktop" / "p0.jpg"));
    QCOMPARE(test::readFile(fixture->root / "target" / "p1.jpg"), std::string("already here"));
    QVERIFY(fs::exists(fixture->root / "desktop" / "p1.jpg"));
    QCOMPARE(fixture->prompts.messages.size(), size_t(1));
    QVERIFY(fixture->prompts.messages[0].find("p1.jpg") != std::string::npos);
    QTRY_COMPARE(test::firstGroupCaption(easy2),
                 QString("Files (2)")); // listed again after the drop
    QCOMPARE(test::firstGroupCaption(easy), QString("Files (1)"));
}

void FileViewsTest::doubleClickOpensTheFileWithTheDesktopsProgram() {
    openOn("shoot", 2);
    QModelIndex row = selectOnly("p1.jpg");
    doubleClick(easy, easy->visualRect(row).center());

    QCOMPARE(opened, std::vector<QUrl>{QUrl::fromLocalFile(fixture->pathText("shoot/p1.jpg"))});
    QVERIFY(!easy->viewport()->findChild<QLineEdit*>()); // no caption editing
    // A double-click on a group's caption line opens nothing.
    doubleClick(easy, easy->visualRect(easy->Items()->index(0)).center());
    QCOMPARE(opened.size(), size_t(1));
}

// From the stock list's menu or a double-click on a stock; a stock without
// a URL opens nothing and the user is told why.
void FileViewsTest::openAsWebPageOpensTheStocksUrl() {
    for (const char* sql :
         {"insert into STOCK (STOCK_ID, STOCKNAME, URL, ENABLED, FTPENABLED) values "
          "(0, 'Alpha', 'http://127.0.0.1:8080/alpha', 1, 0)",
          "insert into STOCK (STOCK_ID, STOCKNAME, URL, ENABLED, FTPENABLED) values "
          "(1, 'Beta', '', 1, 0)"}) {
        TQuery insert(fixture->dataModule->Connection());
        insert.SetSQL(sql);
        insert.ExecSQL();
    }
    openOn("shoot", 1);
    showPage("PageControl1", "StocksPage");
    auto* stocks = window->findChild<QTreeWidget*>("StockView");
    QCOMPARE(stocks->topLevelItemCount(), 2);
    QAction* open = window->Commands().Action(cmd::OpenStockPage);
    QVERIFY(stocks->actions().contains(open));

    stocks->setCurrentItem(stocks->topLevelItem(0));
    open->trigger();
    QCOMPARE(opened, std::vector<QUrl>{QUrl("http://127.0.0.1:8080/alpha")});
    doubleClick(stocks, stocks->visualItemRect(stocks->topLevelItem(0)).center());
    QCOMPARE(opened.size(), size_t(2));

    doubleClick(stocks, stocks->visualItemRect(stocks->topLevelItem(1)).center());
    QCOMPARE(opened.size(), size_t(2));
    QCOMPARE(fixture->prompts.messages,
             std::vector<std::string>{"The stock Beta has no URL: there is no web page to open."});
}

// With the option FullScan on, choosing a folder never scanned offers the
// wizard; listing the same folder again (Refresh, after a command) does not.
void FileViewsTest::fullScanIsOfferedWhenAFolderIsChosenNotOnRefresh() {
    fixture->store.writeBoolean("Options", "FullScan", true);
    test::writePictures(fixture->root / "other", 1, 100);
    int offers = 0;
    QTimer cancel; // answers every offer with "Cancel"
    cancel.setInterval(5);
    connect(&cancel, &QTimer::timeout, this, [&offers] {
        if (auto* wizard = qobject_cast<TfrmFullScan*>(QApplication::activeModalWidget())) {
            ++offers;
            wizard->findChild<QPushButton*>("btnCancel")->click();
        }
    });
    cancel.start();

    openOn("shoot", 2);
    QCOMPARE(offers, 1);
    QSignalSpy relisted(&window->Left()->files(), &FilesPage::folderRelisted);
    window->activateWindow(); // the wizard had the focus
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(easy, Qt::Key_F5);
    QCOMPARE(relisted.count(), 1);
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (2)"));
    selectOnly("p0.jpg");
    fixture->prompts.answers = {true};
    trigger(cmd::Clone); // a command that lists the folder again
    QTRY_COMPARE(test::firstGroupCaption(easy), QString("Files (3)"));
    QCOMPARE(offers, 1);

    window->Left()->files().selectFolder(fixture->pathText("other"));
    QTRY_COMPARE(offers, 2);
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::FileViewsTest)

#include "FileViewsTest.moc"
