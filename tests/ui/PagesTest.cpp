// Pages and the image list built alone on a page fixture, without the main
// window, and the command table the pages bind their commands through.
#include "support/PageFixture.h"
#include "ui/CommandTable.h"
#include "ui/FolderTreeModel.h"
#include "ui/ImageListView.h"
#include "ui/pages/FilesPage.h"
#include "ui/pages/KeywordsPage.h"
#include "ui/pages/ModelReleasePage.h"
#include "ui/pages/StocksPage.h"

#include <QFileSystemModel>
#include <QListWidget>
#include <QProgressBar>
#include <QSet>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

namespace orvella {

namespace fs = std::filesystem;

class PagesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() { fixture.reset(); }

    void stocksPageListsTheStocksItIsGiven();
    void modelReleasePageReloadsTheCatalogueReleases();
    void filesPageChoosesFoldersOnlyOnceStarted();
    void folderTreesBeginWithHomeAndPictures_data();
    void folderTreesBeginWithHomeAndPictures();
    void folderTreeFollowsTheDisk();
    void keywordsPageCaptionFollowsTheFocusedImage();
    void sortingByHeaderColumns();
    void commandTableDefinesEveryIdOnce();
    void commandBoundByIdEndsWithItsOwner();
    void everyWindowCommandComesFromTheTable();
};

void PagesTest::stocksPageListsTheStocksItIsGiven() {
    StocksPage page(*fixture->context);
    page.findChild<QWidget*>("StockPanel")->show();
    TStockList stocks(2);
    stocks[0].Name = "Stock A";
    stocks[1].Name = "Stock B";
    page.showStocks(stocks);
    auto* view = page.findChild<QTreeWidget*>("StockView");
    QCOMPARE(view->topLevelItemCount(), 2);
    QCOMPARE(view->topLevelItem(1)->text(0), QString("Stock B"));
    QVERIFY(page.findChild<QWidget*>("StockPanel")->isHidden());
    page.showStocks({});
    QCOMPARE(view->topLevelItemCount(), 0);
}

void PagesTest::modelReleasePageReloadsTheCatalogueReleases() {
    ModelReleasePage page(*fixture->context);
    auto* releases = page.findChild<QListWidget*>("ReleaseList");
    page.reload();
    QCOMPARE(releases->count(), 0);
    std::string id = fixture->stockDB->AddModelRelease("/releases/zoe.jpg", "Zoe");
    fixture->stockDB->AddModelRelease("/releases/anna.jpg", "Anna");
    page.reload();
    QCOMPARE(releases->count(), 2);
    QListWidgetItem* zoe = releases->item(1);
    QCOMPARE(zoe->text(), QString("Zoe"));
    QCOMPARE(zoe->data(Qt::UserRole).toString(), QString::fromStdString(id));
    QCOMPARE(zoe->toolTip(), QString("/releases/zoe.jpg"));
    QCOMPARE(zoe->checkState(), Qt::Unchecked);
}

// Until the program has started nothing is chosen; while the folder of the
// layout is on its way, with the full scan on, other folders load nothing.
void PagesTest::filesPageChoosesFoldersOnlyOnceStarted() {
    fs::create_directories(fixture->root / "saved");
    fs::create_directories(fixture->root / "other");
    fixture->store.writeText("MainWindow", "Directory", (fixture->root / "saved").string());
    fixture->store.writeBoolean("Options", "FullScan", true);
    fixture->options.LoadOptions();
    FilesPage page(*fixture->context);
    page.show();
    QSignalSpy left(&page, &FilesPage::folderLeft);
    QSignalSpy chosen(&page, &FilesPage::folderChosen);

    page.selectFolder(fixture->pathText("saved"));
    QCOMPARE(page.selectedFolder(), fixture->pathText("saved"));
    QCOMPARE(left.count() + chosen.count(), 0);

    fixture->startup = {.AppStarted = true, .RestoreFolderPending = true};
    page.selectFolder(fixture->pathText("other"));
    QCOMPARE(left.count(), 1);
    QCOMPARE(chosen.count(), 0);
    page.selectFolder(fixture->pathText("saved"));
    QCOMPARE(left.count(), 2);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), fixture->pathText("saved"));
    QVERIFY(!fixture->startup.RestoreFolderPending);
    page.selectFolder(fixture->pathText("other"));
    QCOMPARE(chosen.last().at(0).toString(), fixture->pathText("other"));
}

namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void set(const char* name, const QByteArray& value) {
        saved_.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            auto& [name, value, wasSet] = *it;
            wasSet ? qputenv(name, value) : qunsetenv(name);
        }
    }

private:
    std::vector<std::tuple<const char*, QByteArray, bool>> saved_;
};

QStringList topCaptions(const QAbstractItemModel& model) {
    QStringList captions;
    for (int row = 0; row < model.rowCount(); ++row)
        captions << model.index(row, 0).data().toString();
    return captions;
}

QStringList pathToTop(QModelIndex index) {
    QStringList captions;
    for (; index.isValid(); index = index.parent())
        captions.prepend(index.data().toString());
    return captions;
}

} // namespace

void PagesTest::folderTreesBeginWithHomeAndPictures_data() {
    QTest::addColumn<QString>("picturesLine");
    QTest::addColumn<QStringList>("roots");
    QTest::newRow("pictures folder of the desktop")
        << R"(XDG_PICTURES_DIR="$HOME/Photos")" << QStringList{"Home", "Photos", "/"};
    QTest::newRow("no pictures folder: home once")
        << R"(XDG_PICTURES_DIR="$HOME/Missing")" << QStringList{"Home", "/"};
}

// Both trees start at home and pictures, then the root; a folder below the
// pictures folder is reached from there.
void PagesTest::folderTreesBeginWithHomeAndPictures() {
    QFETCH(QString, picturesLine);
    QFETCH(QStringList, roots);
    fs::create_directories(fixture->root / "home" / "Photos" / "shoot");
    fs::create_directories(fixture->root / "xdg");
    std::ofstream(fixture->root / "xdg" / "user-dirs.dirs") << picturesLine.toStdString() << "\n";
    ScopedEnvironment environment;
    environment.set("HOME", fixture->pathText("home").toUtf8());
    environment.set("XDG_CONFIG_HOME", fixture->pathText("xdg").toUtf8());

    FilesPage page(*fixture->context);
    auto* tree = page.findChild<QTreeView*>("Tree");
    QCOMPARE(topCaptions(*tree->model()), roots);

    page.selectFolder(fixture->pathText("home/Photos/shoot"));
    QCOMPARE(page.selectedFolder(), fixture->pathText("home/Photos/shoot"));
    QCOMPARE(pathToTop(tree->currentIndex()).first(), roots.at(1) == "/" ? "Home" : "Photos");
}

// Folders are listed when reached, read again on request, and a folder that
// is not there has no item.
void PagesTest::folderTreeFollowsTheDisk() {
    fs::create_directories(fixture->root / "top" / "b");
    fs::create_directories(fixture->root / "top" / "A");
    fs::create_directories(fixture->root / "top" / "c");
    FolderTreeModel model({fixture->pathText("top"), fixture->pathText("top"), "/nowhere"});
    QCOMPARE(model.rowCount(), 1);
    QModelIndex top = model.index(0, 0);
    QVERIFY(model.hasChildren(top));
    QCOMPARE(model.rowCount(top), 0);
    QVERIFY(!model.indexOf(fixture->pathText("top/missing")).isValid());
    QCOMPARE(topCaptions(model), QStringList{"top"});
    auto children = [&] {
        QStringList names;
        for (int row = 0; row < model.rowCount(top); ++row)
            names << model.index(row, 0, top).data().toString();
        return names;
    };
    QCOMPARE(children(), (QStringList{"A", "b", "c"}));
    QModelIndex b = model.indexOf(fixture->pathText("top/b"));
    QCOMPARE(b.data(QFileSystemModel::FilePathRole).toString(), fixture->pathText("top/b"));

    fs::remove(fixture->root / "top" / "A");
    fs::create_directories(fixture->root / "top" / "B2");
    fs::create_directories(fixture->root / "top" / "d");
    QPersistentModelIndex kept(model.indexOf(fixture->pathText("top/c")));
    model.relist();
    QCOMPARE(children(), (QStringList{"b", "B2", "c", "d"}));
    QCOMPARE(model.folderOf(kept), fixture->pathText("top/c"));
    QCOMPARE(model.parent(kept), top);
}

void PagesTest::keywordsPageCaptionFollowsTheFocusedImage() {
    KeywordsPage page(*fixture->context);
    ImageListView list("Easy");
    fixture->selection.attach(&list);
    QSignalSpy captions(&page, &Page::captionChanged);
    page.showKeywordCount(4);
    ImageListItem item;
    item.caption = "a.jpg";
    list.Items()->addGroup("Files (1)");
    list.Items()->addItem(0, item);
    list.setCurrentIndex(list.model()->index(1, 0));
    QVERIFY(captions.count() >= 2);
    QCOMPARE(captions.first().at(0).toString(), QString("Keywords (4)"));
    QCOMPARE(captions.last().at(0).toString(), QString("Keywords"));
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

void PagesTest::sortingByHeaderColumns() {
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

void PagesTest::commandTableDefinesEveryIdOnce() {
    CommandTable& commands = fixture->commands();
    QSet<QString> names;
    for (CommandId id : cmd::All) {
        QCOMPARE(commands.Action(id)->objectName(), QString(id.name));
        names.insert(id.name);
    }
    QCOMPARE(names.size(), int(std::size(cmd::All)));
    QCOMPARE(commands.Actions().size(), names.size());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, commands.Action(CommandId{"actNoSuchCommand"}));
    QCOMPARE(commands.Action(cmd::InfoKeywordUp)->toolTip(), QString("Move keyword up"));
}

void PagesTest::commandBoundByIdEndsWithItsOwner() {
    CommandTable& commands = fixture->commands();
    QAction* action = commands.Action(cmd::Zip);
    QVERIFY(!action->isEnabled());
    int runs = 0;
    {
        QObject owner;
        commands.Bind(cmd::Zip, &owner, [&runs] { ++runs; });
        QVERIFY(action->isEnabled());
        action->trigger();
        QCOMPARE(runs, 1);
    }
    QVERIFY(!action->isEnabled());
    action->setEnabled(true);
    action->trigger();
    QCOMPARE(runs, 1);
}

// A page's toolbar buttons and popup entries are the table's commands: no
// command is made anywhere else in the window.
void PagesTest::everyWindowCommandComesFromTheTable() {
    TfrmMain& window = fixture->makeWindow();
    for (QAction* action : window.findChildren<QAction*>())
        QVERIFY2(!action->objectName().startsWith("act"), qPrintable(action->objectName()));
    for (const char* toolbar : {"tbInfoKeywords", "tbImageKeywords", "tbKeywordOrder", "tbStudio",
                                "tbStocks", "tbCategoryKeywords"})
        for (QAction* action : window.findChild<QToolBar*>(toolbar)->actions())
            QCOMPARE(fixture->commands().Action(CommandId{qPrintable(action->objectName())}),
                     action);
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::PagesTest)

#include "PagesTest.moc"
