#pragma once

#include "catalogue/StockDB.h"
#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "ui/pages/Page.h"

#include <functional>
#include <memory>

class QSplitter;
class QTreeWidget;

namespace orvella {

class QtCategoryTree;
class StateGrid;
class SubmissionStates;
struct SelectedImage;

// The right pane's "Stock Info" page: the focused image's state at each
// stock, and the category tree images are dropped on: the focused image and
// the rest of the selection join the category under the drop.
class StockInfoPage : public Page {
    Q_OBJECT
public:
    explicit StockInfoPage(WindowContext& context, QWidget* parent = nullptr);
    ~StockInfoPage() override;

    // One row and one state selector per stock.
    void showStocks(const TStockList& stocks);
    // The states of an image in the grid (its key; empty clears the grid).
    void showStatesOf(const std::string& key);
    // Where the selected images come from, and what follows a state change
    // (the Stocks and Uploads pages' views); set by the window.
    void connectSelection(std::function<std::vector<SelectedImage>()> selected,
                          std::function<void()> afterChange);
    StateGrid* grid() const { return grid_; }
    // Fills the category tree (with the "no category" entries).
    void loadCategories();

    const char* visibilityOption() const override { return "tabstockinfo"; }
    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSplitter* splitter_;
    void setStockState(int32_t stockId, int code);
    void setGlobalStatus(int tag);
    void saveComments();

    StateGrid* grid_;
    TStockList stocks_;
    std::function<std::vector<SelectedImage>()> selected_;
    std::function<void()> afterChange_;
    QTreeWidget* category_;
    std::unique_ptr<QtCategoryTree> categories_;
    ImageInfoEditor editor_;
    KeywordTools tools_;

    void dropImages(const QPoint& position);
};

} // namespace orvella
