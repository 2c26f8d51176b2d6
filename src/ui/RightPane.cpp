#include "ui/RightPane.h"

#include "ui/ImageListView.h"
#include "ui/WidgetHelpers.h"

#include <QFileSystemModel>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvella {

namespace {

QTableWidget* nameValueGrid(const char* name) {
    auto* grid = named<QTableWidget>(name, 0, 2);
    grid->setHorizontalHeaderLabels({"Name", "Value"});
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return grid;
}

struct Hint {
    const char* name;
    const char* hint;
};

template <size_t N>
QToolBar* hintToolbar(const char* name, const Hint (&hints)[N]) {
    auto* toolbar = named<QToolBar>(name);
    for (const Hint& hint : hints)
        hintButton(toolbar, hint.name, hint.hint);
    return toolbar;
}

} // namespace

RightPane::RightPane(QWidget* parent) : QTabWidget(parent) {
    setObjectName("PageControl2");
    addTab(buildStockInfoPage(), "Stock Info");
    addTab(buildImageInfoPage(), "Image Info");
    addTab(buildKeywordsPage(), "Keywords");
    addTab(buildFilesPage(), "Files");
    addTab(buildModelReleasePage(), "Model Release");
}

void RightPane::setKeywordCount(int count) {
    setTabText(KeywordsPage, QString("Keywords (%1)").arg(count));
}

void RightPane::clearKeywordCount() { setTabText(KeywordsPage, "Keywords"); }

// The state grid's columns share the page's width.
void RightPane::resizeEvent(QResizeEvent* event) {
    QTabWidget::resizeEvent(event);
    stockGrid_->horizontalHeader()->setDefaultSectionSize(std::max(20, width() / 3 - 2));
}

QWidget* RightPane::buildStockInfoPage() {
    auto* page = named<QSplitter>("tsStockInfo", Qt::Vertical);
    stockGrid_ = named<QTableWidget>("StockGrid", 0, 3);
    stockGrid_->setHorizontalHeaderLabels({" Stock Name", " Image State", " Comment"});
    stockGrid_->verticalHeader()->hide();
    auto* categories = named<QWidget>("pnlCategories");
    auto* layout = new QVBoxLayout(categories);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(named<QLabel>("lblCategoryDrop", "Drag and drop images to assign them to categories"));
    auto* category = named<QTreeWidget>("Category");
    category->setHeaderHidden(true);
    category->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(category, 1);
    page->addWidget(stockGrid_);
    page->addWidget(categories);
    return page;
}

QWidget* RightPane::buildImageInfoPage() {
    auto* pages = named<QTabWidget>("PageControl3");
    pages->addTab(buildInfoPage(), "Info");
    pages->addTab(nameValueGrid("EXIFGrid"), "EXIF");
    pages->addTab(nameValueGrid("IPTCGrid"), "IPTC");
    return pages;
}

QWidget* RightPane::buildInfoPage() {
    auto* page = named<QWidget>("tsInfo");
    auto* form = new QFormLayout;
    form->addRow("Image Name", named<QLineEdit>("edtCaption"));
    form->addRow("Description", named<QPlainTextEdit>("mDescription"));
    form->addRow("Copyright", named<QLineEdit>("edtCopyright"));
    form->addRow("Contact info", named<QLineEdit>("edtContact"));
    const Hint hints[] = {{"actInfoKeywordUp", "Move keyword up"},
                          {"actInfoKeywordDown", "Move keyword down"},
                          {"actInfoDeleteKeyword", "Delete keyword"},
                          {"actInfoWordsFromDescription", "Add words from description"},
                          {"actInfoSortKeywords", "Sort alphabetically"},
                          {"actInfoAddKeywords", "Add keywords"}};
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(new QLabel("Keywords:"));
    layout->addWidget(named<QLineEdit>("edtInfoKeyword"));
    layout->addWidget(hintToolbar("tbInfoKeywords", hints));
    layout->addWidget(named<QListWidget>("lbInfoKeywords"), 1);
    return page;
}

QWidget* RightPane::buildKeywordsPage() {
    auto* page = named<QSplitter>("tsKeywords", Qt::Vertical);
    const Hint imageHints[] = {{"actAddImageKeyword", "Add keyword to image"},
                               {"actDeleteImageKeyword", "Delete image keyword"},
                               {"actDeleteKeywordFromDatabase", "Delete keyword from database"},
                               {"actSaveImageKeywords", "Save to file"},
                               {"actLoadImageKeywords", "Load from file"},
                               {"actPasteImageKeywords", "Paste from clipboard"},
                               {"actCopyImageKeywords", "Copy to clipboard"},
                               {"actAddCategoryKeywordsToImage", "Add selected category keywords to image"}};
    const Hint orderHints[] = {{"actImageKeywordUp", "Move keyword up"},
                               {"actImageKeywordDown", "Move keyword down"},
                               {"actSortImageKeywords", "Sort alphabetically"}};
    auto* categoryPanel = named<QWidget>("pnlCategoryKeywords");
    auto* categoryLayout = new QVBoxLayout(categoryPanel);
    categoryLayout->setContentsMargins(0, 0, 0, 0);
    categoryLayout->addWidget(new QLabel("Category keywords"));
    categoryLayout->addWidget(named<QListWidget>("CategoryKeywords"), 1);

    auto* imageKeywords = new QWidget;
    auto* layout = new QVBoxLayout(imageKeywords);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(named<QPlainTextEdit>("mImageKeywords"));
    layout->addWidget(hintToolbar("tbImageKeywords", imageHints));
    layout->addWidget(named<QListWidget>("ImageKeywords"), 1);
    layout->addWidget(hintToolbar("tbKeywordOrder", orderHints));
    page->addWidget(imageKeywords);
    page->addWidget(categoryPanel);
    return page;
}

QWidget* RightPane::buildFilesPage() {
    auto* page = named<QSplitter>("tsFiles2", Qt::Vertical);
    tree2_ = folderTree("Tree2", page);
    easy2_ = new ImageListView("Easy2", page);
    page->addWidget(tree2_);
    page->addWidget(easy2_);
    return page;
}

QWidget* RightPane::buildModelReleasePage() {
    auto* page = named<QWidget>("tsModelRelease");
    auto* picture = named<QLabel>("imgRelease");
    picture->setMinimumHeight(120);
    picture->setAlignment(Qt::AlignCenter);
    auto* browse = named<QPushButton>("btnBrowseRelease", "Browse...");
    auto* add = named<QPushButton>("btnAddRelease", "Add");
    browse->setEnabled(false);
    add->setEnabled(false);
    auto* releases = named<QListWidget>("ReleaseList");
    releases->setContextMenuPolicy(Qt::ActionsContextMenu);
    popupEntry(releases, "actDeleteRelease", "Delete Release");

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(picture);
    layout->addWidget(new QLabel("Model name"));
    layout->addWidget(named<QLineEdit>("edtModelName"));
    auto* file = named<QLineEdit>("edtReleaseFile");
    file->setAcceptDrops(true);
    layout->addWidget(file);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(browse);
    buttons->addWidget(add);
    layout->addLayout(buttons);
    layout->addWidget(releases, 1);
    return page;
}

} // namespace orvella
