#pragma once

#include "catalogue/StockDB.h"
#include "ui/pages/Page.h"

class QTreeWidget;
class QProgressBar;

namespace orvella {

// The left pane's "Stocks" page: the enabled stocks with their balance and
// sales, read from the agencies' sites.
class StocksPage : public Page {
    Q_OBJECT
public:
    explicit StocksPage(WindowContext& context, QWidget* parent = nullptr);

    // Lists the stocks, one line each, and hides the progress bar.
    void showStocks(const TStockList& stocks);

    const char* visibilityOption() const override { return "tabstocks"; }
    void refresh() override { activated(); }

protected:
    void activated() override;
    void deactivated() override;

private:
    QTreeWidget* stockView_;
    QProgressBar* progress_;
};

} // namespace orvella
