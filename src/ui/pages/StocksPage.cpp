#include "ui/pages/StocksPage.h"

#include "shell/Log.h"
#include "ui/CommandTable.h"
#include "ui/WidgetHelpers.h"

#include <QProgressBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvella {

StocksPage::StocksPage(WindowContext& context, QWidget* parent)
    : Page(context, "StocksPage", parent) {
    auto* page = named<QWidget>("tsStocks");
    auto* toolbar = named<QToolBar>("tbStocks");
    context.commands.fill(toolbar, {cmd::GetStockInfo});
    stockView_ = named<QTreeWidget>("StockView");
    stockView_->setHeaderLabels({"Stock Name", "Balance", "Sales"});
    stockView_->setRootIsDecorated(false);
    stockView_->setContextMenuPolicy(Qt::ActionsContextMenu);
    context.commands.fill(stockView_, {cmd::OpenStockPage});
    auto chosen = [this] {
        if (std::optional<int32_t> stock = selectedStock())
            emit stockChosen(*stock);
    };
    connect(stockView_, &QTreeWidget::itemClicked, this, chosen);
    connect(stockView_, &QTreeWidget::currentItemChanged, this, chosen);
    progress_ = named<QProgressBar>("pnlStockProgress");
    progress_->hide();

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(toolbar);
    layout->addWidget(stockView_, 1);
    layout->addWidget(progress_);
    setContent(page);
}

std::optional<int32_t> StocksPage::selectedStock() const {
    int row = stockView_->indexOfTopLevelItem(stockView_->currentItem());
    if (row < 0 || row >= static_cast<int>(stocks_.size()))
        return std::nullopt;
    return stocks_[static_cast<size_t>(row)].StockId;
}

void StocksPage::showStocks(const TStockList& stocks) {
    QSignalBlocker quiet(stockView_);
    stocks_ = stocks;
    stockView_->clear();
    for (const TStock& stock : stocks)
        new QTreeWidgetItem(stockView_, {QString::fromStdString(stock.Name), "", ""});
    progress_->hide();
}

void StocksPage::activated() {
    context().commands.Action(cmd::DeleteInvalid)->setVisible(true);
    logGuarded("Stock tab selected");
}

void StocksPage::deactivated() {
    context().commands.Action(cmd::DeleteInvalid)->setVisible(false);
}

} // namespace orvella
