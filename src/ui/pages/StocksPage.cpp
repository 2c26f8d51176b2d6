#include "ui/pages/StocksPage.h"

#include "shell/Log.h"
#include "ui/CommandTable.h"
#include "ui/WidgetHelpers.h"

#include <QProgressBar>
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
    progress_ = named<QProgressBar>("pnlStockProgress");
    progress_->hide();

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(toolbar);
    layout->addWidget(stockView_, 1);
    layout->addWidget(progress_);
    setContent(page);
}

void StocksPage::showStocks(const TStockList& stocks) {
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
