#pragma once

#include "ui/pages/Page.h"

#include <memory>

class QSplitter;
class QTreeWidget;

namespace orvella {

class QtCategoryTree;

// The left pane's "Catalog" page: the category tree with its toolbar, and
// the keywords of the selected category.
class CatalogPage : public Page {
    Q_OBJECT
public:
    explicit CatalogPage(WindowContext& context, QWidget* parent = nullptr);
    ~CatalogPage() override;

    // Makes the tree the access object's category tree and fills it.
    void loadCategories();

    const char* visibilityOption() const override { return "tabcatalog"; }
    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;
    void refresh() override { activated(); }

protected:
    void activated() override;
    void deactivated() override;

private:
    QWidget* buildCategoryPanel();
    QWidget* buildKeywordPanel();

    QSplitter* splitter_;
    QTreeWidget* categoryTree_ = nullptr;
    std::unique_ptr<QtCategoryTree> categories_;
};

} // namespace orvella
