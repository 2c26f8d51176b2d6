#include "ui/pages/StocksPage.h"

#include "shell/Log.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"
#include "stats/web/QtWebBrowser.h"
#include "ui/CommandTable.h"
#include "ui/WidgetHelpers.h"

#include <QProgressBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace orvella {

StocksPage::StocksPage(WindowContext& context, QWidget* parent,
                       std::unique_ptr<BrowserFactory> browsers)
    : Page(context, "StocksPage", parent), browsers_(std::move(browsers)) {
    auto* page = named<QWidget>("tsStocks");
    auto* toolbar = named<QToolBar>("tbStocks");
    context.commands.fill(toolbar, {cmd::GetStockInfo});
    stockView_ = named<QTreeWidget>("StockView");
    stockView_->setHeaderLabels({"Stock Name", "Balance", "Sales"});
    stockView_->setColumnWidth(0, 120);
    stockView_->setColumnWidth(1, 70);
    stockView_->setRootIsDecorated(false);
    stockView_->setContextMenuPolicy(Qt::ActionsContextMenu);
    context.commands.fill(stockView_, {cmd::OpenStockPage});
    auto chosen = [this] {
        if (std::optional<int32_t> stock = selectedStock())
            emit stockChosen(*stock);
    };
    connect(stockView_, &QTreeWidget::itemClicked, this, chosen);
    connect(stockView_, &QTreeWidget::currentItemChanged, this, chosen);
    stockPanel_ = named<QWidget>("StockPanel");
    progress_ = named<QProgressBar>("StockProgress");
    progress_->setParent(stockPanel_);
    progress_->setMaximum(8);
    (new QVBoxLayout(stockPanel_))->addWidget(progress_);
    stockPanel_->layout()->setContentsMargins(0, 0, 0, 0);
    stockPanel_->hide();
    if (QToolButton* button = qobject_cast<QToolButton*>(
            toolbar->widgetForAction(context.commands.Action(cmd::GetStockInfo))))
        button->setObjectName("ToolButton39");
    context.commands.Bind(cmd::GetStockInfo, this, [this] { getStockInfo(); });
    context.commands.Bind(cmd::OpenStockPage, this, [this] { openStockPage(); });
    connect(stockView_, &QTreeWidget::itemDoubleClicked, this, &StocksPage::openStockPage);

    // The agencies' records are taken once, when the window is made.
    if (!browsers_)
        browsers_ = std::make_unique<QtWebBrowsers>();
    SettingsSnapshot settings = context.store.read();
    earnings_ = std::make_unique<TStockStat>(
        context.stockDB, *browsers_, static_cast<EarningsView&>(*this), agencySites(&settings));
    earnings_->setTimeout(
        std::chrono::seconds(settings.integer(AgencySettingsSection, AgencyTimeoutKey, 120)));
    earningsWatch_.setInterval(1000);
    connect(&earningsWatch_, &QTimer::timeout, this, &StocksPage::watchEarnings);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(toolbar);
    layout->addWidget(stockView_, 1);
    layout->addWidget(stockPanel_);
    setContent(page);
}

std::optional<int32_t> StocksPage::selectedStock() const {
    int row = stockView_->indexOfTopLevelItem(stockView_->currentItem());
    if (row < 0 || row >= static_cast<int>(stocks_.size()))
        return std::nullopt;
    return stocks_[static_cast<size_t>(row)].StockId;
}

// The selected stock's web address, in the desktop's browser.
void StocksPage::openStockPage() {
    int row = stockView_->indexOfTopLevelItem(stockView_->currentItem());
    if (row < 0 || row >= static_cast<int>(stocks_.size()))
        return;
    const TStock& stock = stocks_[static_cast<size_t>(row)];
    QUrl address = QUrl::fromUserInput(QString::fromStdString(stock.Url).trimmed());
    if (stock.Url.empty() || !address.isValid()) {
        context().prompts.showMessage("The stock " + stock.Name +
                                      " has no URL: there is no web page to open.");
        return;
    }
    context().openUrl(address);
}

void StocksPage::showStocks(const TStockList& stocks) {
    QSignalBlocker quiet(stockView_);
    stocks_ = stocks;
    stockView_->clear();
    for (const TStock& stock : stocks)
        new QTreeWidgetItem(stockView_, {QString::fromStdString(stock.Name), "", ""});
    stockPanel_->hide();
}

StocksPage::~StocksPage() {
    earnings_.reset(); // its browsers go back to the factory before it goes
}

void StocksPage::getStockInfo() {
    earnings_->Start();
    if (earnings_->Running())
        earningsWatch_.start();
}

void StocksPage::watchEarnings() {
    earnings_->DiscardStale();
    if (!earnings_->Running())
        earningsWatch_.stop();
}

void StocksPage::earningsStarted() {
    progress_->setValue(0);
    stockPanel_->show();
}

void StocksPage::showEarnings(const std::string& stockName, const std::string& balance,
                              const std::string& sales) {
    QString name = QString::fromStdString(stockName);
    for (int row = 0; row < stockView_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = stockView_->topLevelItem(row);
        if (item->text(0) != name)
            continue;
        item->setText(1, QString::fromStdString(balance));
        item->setText(2, QString::fromStdString(sales));
    }
}

void StocksPage::agencyFinished() {
    progress_->setValue(progress_->value() + 1);
}

void StocksPage::activated() {
    context().commands.Action(cmd::DeleteInvalid)->setVisible(true);
    logGuarded("Stock tab selected");
}

void StocksPage::deactivated() {
    context().commands.Action(cmd::DeleteInvalid)->setVisible(false);
}

} // namespace orvella
