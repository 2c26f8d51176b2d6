#include "ui/pages/CatalogPage.h"

#include "catalogue/StockDB.h"
#include "shell/Layout.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/QtCategoryTree.h"
#include "ui/WidgetHelpers.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace orvella {

CatalogPage::CatalogPage(WindowContext& context, QWidget* parent)
    : Page(context, "CatalogPage", parent), editor_(context.stockDB, &context.options),
      tools_(editor_, context.prompts, context.progress) {
    splitter_ = named<QSplitter>("tsCatalog", Qt::Vertical);
    splitter_->addWidget(buildCategoryPanel());
    splitter_->addWidget(buildKeywordPanel());
    setContent(splitter_);
    bindCommands();
}

CatalogPage::~CatalogPage() {
    if (categories_)
        context().stockDB.SetCategoryTree(nullptr);
}

QWidget* CatalogPage::buildCategoryPanel() {
    categoryTree_ = named<QTreeWidget>("CategoryTree");
    categoryTree_->setHeaderHidden(true);
    categoryTree_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::SelectedClicked);
    connect(categoryTree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { selectCategory(item); });
    connect(categoryTree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        selectCategory(item);
        QString id = item ? item->data(0, Qt::UserRole).toString() : QString();
        if (!id.isEmpty())
            emit categoryChosen(id);
    });
    connect(categoryTree_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { renameCategory(item); });
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
    keywords_ = named<QListWidget>("Keywords");
    auto* keywords = keywords_;
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
    keywordInput_ = named<QLineEdit>("edtKeyword");
    connect(keywordInput_, &QLineEdit::returnPressed,
            context().commands.Action(cmd::AddCategoryKeywords), &QAction::trigger);
    layout->addWidget(keywordInput_);
    layout->addWidget(keywordBar);
    layout->addWidget(keywords, 1);
    return panel;
}

void CatalogPage::bindCommands() {
    CommandTable& commands = context().commands;
    commands.Bind(cmd::AddCategory, this, [this] {
        changeCategories([this] { tools_.AddCategory(selectedCategory_, false); });
    });
    commands.Bind(cmd::RootCategory, this,
                  [this] { changeCategories([this] { tools_.AddCategory("", true); }); });
    commands.Bind(cmd::DeleteCat, this, [this] {
        changeCategories([this] { tools_.DeleteCategory(selectedCategory_); });
    });
    commands.Bind(cmd::AddCategoryKeywords, this, [this] {
        if (tools_.AddCategoryKeywordText(selectedCategory_, keywordInput_->text().toStdString())) {
            reloadKeywords();
            keywordInput_->clear();
        }
    });
    commands.Bind(cmd::DeleteCategoryKeyword, this, [this] {
        tools_.RemoveCategoryKeyword(selectedCategory_, focusedKeyword().toStdString());
        reloadKeywords();
    });
    commands.Bind(cmd::DeleteCategoryKeywordFromDatabase, this, [this] {
        if (focusedKeyword().isEmpty())
            return;
        tools_.DeleteKeywordFromDatabase(focusedKeyword().toStdString());
        reloadKeywords();
    });
    commands.Bind(cmd::SaveCategoryKeywords, this, [this] {
        QTreeWidgetItem* node = categoryTree_->currentItem();
        std::string proposed = node ? node->text(0).toStdString() + ".txt" : std::string();
        std::optional<std::string> chosen =
            context().prompts.chooseFileToSave("Save keywords", "Text files (*.txt)", proposed);
        if (!chosen)
            return;
        std::vector<std::string> keywords;
        for (int row = 0; row < keywords_->count(); ++row)
            keywords.push_back(keywords_->item(row)->text().toStdString());
        WriteKeywordFile(KeywordFileName(*chosen), keywords);
    });
    commands.Bind(cmd::LoadCategoryKeywords, this, [this] {
        if (selectedCategory_.empty())
            return;
        std::optional<std::string> chosen =
            context().prompts.chooseFileToOpen("Load keywords", "Text files (*.txt)");
        if (!chosen)
            return;
        tools_.LoadCategoryKeywordsFromFile(selectedCategory_, *chosen);
        reloadKeywords();
    });
    commands.Bind(cmd::PasteCategoryKeywords, this, [this] {
        if (tools_.AddCategoryKeywordText(selectedCategory_,
                                          QApplication::clipboard()->text().toStdString())) {
            reloadKeywords();
            keywordInput_->clear();
        }
    });
    commands.Bind(cmd::Unfasten, this, [this] {
        const ImageListItem* focused = context().selection.focused();
        if (focused == nullptr)
            return;
        tools_.UnfastenImage(focused->data.MD5, selectedCategory_);
        context().commands.Action(cmd::Refresh)->trigger();
    });
}

// The catalogue loads its tree again while it changes categories; the
// selection stays what the user chose until the tree is shown anew.
void CatalogPage::changeCategories(const std::function<void()>& change) {
    std::string selected = selectedCategory_;
    {
        const QSignalBlocker blocker(categoryTree_);
        change();
    }
    selectedCategory_ = selected;
    reloadTree();
}

QString CatalogPage::focusedKeyword() const {
    QListWidgetItem* item = keywords_->currentItem();
    return item ? item->text() : QString();
}

void CatalogPage::selectCategory(QTreeWidgetItem* item) {
    selectedCategory_ = item ? item->data(0, Qt::UserRole).toString().toStdString() : std::string();
    reloadKeywords();
}

void CatalogPage::reloadKeywords() {
    keywords_->clear();
    if (selectedCategory_.empty())
        return;
    for (const std::string& keyword : context().stockDB.GetCategoryKeywords(selectedCategory_))
        keywords_->addItem(QString::fromStdString(keyword));
}

// An edited name that is blank after trimming is not taken: the node shows
// the stored name again.
void CatalogPage::renameCategory(QTreeWidgetItem* item) {
    std::string id = item->data(0, Qt::UserRole).toString().toStdString();
    QString name = item->text(0);
    if (!name.trimmed().isEmpty())
        tools_.RenameCategory(id, name.toStdString());
    QTimer::singleShot(0, this, [this] { reloadTree(); });
}

// The tree is loaded again, collapsed, with the selected category kept.
void CatalogPage::reloadTree() {
    std::string selected = selectedCategory_;
    const QSignalBlocker blocker(categoryTree_);
    if (categories_)
        context().stockDB.LoadCategoryTree(*categories_, false);
    for (QTreeWidgetItemIterator it(categoryTree_); *it; ++it) {
        (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable);
        if ((*it)->data(0, Qt::UserRole).toString().toStdString() == selected) {
            categoryTree_->setCurrentItem(*it);
            for (QTreeWidgetItem* parent = (*it)->parent(); parent; parent = parent->parent())
                parent->setExpanded(true);
        }
    }
    if (categoryTree_->currentItem() == nullptr)
        selectedCategory_.clear();
    reloadKeywords();
    emit categoriesChanged();
}

void CatalogPage::loadCategories() {
    categories_ = std::make_unique<QtCategoryTree>(categoryTree_);
    context().stockDB.SetCategoryTree(categories_.get());
    logGuarded("Category tree assigned");
    logGuarded("Category tree updated");
    reloadTree();
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
