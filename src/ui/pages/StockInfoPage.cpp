#include "ui/pages/StockInfoPage.h"

#include "shell/Layout.h"
#include "shell/Log.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/QtCategoryTree.h"
#include "ui/WidgetHelpers.h"
#include "ui/views/StateGrid.h"
#include "upload/SubmissionStates.h"

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
    grid_ = new StateGrid(this);
    connect(grid_, &StateGrid::stateChosen, this, &StockInfoPage::setStockState);
    connect(grid_, &StateGrid::gridLeft, this, &StockInfoPage::saveComments);
    connect(&context.selection, &ImageSelection::focusedImageChanged, this,
            [this](const ImageListItem& item) {
                if (isVisible())
                    showStatesOf(item.data.MD5);
            });
    connect(&context.selection, &ImageSelection::selectionChanged, this, [this](int count) {
        if (count != 1)
            grid_->clearStates();
    });
    for (const GlobalStatusItem& item : GlobalStatusItems()) {
        const GlobalStateCommand& command =
            globalStateCommands().at(static_cast<size_t>(item.tag - 1));
        context.commands.Bind(command.id, this, [this, tag = item.tag] { setGlobalStatus(tag); });
    }
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
    stocks_ = stocks;
    grid_->setStocks(stocks);
}

void StockInfoPage::showStatesOf(const std::string& key) {
    if (key.empty()) {
        grid_->clearStates();
        return;
    }
    SubmissionStates states(context().stockDB, context().prompts, context().progress, stocks_);
    grid_->showStates(key, states.ShowStates(key));
}

void StockInfoPage::connectSelection(std::function<std::vector<SelectedImage>()> selected,
                                     std::function<void()> afterChange) {
    selected_ = std::move(selected);
    afterChange_ = std::move(afterChange);
}

void StockInfoPage::setStockState(int32_t stockId, int code) {
    if (!selected_)
        return;
    SubmissionStates states(context().stockDB, context().prompts, context().progress, stocks_);
    StateSettingOutcome outcome = states.SetStockState(stockId, code, selected_());
    grid_->hideSelectors();
    if (!outcome.ran)
        return;
    showStatesOf(outcome.lastKey);
    if (afterChange_)
        afterChange_();
}

void StockInfoPage::setGlobalStatus(int tag) {
    if (!selected_)
        return;
    SubmissionStates states(context().stockDB, context().prompts, context().progress, stocks_);
    StateSettingOutcome outcome = states.SetGlobalStatus(tag, selected_());
    if (!outcome.ran)
        return;
    showStatesOf(outcome.lastKey);
    if (afterChange_)
        afterChange_();
}

void StockInfoPage::saveComments() {
    std::string key = grid_->imageKey();
    if (key.empty())
        return;
    SubmissionStates states(context().stockDB, context().prompts, context().progress, stocks_);
    states.SaveComments(key, grid_->comments());
    grid_->viewport()->update();
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
