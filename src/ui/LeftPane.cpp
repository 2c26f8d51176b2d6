#include "ui/LeftPane.h"

#include "ui/CommandTable.h"
#include "ui/WidgetHelpers.h"

#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSplitter>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvella {

LeftPane::LeftPane(const CommandTable& commands, QWidget* parent) : QTabWidget(parent) {
    setObjectName("PageControl1");
    addTab(buildFilesPage(), "Files");
    addTab(buildCatalogPage(commands), "Catalog");
    addTab(buildStocksPage(), "Stocks");
    addTab(buildUploadsPage(), "Uploads");
}

QWidget* LeftPane::buildFilesPage() {
    auto* page = named<QSplitter>("tsFiles", Qt::Vertical);
    tree_ = folderTree("Tree", page);
    treeModel_ = static_cast<QFileSystemModel*>(tree_->model());
    tree_->setDragDropMode(QAbstractItemView::DropOnly);
    // Folders are read in the background: keep the selected one in sight as they arrive.
    connect(treeModel_, &QFileSystemModel::directoryLoaded, tree_,
            [this] { tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter); });

    auto* search = named<QWidget>("pnlSearch");
    auto* find = named<QLineEdit>("edtFind");
    auto* button = named<QPushButton>("btnSearch", "Search");
    button->setEnabled(false);
    auto* searchLayout = new QVBoxLayout(search);
    searchLayout->addWidget(new QLabel("Enter keywords to find"));
    auto* row = new QHBoxLayout;
    row->addWidget(find);
    row->addWidget(button);
    searchLayout->addLayout(row);
    searchLayout->addStretch();

    page->addWidget(tree_);
    page->addWidget(search);
    page->setStretchFactor(0, 1);
    return page;
}

QWidget* LeftPane::buildCatalogPage(const CommandTable& commands) {
    auto* page = named<QSplitter>("tsCatalog", Qt::Vertical);
    categoryTree_ = named<QTreeWidget>("CategoryTree");
    categoryTree_->setHeaderHidden(true);
    auto* toolbar = named<QToolBar>("tbCategories");
    commands.fill(toolbar, {"actRootCategory", "actAddCategory", "actDeleteCat"});
    auto* keyword = named<QLineEdit>("edtKeyword");
    auto* keywords = named<QListWidget>("Keywords");
    keywords->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* keywordBar = named<QToolBar>("tbCategoryKeywords");
    struct Entry {
        const char* name;
        const char* caption;
    } entries[] = {{"actAddCategoryKeywords", "Add keywords"},
                   {"actDeleteCategoryKeyword", "Delete keyword"},
                   {"actDeleteCategoryKeywordFromDatabase", "Delete from database"},
                   {"actSaveCategoryKeywords", "Save to file"},
                   {"actLoadCategoryKeywords", "Load from file"},
                   {"actPasteCategoryKeywords", "Paste from clipboard"}};
    for (const Entry& entry : entries)
        keywordBar->addAction(popupEntry(keywords, entry.name, entry.caption));

    auto* categories = new QWidget;
    auto* top = new QVBoxLayout(categories);
    top->setContentsMargins(2, 2, 2, 2);
    top->addWidget(toolbar);
    top->addWidget(categoryTree_, 1);
    auto* keywordPanel = new QWidget;
    auto* bottom = new QVBoxLayout(keywordPanel);
    bottom->setContentsMargins(2, 2, 2, 2);
    bottom->addWidget(keyword);
    bottom->addWidget(keywordBar);
    bottom->addWidget(keywords, 1);
    page->addWidget(categories);
    page->addWidget(keywordPanel);
    return page;
}

QWidget* LeftPane::buildStocksPage() {
    auto* page = named<QWidget>("tsStocks");
    auto* toolbar = named<QToolBar>("tbStocks");
    hintButton(toolbar, "actGetStockInfo", "Get stock info (beta)");
    auto* stocks = named<QTreeWidget>("StockView");
    stocks->setHeaderLabels({"Stock Name", "Balance", "Sales"});
    stocks->setRootIsDecorated(false);
    stocks->setContextMenuPolicy(Qt::ActionsContextMenu);
    popupEntry(stocks, "actOpenStockPage", "Open as web page");
    auto* progress = named<QProgressBar>("pnlStockProgress");
    progress->hide();

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(toolbar);
    layout->addWidget(stocks, 1);
    layout->addWidget(progress);
    return page;
}

QWidget* LeftPane::buildUploadsPage() {
    auto* page = named<QWidget>("tsUploads");
    lbLog_ = named<QListWidget>("lbLog");
    auto* start = named<QPushButton>("btnUpload", "Start &Upload");
    start->setEnabled(false);
    auto* clear = named<QPushButton>("btnClearLog", "&Clear log");
    connect(clear, &QPushButton::clicked, lbLog_, &QListWidget::clear);
    auto* save = named<QPushButton>("btnSaveLog", "&Save log");
    save->setEnabled(false);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(new QLabel("Uploading Log"));
    layout->addWidget(lbLog_, 1);
    layout->addWidget(named<QLabel>("lblUploadProgress", "Uploading progress..."));
    layout->addWidget(named<QLabel>("lblCurrentFile"));
    layout->addWidget(named<QLabel>("lblProgress"));
    layout->addWidget(named<QProgressBar>("pbUpload"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {start, clear, save})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    return page;
}

} // namespace orvella
