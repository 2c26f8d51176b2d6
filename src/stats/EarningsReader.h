#pragma once

#include "stats/AgencySites.h"
#include "stats/Browser.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvella {

class TStockDBObject;

// What the reader knows of one enabled stock, taken once when it is made.
struct TAgencyRecord {
    int32_t StockId = 0;
    std::string Name;
    std::string WebLogin;
    std::string WebPassword;
    std::string Balance; // the last figures read, empty at first
    std::string Sales;
};

// Where the figures go: the stock list's rows and the progress bar under it.
class EarningsView {
public:
    virtual ~EarningsView() = default;
    virtual void earningsStarted() = 0; // progress back to 0, the panel shown
    // Every row whose caption is `stockName` gets these two texts.
    virtual void showEarnings(const std::string& stockName, const std::string& balance,
                              const std::string& sales) = 0;
    virtual void agencyFinished() = 0; // one step of the progress bar
};

// Reads each agency's balance and sales from its web site through a hidden
// browser: the login form, then the account page, then two figures cut out of
// its HTML. Agencies run side by side, each moving on as its pages load.
class TStockStat {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds DefaultTimeout{120};

    TStockStat(TStockDBObject& catalogue, BrowserFactory& browsers, EarningsView& view,
               std::vector<AgencySite> sites);
    ~TStockStat();
    TStockStat(const TStockStat&) = delete;
    TStockStat& operator=(const TStockStat&) = delete;

    // Starts every agency that has an enabled stock with web credentials and
    // is not still running from an earlier start.
    void Start(Clock::time_point now = Clock::now());
    // Discards the browsers that have not finished within the time-out; their
    // rows keep the figures they had.
    void DiscardStale(Clock::time_point now = Clock::now());

    void setTimeout(Clock::duration timeout) { timeout_ = timeout; }
    bool Running() const;
    const std::vector<TAgencyRecord>& Records() const { return records_; }

private:
    struct AgencyRun {
        AgencySite site;
        TAgencyRecord* record = nullptr;
        std::unique_ptr<Browser> browser;
        Clock::time_point started;
    };

    TAgencyRecord* recordFor(const std::string& agencyName);
    void startAgency(size_t index, TAgencyRecord& record, Clock::time_point now);
    void pageLoaded(size_t index, Browser* browser);
    void logIn(AgencyRun& run);
    void submitLogin(AgencyRun& run);
    ElementRef submitElement(AgencyRun& run);
    void readFigures(AgencyRun& run);
    void finish(AgencyRun& run);
    void discard(AgencyRun& run);

    TStockDBObject& catalogue_;
    BrowserFactory& browsers_;
    EarningsView& view_;
    std::vector<AgencySite> sites_;
    std::vector<TAgencyRecord> records_;
    std::vector<AgencyRun> runs_; // one per site, a browser while it runs
    Clock::duration timeout_ = DefaultTimeout;
    bool loginSubmitted_ = false; // for the agencies that log in once per run
};

} // namespace orvella
