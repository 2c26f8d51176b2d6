#pragma once

#include "catalogue/StockDB.h"
#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "ui/pages/Page.h"

#include <memory>

class QSplitter;
class QTableWidget;
class QTreeWidget;

namespace orvella {

class QtCategoryTree;

// The right pane's "Stock Info" page: the focused image's state at each
// stock, and the category tree images are dropped on: the focused image and
// the rest of the selection join the category under the drop.
class StockInfoPage : public Page {
    Q_OBJECT
public:
    explicit StockInfoPage(WindowContext& context, QWidget* parent = nullptr);
    ~StockInfoPage() override;

    // One row per stock.
    void showStocks(const TStockList& stocks);
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
    QTableWidget* grid_;
    QTreeWidget* category_;
    std::unique_ptr<QtCategoryTree> categories_;
    ImageInfoEditor editor_;
    KeywordTools tools_;

    void dropImages(const QPoint& position);
};

} // namespace orvella
