#include "ui/pages/StockInfoPage.h"

#include "shell/Layout.h"
#include "shell/Log.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/QtCategoryTree.h"
#include "ui/WidgetHelpers.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvella {

StockInfoPage::StockInfoPage(WindowContext& context, QWidget* parent)
    : Page(context, "StockInfoPage", parent), editor_(context.stockDB, &context.options),
      tools_(editor_, context.prompts, context.progress) {
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
    category_->setAcceptDrops(true);
    category_->viewport()->installEventFilter(this);
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

// Any drag is taken; what a drop adds is the image selection.
bool StockInfoPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == category_->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            dropImages(drop->position().toPoint());
            return true;
        }
        default:
            break;
        }
    }
    return Page::eventFilter(watched, event);
}

void StockInfoPage::dropImages(const QPoint& position) {
    QTreeWidgetItem* node = category_->itemAt(position);
    if (node == nullptr)
        return;
    category_->setCurrentItem(node);
    std::string categoryId = node->data(0, Qt::UserRole).toString().toStdString();
    const ImageListItem* focused = context().selection.focused();
    if (categoryId.empty() || focused == nullptr)
        return;
    std::vector<TImageData> images = {focused->data};
    for (const ImageListItem* item : context().selection.selected())
        if (item != focused)
            images.push_back(item->data);
    tools_.AddImagesToCategory(categoryId, images);
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
