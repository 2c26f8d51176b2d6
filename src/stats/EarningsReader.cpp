#include "stats/EarningsReader.h"

#include "catalogue/StockDB.h"
#include "shell/IgnoredError.h"
#include "shell/Log.h"

namespace orvella {

TStockStat::TStockStat(TStockDBObject& catalogue, BrowserFactory& browsers, EarningsView& view,
                       std::vector<AgencySite> sites)
    : catalogue_(catalogue), browsers_(browsers), view_(view), sites_(std::move(sites)),
      runs_(sites_.size()) {
    for (const TStock& stock : catalogue_.GetStocks(true))
        records_.push_back({stock.StockId, stock.Name, stock.WebLogin, stock.WebPassword, {}, {}});
}

TStockStat::~TStockStat() {
    for (AgencyRun& run : runs_)
        discard(run);
}

bool TStockStat::Running() const {
    for (const AgencyRun& run : runs_)
        if (run.browser)
            return true;
    return false;
}

TAgencyRecord* TStockStat::recordFor(const std::string& agencyName) {
    int32_t stockId = catalogue_.GetStockId(agencyName);
    for (TAgencyRecord& record : records_)
        if (record.StockId == stockId)
            return &record;
    return nullptr;
}

void TStockStat::Start(Clock::time_point now) {
    view_.earningsStarted();
    for (size_t index = 0; index < sites_.size(); ++index) {
        TAgencyRecord* record = recordFor(sites_[index].name);
        if (!record || record->WebLogin.empty() || record->WebPassword.empty() ||
            runs_[index].browser)
            continue;
        startAgency(index, *record, now);
    }
}

void TStockStat::startAgency(size_t index, TAgencyRecord& record, Clock::time_point now) {
    AgencyRun& run = runs_[index];
    run.site = sites_[index];
    run.site.personalise(record.WebLogin);
    run.record = &record;
    run.started = now;
    run.browser = browsers_.create();
    Browser* browser = run.browser.get();
    browser->setDocumentComplete([this, index, browser] { pageLoaded(index, browser); });
    browser->navigate(run.site.startAddress);
}

void TStockStat::pageLoaded(size_t index, Browser* browser) {
    AgencyRun& run = runs_[index];
    if (run.browser.get() != browser)
        return; // a late page of a browser already discarded
    ignoringErrors("the earnings page of " + run.site.name, [&] {
        std::string address = browser->address();
        if (run.site.isStartPage(address)) {
            logIn(run);
        } else if (!run.site.isAccountPage(address)) {
            browser->navigate(run.site.accountNavigation);
        } else {
            if (run.site.loginOncePerRun)
                loginSubmitted_ = false;
            readFigures(run);
        }
    });
}

void TStockStat::logIn(AgencyRun& run) {
    if (run.site.loginOncePerRun && loginSubmitted_)
        return;
    try {
        submitLogin(run);
    } catch (const EBrowserError& error) {
        if (run.site.loginFallback)
            run.browser->navigate(run.site.accountNavigation);
        else if (!run.site.ignoreLoginFailure)
            throw;
    }
}

void TStockStat::submitLogin(AgencyRun& run) {
    Browser& browser = *run.browser;
    browser.setValue(run.site.loginField, run.record->WebLogin);
    browser.setValue(run.site.passwordField, run.record->WebPassword);
    browser.click(submitElement(run));
    if (run.site.loginOncePerRun)
        loginSubmitted_ = true;
}

ElementRef TStockStat::submitElement(AgencyRun& run) {
    const SubmitLocator& submit = run.site.submit;
    if (submit.element)
        return *submit.element;
    int inputs = run.browser->inputCount();
    for (int i = 0; i < inputs; ++i)
        if (run.browser->attribute(ElementRef::input(i), submit.inputAttribute) ==
            submit.inputValue)
            return ElementRef::input(i);
    throw EBrowserError("no input element whose " + submit.inputAttribute + " is " +
                        submit.inputValue);
}

void TStockStat::readFigures(AgencyRun& run) {
    try {
        std::string html = run.browser->html();
        const AgencySite& site = run.site;
        const std::string& guard = site.guardIsSales ? site.sales->marker : site.balance.marker;
        if (html.find(guard) != std::string::npos) {
            run.record->Balance = site.balancePrefix + figureText(html, site.balance);
            run.record->Sales = site.sales ? figureText(html, *site.sales) : std::string();
        }
        view_.showEarnings(run.record->Name, run.record->Balance, run.record->Sales);
    } catch (const EBrowserError&) {
        if (!run.site.readGuard)
            throw;
    }
    finish(run);
}

void TStockStat::finish(AgencyRun& run) {
    view_.agencyFinished();
    discard(run);
}

void TStockStat::DiscardStale(Clock::time_point now) {
    for (AgencyRun& run : runs_) {
        if (run.browser && now - run.started >= timeout_) {
            logAlways("Earnings of " + run.site.name +
                      " not read: the site did not reach its account page in time");
            discard(run);
        }
    }
}

void TStockStat::discard(AgencyRun& run) {
    if (run.browser)
        browsers_.discard(std::move(run.browser));
    run.browser.reset();
}

} // namespace orvella
