#pragma once

#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "ui/pages/Page.h"

#include <functional>
#include <memory>

class QLineEdit;
class QListWidget;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvella {

class QtCategoryTree;

// The left pane's "Catalog" page: the category tree with its toolbar, and
// the keywords of the selected category. A category is renamed in place.
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

    // The CATEGORY_ID of the node selected in the tree, or empty text.
    std::string selectedCategory() const { return selectedCategory_; }

signals:
    // A category node was clicked: its images are shown.
    void categoryChosen(const QString& categoryId);
    // Categories were added, removed or renamed: the other category tree
    // must be loaded again.
    void categoriesChanged();

protected:
    void activated() override;
    void deactivated() override;

private:
    QWidget* buildCategoryPanel();
    QWidget* buildKeywordPanel();
    void bindCommands();
    void selectCategory(QTreeWidgetItem* item);
    void renameCategory(QTreeWidgetItem* item);
    void reloadTree();
    void changeCategories(const std::function<void()>& change);
    void reloadKeywords();
    QString focusedKeyword() const;

    QSplitter* splitter_;
    QTreeWidget* categoryTree_ = nullptr;
    QLineEdit* keywordInput_ = nullptr;
    QListWidget* keywords_ = nullptr;
    std::unique_ptr<QtCategoryTree> categories_;
    std::string selectedCategory_;
    ImageInfoEditor editor_;
    KeywordTools tools_;
};

} // namespace orvella
