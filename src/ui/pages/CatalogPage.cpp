#include "ui/pages/CatalogPage.h"

#include "catalogue/StockDB.h"
#include "shell/Layout.h"
#include "shell/Log.h"
#include "ui/CommandTable.h"
#include "ui/QtCategoryTree.h"
#include "ui/WidgetHelpers.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvella {

CatalogPage::CatalogPage(WindowContext& context, QWidget* parent)
    : Page(context, "CatalogPage", parent) {
    splitter_ = named<QSplitter>("tsCatalog", Qt::Vertical);
    splitter_->addWidget(buildCategoryPanel());
    splitter_->addWidget(buildKeywordPanel());
    setContent(splitter_);
}

CatalogPage::~CatalogPage() {
    if (categories_)
        context().stockDB.SetCategoryTree(nullptr);
}

QWidget* CatalogPage::buildCategoryPanel() {
    categoryTree_ = named<QTreeWidget>("CategoryTree");
    categoryTree_->setHeaderHidden(true);
    auto* toolbar = named<QToolBar>("tbCategories");
    context().commands.fill(toolbar, {cmd::RootCategory, cmd::AddCategory, cmd::DeleteCat});
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(toolbar);
    layout->addWidget(categoryTree_, 1);
    return panel;
}

QWidget* CatalogPage::buildKeywordPanel() {
    auto* keywords = named<QListWidget>("Keywords");
    keywords->setContextMenuPolicy(Qt::ActionsContextMenu);
    const CommandLayout commands = {cmd::AddCategoryKeywords,
                                    cmd::DeleteCategoryKeyword,
                                    cmd::DeleteCategoryKeywordFromDatabase,
                                    cmd::SaveCategoryKeywords,
                                    cmd::LoadCategoryKeywords,
                                    cmd::PasteCategoryKeywords};
    context().commands.fill(keywords, commands);
    auto* keywordBar = named<QToolBar>("tbCategoryKeywords");
    context().commands.fill(keywordBar, commands);
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(named<QLineEdit>("edtKeyword"));
    layout->addWidget(keywordBar);
    layout->addWidget(keywords, 1);
    return panel;
}

void CatalogPage::loadCategories() {
    categories_ = std::make_unique<QtCategoryTree>(categoryTree_);
    context().stockDB.SetCategoryTree(categories_.get());
    logGuarded("Category tree assigned");
    context().stockDB.LoadCategoryTree(*categories_, false);
    logGuarded("Category tree updated");
}

void CatalogPage::activated() {
    context().commands.Action(cmd::Unfasten)->setVisible(true);
    logGuarded("Catalog tab selected");
}

void CatalogPage::deactivated() {
    context().commands.Action(cmd::Unfasten)->setVisible(false);
}

void CatalogPage::restoreLayout(const LoadedLayout& layout) {
    restoreSplitter(splitter_, 0, layout.layout.categoryTree);
}

void CatalogPage::saveLayout(WindowLayout& layout) const {
    layout.categoryTree = splitterPart(splitter_, 0);
}

} // namespace orvella
