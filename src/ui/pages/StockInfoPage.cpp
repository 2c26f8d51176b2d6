#include "ui/pages/StockInfoPage.h"

#include "shell/Layout.h"
#include "shell/Log.h"
#include "ui/QtCategoryTree.h"
#include "ui/WidgetHelpers.h"

#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvella {

StockInfoPage::StockInfoPage(WindowContext& context, QWidget* parent)
    : Page(context, "StockInfoPage", parent) {
    splitter_ = named<QSplitter>("tsStockInfo", Qt::Vertical);
    grid_ = named<QTableWidget>("StockGrid", 0, 3);
    grid_->setHorizontalHeaderLabels({" Stock Name", " Image State", " Comment"});
    grid_->verticalHeader()->hide();
    auto* categories = named<QWidget>("pnlCategories");
    auto* layout = new QVBoxLayout(categories);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        named<QLabel>("lblCategoryDrop", "Drag and drop images to assign them to categories"));
    category_ = named<QTreeWidget>("Category");
    category_->setHeaderHidden(true);
    category_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(category_, 1);
    splitter_->addWidget(grid_);
    splitter_->addWidget(categories);
    setContent(splitter_);
    logWhileShowingImages("Stock state updated");
}

StockInfoPage::~StockInfoPage() = default;

void StockInfoPage::showStocks(const TStockList& stocks) {
    grid_->setRowCount(static_cast<int>(stocks.size()));
    for (size_t row = 0; row < stocks.size(); ++row)
        grid_->setItem(static_cast<int>(row), 0,
                       new QTableWidgetItem(QString::fromStdString(stocks[row].Name)));
}

void StockInfoPage::loadCategories() {
    categories_ = std::make_unique<QtCategoryTree>(category_);
    context().stockDB.LoadCategoryTree(*categories_, true);
    logGuarded("Category tree 2 updated");
}

// The state grid's columns share the page's width.
void StockInfoPage::resizeEvent(QResizeEvent* event) {
    Page::resizeEvent(event);
    grid_->horizontalHeader()->setDefaultSectionSize(std::max(20, width() / 3 - 2));
}

void StockInfoPage::restoreLayout(const LoadedLayout& layout) {
    restoreSplitter(splitter_, 0, layout.layout.grid);
}

void StockInfoPage::saveLayout(WindowLayout& layout) const {
    layout.grid = splitterPart(splitter_, 0);
}

} // namespace orvella
