#include "stats/EarningsReader.h"
#include "ScriptedWeb.h"
#include "catalogue/CatalogueFixture.h"
#include "catalogue/StockDB.h"
#include "shell/SettingsStore.h"

#include <gtest/gtest.h>

#include <map>

namespace orvella {
namespace {

using test::ScriptedBrowsers;
using test::ScriptedWeb;
using test::WebElement;
using test::WebPage;

// The stock list's rows as the reader leaves them, and the progress steps.
class RecordingView : public EarningsView {
public:
    void earningsStarted() override { ++starts; }
    void showEarnings(const std::string& name, const std::string& balance,
                      const std::string& sales) override {
        rows[name] = {balance, sales};
    }
    void agencyFinished() override { ++steps; }

    std::map<std::string, std::pair<std::string, std::string>> rows;
    int starts = 0;
    int steps = 0;
};

WebElement elementFor(const ElementRef& ref) {
    WebElement element;
    (ref.kind == ElementRef::Kind::ById ? element.id : element.name) = ref.key;
    return element;
}

std::string keyOf(const ElementRef& ref) {
    return ref.key;
}

// The agency's login form, with decoys standing before the submit element
// wherever it is found by position or attribute.
WebPage loginPage(const AgencySite& site, const std::string& afterSubmit) {
    WebPage page{"<form>Sign in</form>",
                 {elementFor(site.loginField), elementFor(site.passwordField)},
                 afterSubmit};
    WebElement submit;
    submit.submits = true;
    const SubmitLocator& locator = site.submit;
    if (!locator.element) {
        WebElement decoy;
        decoy.attributes[locator.inputAttribute] = "other";
        page.elements.push_back(decoy);
        submit.attributes[locator.inputAttribute] = locator.inputValue;
    } else if (locator.element->kind == ElementRef::Kind::Input) {
        while (static_cast<int>(page.elements.size()) < locator.element->index)
            page.elements.push_back(WebElement{"input", "", "", {{"type", "hidden"}}, false});
    } else if (locator.element->kind == ElementRef::Kind::ByName) {
        for (int i = 0; i < locator.element->index; ++i)
            page.elements.push_back(WebElement{"a", locator.element->key, "", {}, false});
        submit.name = locator.element->key;
    } else {
        submit.id = locator.element->key;
    }
    page.elements.push_back(submit);
    return page;
}

// Text in which `figure` stands `marker.offset` characters after the marker's
// first character, closed by a table cell.
std::string placed(const FigureMarker& marker, const std::string& figure) {
    return marker.marker + std::string(marker.offset - marker.marker.size(), ' ') + figure +
           "</td>";
}

std::string accountHtml(const AgencySite& site, const std::string& balance,
                        const std::string& sales) {
    std::string html = "<html><table>" + placed(site.balance, balance);
    if (site.sales)
        html += placed(*site.sales, sales);
    return html + "</table></html>";
}

std::string siteRoot(const AgencySite& site) {
    size_t path = site.startAddress.find('/', site.startAddress.find("//") + 2);
    return site.startAddress.substr(0, path);
}

class EarningsReader : public ::testing::Test {
protected:
    EarningsReader() : catalogue_(copy_.connection()), browsers_(web_) {}

    void addStock(const std::string& name, const std::string& login, const std::string& password,
                  bool enabled = true) {
        catalogue_.AddStock(name, "", false, "");
        int32_t id = catalogue_.GetStockId(name);
        catalogue_.SetStockWebLogin(id, login, password);
        catalogue_.SetStockEnabled(id, enabled);
    }

    // Serves the agency: login form, a page after the login, the account page.
    void serve(const AgencySite& site, const std::string& balance, const std::string& sales) {
        AgencySite personal = site;
        personal.personalise("me");
        std::string afterLogin = siteRoot(site) + "/welcome";
        web_.pages[site.startAddress] = loginPage(site, afterLogin);
        std::string account = accountHtml(site, balance, sales);
        web_.pages[afterLogin] = {
            site.accountAddresses.empty() ? account : "<html>Welcome</html>", {}, {}};
        if (!personal.accountNavigation.empty())
            web_.pages[personal.accountNavigation] = {account, {}, {}};
    }

    std::unique_ptr<TStockStat> reader(std::vector<AgencySite> sites = agencySites(nullptr)) {
        return std::make_unique<TStockStat>(catalogue_, browsers_, view_, std::move(sites));
    }

    static AgencySite site(const std::string& name) {
        for (const AgencySite& site : agencySites(nullptr))
            if (site.name == name)
                return site;
        throw std::logic_error("no agency " + name);
    }

    test::CatalogueCopy copy_;
    TStockDBObject catalogue_;
    ScriptedWeb web_;
    ScriptedBrowsers browsers_;
    RecordingView view_;
};

struct AgencyCase {
    std::string agency;
    std::string balanceOnPage, salesOnPage;
    std::string balance, sales; // as the row shows them
};

TEST_F(EarningsReader, EveryAgencyLogsInReachesItsAccountPageAndReadsItsFigures) {
    const std::vector<AgencyCase> cases = {
        {"Shutterstock", "12.50", "7", "12.50", "7"},
        {"iStockphoto", "$88.10", "31", "$88.10", "31"},
        {"Dreamstime", "145.00", "96", "145.00", "96"},
        {"Fotolia", "19", "4", "$19", "4"},
        {"123RF", "3.75", "none", "3.75", ""},
        {"LuckyOliver", "1.25", "2", "1.25", "2"},
        {"CanStockPhoto", "6.00", "5", "6.00", "5"},
        {"Albumo", "0.40", "none", "0.40", ""},
    };
    for (const AgencyCase& c : cases) {
        addStock(c.agency, "me", "secret-" + c.agency);
        serve(site(c.agency), c.balanceOnPage, c.salesOnPage);
    }
    auto stat = reader();
    stat->Start();
    browsers_.deliver();

    EXPECT_EQ(view_.steps, 8);
    EXPECT_FALSE(stat->Running());
    EXPECT_EQ(browsers_.live, 0);
    for (const AgencyCase& c : cases) {
        SCOPED_TRACE(c.agency);
        EXPECT_EQ(view_.rows[c.agency], std::make_pair(c.balance, c.sales));
        AgencySite agency = site(c.agency);
        auto post =
            std::find_if(web_.posts.begin(), web_.posts.end(), [&](const ScriptedWeb::Post& p) {
                return p.address == agency.startAddress;
            });
        ASSERT_NE(post, web_.posts.end());
        EXPECT_EQ(post->values[keyOf(agency.loginField)], "me");
        EXPECT_EQ(post->values[keyOf(agency.passwordField)], "secret-" + c.agency);
    }
}

TEST_F(EarningsReader, FigureIsTheTextBeforeTheFirstTagWithinTwentyCharacters) {
    FigureMarker balance = site("Shutterstock").balance;
    EXPECT_EQ(figureText(placed(balance, "1234.56"), balance), "1234.56");
    EXPECT_EQ(figureText(placed(balance, ""), balance), "");
    std::string noTag = balance.marker + std::string(balance.offset - balance.marker.size(), ' ') +
                        "123456789012345678901234567890";
    EXPECT_EQ(figureText(noTag, balance), "");
    EXPECT_EQ(figureText("nothing here", balance), "");
    EXPECT_EQ(figureText(balance.marker, balance), ""); // the page ends before the figure
}

TEST_F(EarningsReader, PagesWithoutTheGuardMarkerKeepTheEarlierFigures) {
    addStock("Dreamstime", "me", "pw");
    AgencySite dreamstime = site("Dreamstime");
    serve(dreamstime, "10.00", "3");
    auto stat = reader();
    stat->Start();
    browsers_.deliver();
    ASSERT_EQ(view_.rows["Dreamstime"], std::make_pair(std::string("10.00"), std::string("3")));

    dreamstime.personalise("me");
    web_.pages[dreamstime.accountNavigation].html = "<html>Site under maintenance</html>";
    stat->Start();
    browsers_.deliver();
    EXPECT_EQ(view_.rows["Dreamstime"], std::make_pair(std::string("10.00"), std::string("3")));
    EXPECT_EQ(view_.steps, 2);
}

TEST_F(EarningsReader, DisabledOrCredentialLessStocksAreSkipped) {
    addStock("Fotolia", "me", "pw", false);
    addStock("Albumo", "me", "");
    addStock("123RF", "", "pw");
    serve(site("Fotolia"), "1", "1");
    auto stat = reader();
    stat->Start();
    browsers_.deliver();
    EXPECT_EQ(browsers_.created, 0);
    EXPECT_EQ(view_.starts, 1);
    EXPECT_TRUE(view_.rows.empty());
}

TEST_F(EarningsReader, FailedLoginFallsBackToTheAccountPage) {
    addStock("iStockphoto", "me", "pw");
    AgencySite istock = site("iStockphoto");
    serve(istock, "$5.00", "2");
    web_.pages[istock.startAddress].elements.clear(); // already logged in: no form
    auto stat = reader();
    stat->Start();
    browsers_.deliver();
    EXPECT_TRUE(web_.posts.empty());
    EXPECT_EQ(view_.rows["iStockphoto"], std::make_pair(std::string("$5.00"), std::string("2")));
}

TEST_F(EarningsReader, LoginOncePerRunAgencyDoesNotSubmitAgainUntilItReachesItsAccount) {
    addStock("LuckyOliver", "me", "pw");
    AgencySite lucky = site("LuckyOliver");
    serve(lucky, "1.00", "1");
    web_.pages[lucky.startAddress].afterSubmit = lucky.startAddress; // refused: back to the form
    auto stat = reader();
    stat->Start();
    browsers_.deliver(20);
    EXPECT_EQ(web_.posts.size(), 1u); // the reloaded form is left alone
    EXPECT_TRUE(stat->Running());

    stat->DiscardStale(TStockStat::Clock::now() + std::chrono::minutes(3));
    web_.pages[lucky.startAddress].afterSubmit = siteRoot(lucky) + "/welcome";
    stat->Start();
    browsers_.deliver();
    EXPECT_EQ(web_.posts.size(), 1u); // the flag holds for the whole run of the program
    EXPECT_TRUE(stat->Running());
}

TEST_F(EarningsReader, SiteThatNeverReachesItsAccountIsDiscardedAfterTheTimeOut) {
    addStock("Shutterstock", "me", "pw");
    addStock("Albumo", "me", "pw");
    AgencySite albumo = site("Albumo");
    serve(albumo, "0.40", "");
    serve(site("Shutterstock"), "1", "2");
    web_.pages[albumo.startAddress].afterSubmit = albumo.startAddress; // wrong password, forever
    auto start = TStockStat::Clock::now();
    auto stat = reader();
    stat->Start(start);
    browsers_.deliver(50);
    EXPECT_EQ(view_.steps, 1); // Shutterstock finished beside it
    EXPECT_TRUE(stat->Running());

    stat->Start(start + std::chrono::seconds(60)); // no second browser for a running agency
    EXPECT_EQ(browsers_.live, 2);
    browsers_.deliver();
    EXPECT_EQ(browsers_.live, 1);
    stat->DiscardStale(start + std::chrono::seconds(119));
    EXPECT_TRUE(stat->Running());
    stat->DiscardStale(start + std::chrono::seconds(120));
    EXPECT_FALSE(stat->Running());
    EXPECT_EQ(browsers_.live, 0);
    EXPECT_EQ(view_.rows.count("Albumo"), 0u);
}

TEST_F(EarningsReader, SettingsPointAnAgencyAtAnotherBaseAddress) {
    IniFile ini;
    ini.setValue(AgencySettingsSection, "Dreamstime", "http://127.0.0.1:8080/");
    SettingsSnapshot settings(std::move(ini), true);
    std::vector<AgencySite> sites = agencySites(&settings);
    auto dreamstime =
        std::find_if(sites.begin(), sites.end(), [](auto& s) { return s.name == "Dreamstime"; });
    dreamstime->personalise("ann");
    EXPECT_EQ(dreamstime->startAddress, "http://127.0.0.1:8080/");
    EXPECT_EQ(dreamstime->accountNavigation, "http://127.0.0.1:8080/ann_info");
    EXPECT_EQ(sites[0].startAddress,
              "http://submit.shutterstock.com/"); // the others keep their sites
}

} // namespace
} // namespace orvella
