// The Stocks page's earnings: figures written into every row named after the
// stock, and the real web engine reading eight local agency sites.
#include "ui/pages/StocksPage.h"
#include "stats/AgencyServer.h"
#include "stats/ScriptedWeb.h"
#include "support/PageFixture.h"

#include <QProgressBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace orvella {

class StocksPageTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::PageFixture> fixture;

    void addStock(const std::string& name) {
        fixture->stockDB->AddStock(name, "", false, "");
        fixture->stockDB->SetStockWebLogin(fixture->stockDB->GetStockId(name), "me", "pw-" + name);
    }

    static QStringList row(QTreeWidget* view, int index) {
        QTreeWidgetItem* item = view->topLevelItem(index);
        return {item->text(0), item->text(1), item->text(2)};
    }

private slots:
    void init() { fixture = std::make_unique<test::PageFixture>(); }
    void cleanup() { fixture.reset(); }

    void everyRowNamedAfterTheStockGetsTheFigures();
    void figuresOfEightLocalAgenciesLandInTheStockView();
};

void StocksPageTest::everyRowNamedAfterTheStockGetsTheFigures() {
    addStock("Fotolia");
    test::ScriptedWeb web;
    AgencySite fotolia = agencySites(nullptr)[3];
    web.pages[fotolia.startAddress] = {"<form></form>", {}, {}}; // already signed in
    web.pages[fotolia.accountNavigation] = {"<th>Credits</th>" + std::string(13, ' ') +
                                                "19</td>"
                                                "<th>Sold files</th>" +
                                                std::string(13, ' ') + "4</td>",
                                            {},
                                            {}};
    auto browsers = std::make_unique<test::ScriptedBrowsers>(web);
    test::ScriptedBrowsers& scripted = *browsers;
    StocksPage page(*fixture->context, nullptr, std::move(browsers));
    TStockList stocks(2);
    stocks[0].Name = stocks[1].Name = "Fotolia";
    page.showStocks(stocks);

    page.findChild<QToolButton*>("ToolButton39")->click();
    QVERIFY(page.findChild<QWidget*>("StockPanel")->isVisibleTo(&page));
    scripted.deliver();

    auto* view = page.findChild<QTreeWidget*>("StockView");
    QCOMPARE(row(view, 0), QStringList({"Fotolia", "$19", "4"}));
    QCOMPARE(row(view, 1), QStringList({"Fotolia", "$19", "4"}));
    QCOMPARE(page.findChild<QProgressBar*>("StockProgress")->value(), 1);
}

void StocksPageTest::figuresOfEightLocalAgenciesLandInTheStockView() {
    test::AgencyServer server(fixture->root.path(), {});
    QVERIFY(server.port() != 0);
    SettingsStore::Values bases;
    for (const std::string& agency : test::AgencyNames) {
        addStock(agency);
        bases.push_back({agency, server.base(agency)});
    }
    fixture->store.writeToIni(AgencySettingsSection, bases);
    StocksPage page(*fixture->context);
    page.showStocks(fixture->stockDB->GetStocks(true));

    page.findChild<QToolButton*>("ToolButton39")->click();
    auto* progress = page.findChild<QProgressBar*>("StockProgress");
    QTRY_COMPARE_WITH_TIMEOUT(progress->value(), 8, 90000);

    auto* view = page.findChild<QTreeWidget*>("StockView");
    const QList<QStringList> expected = {
        {"Shutterstock", "12.50", "7"}, {"iStockphoto", "$88.10", "31"},
        {"Dreamstime", "145.00", "96"}, {"Fotolia", "$19", "4"},
        {"123RF", "3.75", ""},          {"LuckyOliver", "1.25", "2"},
        {"CanStockPhoto", "6.00", "5"}, {"Albumo", "0.40", ""}};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(row(view, i), expected[i]);
    auto posts = server.posts();
    QCOMPARE(posts["Dreamstime"]["uname"].toString(), QString("me"));
    QCOMPARE(posts["Dreamstime"]["pass"].toString(), QString("pw-Dreamstime"));
    for (const std::string& line : fixture->log.Lines())
        QVERIFY2(line.find("pw-") == std::string::npos, line.c_str()); // passwords never logged
}

} // namespace orvella

ORVELLA_UI_TEST_MAIN(orvella::StocksPageTest)
#include "StocksPageTest.moc"
