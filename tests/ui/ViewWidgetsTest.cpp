// The window side of the views on the offscreen platform: the image list fed
// by view runs, the filter grid edited by clicks, the state grid's selectors.
#include "catalogue/Connection.h"
#include "catalogue/Query.h"
#include "support/TempFolder.h"
#include "ui/ImageListView.h"
#include "ui/views/CatalogueView.h"
#include "ui/views/FilterGrid.h"
#include "ui/views/StateGrid.h"
#include "ui/views/StateIcons.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>

namespace orvella {

namespace fs = std::filesystem;

class ViewWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void stockViewFillsGroupsAndCollapsesAccepted();
    void categoryRunOnItsThreadFillsTheListAndAStopDropsTheRest();
    void filterPanelHidesItemsAndCaptionsTheFirstGroup();
    void filterGridHeaderClicksFollowTheThreshold();
    void stateGridSelectorReportsItsOwnStock();
    void stateIconsAreSevenOfEighteenPixels();

private:
    void execute(const std::string& sql) {
        TQuery query(*connection);
        query.SetSQL(sql);
        query.ExecSQL();
    }
    // n catalogued images "p0001.jpg"... in the photos folder, files on disk.
    void addImages(int count) {
        fs::create_directories(root->path() / "photos");
        for (int i = 1; i <= count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "p%04d.jpg", i);
            test::writeFile(root->path() / "photos" / name, "x");
        }
        execute(
            "with recursive C(I) as (select 1 union all select I + 1 from C where I < " +
            std::to_string(count) +
            ") insert into IMAGES (MD5, FileName, FilePath, FileSize) select printf('%032X', I), "
            "printf('p%04d.jpg', I), '" +
            (root->path() / "photos").string() + "', 1 from C");
    }
    static QStringList groupCaptions(ImageListModel* items) {
        QStringList captions;
        for (int g = 0; g < items->groupCount(); ++g)
            captions << items->groupCaption(g);
        return captions;
    }

    std::unique_ptr<test::TempFolder> root;
    std::unique_ptr<TCatalogueConnection> connection;
};

void ViewWidgetsTest::init() {
    root = std::make_unique<test::TempFolder>();
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root->path() / "Orvella.dat");
    connection = std::make_unique<TCatalogueConnection>(root->path() / "Orvella.dat");
}

void ViewWidgetsTest::cleanup() {
    connection.reset();
    root.reset();
}

void ViewWidgetsTest::stockViewFillsGroupsAndCollapsesAccepted() {
    addImages(600);
    execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (0, 'Alpha', 1)");
    execute(
        "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) select MD5, 0, "
        "case when rowid % 3 = 0 then '5' when rowid % 3 = 1 then '2' else '0' end from IMAGES");
    ImageListView list("Easy");
    CatalogueView view(&list, *connection);
    QSignalSpy finished(&view, &CatalogueView::viewFinished);

    view.Run({CatalogueViewMode::Stock, "", 0, "", {}, false});

    QCOMPARE(finished.count(), 1);
    ImageListModel* items = list.Items();
    QCOMPARE(groupCaptions(items),
             QStringList({"Accepted (200)", "Pending (200)", "Ready to upload (0)", "Resubmit (0)",
                          "Donated (0)", "Rejected (0)", "Upload failed (0)"}));
    QVERIFY(list.isRowHidden(items->itemRow(0, 0)));
    QVERIFY(list.isRowHidden(items->itemRow(0, 199)));
    QVERIFY(!list.isRowHidden(items->groupRow(0)));
    QVERIFY(!list.isRowHidden(items->itemRow(1, 0)));
    QCOMPARE(items->item(1, 0).caption, QString("p0001.jpg"));
}

void ViewWidgetsTest::categoryRunOnItsThreadFillsTheListAndAStopDropsTheRest() {
    addImages(3000);
    execute("insert into CATEGORY (CATEGORY_ID, CNAME) values ('C1', 'All')");
    execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) select MD5, 'C1' from IMAGES");
    ImageListView list("Easy");
    CatalogueView view(&list, *connection);
    QSignalSpy finished(&view, &CatalogueView::viewFinished);

    view.Start({CatalogueViewMode::Category, "C1", 0, "", {}, false});
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    QCOMPARE(groupCaptions(list.Items()), QStringList({"Files (3000)"}));

    // A folder selection stops the run as its first items arrive: nothing
    // more reaches the list, neither items nor the final captions.
    bool stopped = false;
    connect(list.Items(), &QAbstractItemModel::rowsInserted, &view, [&] {
        if (!stopped && list.Items()->groupCount() == 1 && list.Items()->itemCount(0) > 0) {
            stopped = true;
            view.Stop();
        }
    });
    view.Start({CatalogueViewMode::Category, "C1", 0, "", {}, false});
    QTRY_VERIFY_WITH_TIMEOUT(stopped, 20000);
    int shown = list.Items()->itemCount(0);
    QTRY_VERIFY(view.Idle());
    QCoreApplication::processEvents(); // whatever the run sent has arrived
    QCOMPARE(list.Items()->itemCount(0), shown);
    QVERIFY(shown < 3000);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(list.Items()->groupCaption(0), QString("Files"));
}

void ViewWidgetsTest::filterPanelHidesItemsAndCaptionsTheFirstGroup() {
    addImages(4);
    execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (0, 'Alpha', 1)");
    execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (1, 'Beta', 1)");
    execute(
        "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values (printf('%032X', 1), 0, '2')");
    execute(
        "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values (printf('%032X', 2), 1, '5')");
    execute("insert into CATEGORY (CATEGORY_ID, CNAME) values ('C1', 'All')");
    execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) select MD5, 'C1' from IMAGES");
    ImageListView list("Easy");
    CatalogueView view(&list, *connection);
    view.Run({CatalogueViewMode::Category, "C1", 0, "", {}, false});

    FilterPanelState panel;
    panel.setStocks({"Alpha", "Beta"});
    panel.rows()[0].cells[2] = "0"; // Alpha: Pending hidden
    panel.rows()[1].cells[0] = "0"; // Beta: Not ready hidden
    QCOMPARE(CatalogueView::ApplyFilterPanel(&list, *connection, panel), 1);
    ImageListModel* items = list.Items();
    QCOMPARE(items->groupCaption(0), QString("Files (1/4) filtered"));
    QVERIFY(list.isRowHidden(items->itemRow(0, 0)));
    QVERIFY(!list.isRowHidden(items->itemRow(0, 1)));
    QVERIFY(list.isRowHidden(items->itemRow(0, 3)));

    CatalogueView::ShowAllItems(&list);
    QVERIFY(!list.isRowHidden(items->itemRow(0, 0)));
}

void ViewWidgetsTest::filterGridHeaderClicksFollowTheThreshold() {
    FilterGrid grid;
    grid.resize(400, 200);
    grid.setStocks({"A", "B", "C", "D", "E"});
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy edited(&grid, &FilterGrid::edited);
    auto click = [&](int row, int column) {
        QRect cell = grid.visualRect(grid.model()->index(row, column));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    };
    click(4, 1); // D: Not ready unticked
    click(5, 1); // E: Not ready unticked; three of five stay ticked
    QCOMPARE(grid.panel().cell(1, 4), std::string("0"));
    click(0, 1);
    for (int row = 1; row <= 5; ++row)
        QCOMPARE(grid.panel().cell(1, row), std::string("0"));
    click(1, 1);
    click(2, 1); // two ticked
    click(0, 1);
    for (int row = 1; row <= 5; ++row)
        QCOMPARE(grid.panel().cell(1, row), std::string("1"));
    QCOMPARE(edited.count(), 6);
    QCOMPARE(grid.objectName(), QString("DrawGrid1"));
}

void ViewWidgetsTest::stateGridSelectorReportsItsOwnStock() {
    StateGrid grid;
    grid.resize(400, 200);
    TStockList stocks(3);
    stocks[0] = {0, "Zero", "", "", "", true, true, "", "", ""};
    stocks[1] = {2, "Two", "", "", "", true, true, "", "", ""};
    stocks[2] = {5, "Five", "", "", "", true, false, "", "", ""};
    grid.setStocks(stocks);
    grid.showStates(
        "KEY",
        {{0, "Zero", "Not ready", ""}, {2, "Two", "Pending", "ok"}, {5, "Five", "Accepted", ""}});
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.horizontalHeaderItem(1)->text(), QString(" Image State"));
    QVERIFY(!grid.item(1, 1)->icon().isNull());
    QVERIFY(grid.item(0, 1)->icon().isNull());

    grid.selectCell(2, 1);
    QComboBox* selector = grid.selector(2);
    QVERIFY(selector->isVisible());
    QVERIFY(!grid.selector(1)->isVisible());
    QCOMPARE(selector->currentText(), QString("Accepted"));
    QCOMPARE(selector->count(), 8);

    QSignalSpy chosen(&grid, &StateGrid::stateChosen);
    selector->activated(4);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen[0][0].toInt(), 5);
    QCOMPARE(chosen[0][1].toInt(), 4);
    QVERIFY(!selector->isVisible());

    grid.selectCell(1, 2); // the comment column shows no selector
    QVERIFY(!grid.selector(1)->isVisible());
    QCOMPARE(grid.comments(), std::vector<std::string>({"", "ok", ""}));
    QCOMPARE(grid.imageKey(), std::string("KEY"));
}

void ViewWidgetsTest::stateIconsAreSevenOfEighteenPixels() {
    QCOMPARE(static_cast<int>(StateIcons::all().size()), 7);
    for (const QPixmap& icon : StateIcons::all()) {
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.size(), QSize(18, 18));
    }
    QVERIFY(StateIcons::forStateName("Not ready").isNull());
    QCOMPARE(StateIcons::forStateName("Donated").toImage(), StateIcons::all()[6].toImage());
}

} // namespace orvella

QTEST_MAIN(orvella::ViewWidgetsTest)
#include "ViewWidgetsTest.moc"
