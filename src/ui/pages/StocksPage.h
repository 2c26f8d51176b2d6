#pragma once

#include "catalogue/StockDB.h"
#include "stats/EarningsReader.h"
#include "ui/pages/Page.h"

#include <QTimer>
#include <optional>

#include <memory>

class QTreeWidget;
class QProgressBar;

namespace orvella {

// The left pane's "Stocks" page: the enabled stocks with their balance and
// sales, read from the agencies' sites by the earnings reader.
class StocksPage : public Page, private EarningsView {
    Q_OBJECT
public:
    // Without a browser factory the page reads the agencies through the
    // hidden web engine; nothing connects before "Get stock info" is used.
    explicit StocksPage(WindowContext& context, QWidget* parent = nullptr,
                        std::unique_ptr<BrowserFactory> browsers = nullptr);
    ~StocksPage() override;

    // Starts reading every agency's figures.
    void getStockInfo();

    // Lists the stocks, one line each, and hides the progress bar.
    void showStocks(const TStockList& stocks);

    const char* visibilityOption() const override { return "tabstocks"; }
    // The stock of the selected line, if any.
    std::optional<int32_t> selectedStock() const;
    // "Open as web page": the selected stock's URL in the default browser.
    void openStockPage();

signals:
    // A stock was clicked or became the selected line: its view is shown.
    void stockChosen(int32_t stockId);

public:
    void refresh() override { activated(); }

protected:
    void activated() override;
    void deactivated() override;

private:
    void earningsStarted() override;
    void showEarnings(const std::string& stockName, const std::string& balance,
                      const std::string& sales) override;
    void agencyFinished() override;
    void watchEarnings();

    QTreeWidget* stockView_;
    QWidget* stockPanel_;
    QProgressBar* progress_;
    TStockList stocks_;
    std::unique_ptr<BrowserFactory> browsers_;
    std::unique_ptr<TStockStat> earnings_;
    QTimer earningsWatch_;
};

} // namespace orvella
