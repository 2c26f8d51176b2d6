#include "ui/TfrmMain.h"

#include "shell/AppState.h"
#include "shell/Log.h"
#include "shell/SizeText.h"
#include "shell/Version.h"
#include "upload/FtpExchangeLog.h"
#include "viewer/Renderers.h"
#include "ui/AboutBox.h"
#include "ui/ConvertEpsCommand.h"
#include "ui/BugReport.h"
#include "ui/CentrePane.h"
#include "ui/FolderView.h"
#include "ui/ImageListView.h"
#include "ui/LeftPane.h"
#include "ui/Links.h"
#include "ui/OrvellaApplication.h"
#include "ui/ProgressWindow.h"
#include "ui/QtCategoryTree.h"
#include "ui/QtPrompts.h"
#include "ui/RightPane.h"
#include "ui/Skin.h"
#include "ui/TdmMain.h"
#include "ui/WidgetHelpers.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileSystemModel>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QToolBar>
#include <QUrl>

namespace orvella {

namespace {

const CommandLayout kFileMenu = {"actRename", "actRefresh", "actDelete", "actOptions", "actSyncronize", "-", "actExit"};
const CommandLayout kCategoryMenu = {"actRootCategory", "actAddCategory", "actDeleteCat"};
const CommandLayout kImageMenuHead = {"actSyncronize", "actCopyKeywords", "actInverSelection", "actUpload",
                                      "actConvertEPS", "actClone"};
const CommandLayout kDatabaseMenu = {"actCleanup", "actFullScan"};
const CommandLayout kDebugMenu = {"actDebugWindow", "actSQLConsole"};
const CommandLayout kHelpMenu = {"actHelp", "actFAQ", "actBugReport", "-", "actAbout"};
const CommandLayout kToolbar = {"actOptions", "actRefresh", "actUpload", "actSyncronize", "actBugReport",
                                "actInverSelection", "actShowFile", "actFullScan"};

// Which option hides which page: left pages from the second on, right pages all.
struct PageOption {
    const char* option;
    bool leftPane;
    int page;
};
const PageOption kPageOptions[] = {
    {"tabcatalog", true, LeftPane::CatalogPage},      {"tabstocks", true, LeftPane::StocksPage},
    {"tabuploads", true, LeftPane::UploadsPage},      {"tabstockinfo", false, RightPane::StockInfoPage},
    {"tabimageinfo", false, RightPane::ImageInfoPage}, {"tabkeywords", false, RightPane::KeywordsPage},
    {"tabfiles2", false, RightPane::FilesPage},       {"tabmodel", false, RightPane::ModelReleasePage},
};

// Across file systems a move is a copy, then the removal of the original
// once the copy is complete; a failed copy leaves no partial file behind.
void moveFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::error_code error;
    std::filesystem::rename(source, target, error);
    if (error != std::errc::cross_device_link)
        return;
    if (std::filesystem::copy_file(source, target, error))
        std::filesystem::remove(source, error);
    else
        std::filesystem::remove(target, error);
}

QString localTimeText(DateTime time) {
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

} // namespace

TfrmMain::TfrmMain(TdmMain& dataModule, TFolders& folders, const SettingsStore& store)
    : dataModule_(dataModule), folders_(folders), store_(store), prompts_(std::make_unique<QtPrompts>()),
      progress_(std::make_unique<ProgressWindow>()), options_(store) {
    setObjectName("frmMain");
    setWindowTitle(kMainWindowCaption);
    resize(1121, 815);
    buildPanes();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    buildImageListPopup();
    bindWindowCommands();
    connectPanes();
    loadCatalogue();
    folders_.createUserFolder();
    logGuarded("Updated folder path");
    RefreshReleaseList();
    logGuarded("Release list updated");
    RefreshStockList();
    logGuarded("Stock list updated");
    setAcceptDrops(true);
    LoadLayout();
    logGuarded("Layout loaded");
    StartOutsideRenderers();
    options_.LoadOptions();
    ftpLog_ = std::make_unique<TFtpExchangeLog>(folders_.ProgramFolder() / "FTPLog.log");
    ftpLog_->SetEnabled(options_.GetOption("EnableFTPLogging").toBool());
    ApplyPageVisibility();
    logGuarded("Options cache updated");
}

// The folder loaders end (and are joined) before the renderers they may be
// using go away.
TfrmMain::~TfrmMain() {
    delete mainView_;
    delete secondView_;
    StopOutsideRenderers();
    dataModule_.SetAccessObject(nullptr);
}

CommandTable& TfrmMain::Commands() { return dataModule_.Commands(); }

void TfrmMain::buildPanes() {
    panes_ = new QSplitter(Qt::Horizontal, this);
    panes_->setObjectName("pnlPanes");
    left_ = new LeftPane(Commands(), panes_);
    centre_ = new CentrePane(panes_);
    right_ = new RightPane(panes_);
    panes_->addWidget(left_);
    panes_->addWidget(centre_);
    panes_->addWidget(right_);
    panes_->setStretchFactor(1, 1);
    setCentralWidget(panes_);
    mainView_ = new FolderView(centre_->Easy(), dataModule_.Connection(), this);
    secondView_ = new FolderView(right_->Easy2(), dataModule_.Connection(), this);
}

// The access object, and the category trees it fills.
void TfrmMain::loadCatalogue() {
    stockDB_ = std::make_unique<TStockDBObject>(dataModule_.Connection());
    stockDB_->SetPrompts(prompts_.get());
    stockDB_->SetProgress(progress_.get());
    stockDB_->SetOptions(&options_);
    dataModule_.SetAccessObject(stockDB_.get());
    logGuarded("Database object created");
    categoryTree_ = std::make_unique<QtCategoryTree>(left_->CategoryTree());
    stockDB_->SetCategoryTree(categoryTree_.get());
    logGuarded("Category tree assigned");
    stockDB_->LoadCategoryTree(*categoryTree_, false);
    logGuarded("Category tree updated");
    filterCategoryTree_ = std::make_unique<QtCategoryTree>(findChild<QTreeWidget*>("Category"));
    stockDB_->LoadCategoryTree(*filterCategoryTree_, true);
    logGuarded("Category tree 2 updated");
}

// The enabled stocks, and everything built from them.
void TfrmMain::RefreshStockList() {
    stocks_ = stockDB_->GetStocks(true);
    QTableWidget* grid = right_->StockGrid();
    grid->setRowCount(static_cast<int>(stocks_.size()));
    auto* stockView = findChild<QTreeWidget*>("StockView");
    stockView->clear();
    for (size_t row = 0; row < stocks_.size(); ++row) {
        QString name = QString::fromStdString(stocks_[row].Name);
        grid->setItem(static_cast<int>(row), 0, new QTableWidgetItem(name));
        new QTreeWidgetItem(stockView, {name, "", ""});
    }
    findChild<QWidget*>("pnlStockProgress")->hide();
}

void TfrmMain::RefreshReleaseList() {
    auto* releases = findChild<QListWidget*>("ReleaseList");
    releases->clear();
    for (const TModelRelease& release : stockDB_->GetModelReleases()) {
        auto* item = new QListWidgetItem(QString::fromStdString(release.ModelName), releases);
        item->setData(Qt::UserRole, QString::fromStdString(release.ReleaseId));
        item->setToolTip(QString::fromStdString(release.FileName));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TfrmMain::buildMenus() {
    CommandTable& commands = Commands();
    auto addMenu = [this, &commands](const char* name, const char* caption, const CommandLayout& layout) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        commands.fill(menu, layout);
        return menu;
    };
    addMenu("mnuFile", "File", kFileMenu);
    addMenu("mnuCategory", "Category", kCategoryMenu);
    QMenu* image = addMenu("mnuImage", "Image", kImageMenuHead);
    commands.addGlobalStateMenu(image, "Set Global status")->setObjectName("mnuGlobalStatus");
    commands.fill(image, {"actClearEXIF"});
    addMenu("mnuDatabase", "Database", kDatabaseMenu);
    mnuDebug_ = addMenu("mnuDebug", "Debug", kDebugMenu);
    mnuDebug_->menuAction()->setVisible(false);
    addMenu("mnuHelp", "Help", kHelpMenu);
}

void TfrmMain::buildToolbar() {
    QToolBar* toolbar = addToolBar("Main");
    toolbar->setObjectName("tbMain");
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Commands().fill(toolbar, kToolbar);
}

void TfrmMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    const int widths[] = {200, 200, 200, 120, 250};
    for (int panel = 0; panel < 5; ++panel) {
        statusPanels_[panel] = new QLabel(bar);
        statusPanels_[panel]->setObjectName(QString("StatusBar1Panel%1").arg(panel));
        statusPanels_[panel]->setMinimumWidth(widths[panel]);
        bar->addWidget(statusPanels_[panel], panel == 4 ? 1 : 0);
    }
}

void TfrmMain::buildImageListPopup() {
    CommandTable& commands = Commands();
    pmImages_ = new QMenu(this);
    pmImages_->setObjectName("pmImages");
    commands.fill(pmImages_, {"actSyncronize", "actDeleteInvalid", "actSetLocation", "actUnfasten"});
    commands.addGlobalStateMenu(pmImages_, "Set global status (for all stocks)");
    commands.fill(pmImages_, {"actCopyKeywords", "actShowFile", "actConvertEPS", "actZip", "actClone", "-",
                              "actCopy", "actPaste", "actDelete"});
    ImageListView* easy = centre_->Easy();
    easy->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(easy, &QWidget::customContextMenuRequested, this, &TfrmMain::showFileMenu);
    commands.Action("actDeleteInvalid")->setVisible(false);
    commands.Action("actUnfasten")->setVisible(false);
}

// The program's own popup, or with the option ExplorerMenu the desktop's
// actions for the file under the cursor.
void TfrmMain::showFileMenu(const QPoint& position) {
    ImageListView* easy = centre_->Easy();
    QPoint global = easy->viewport()->mapToGlobal(position);
    if (!explorerMenu_) {
        pmImages_->popup(global);
        return;
    }
    const ImageListItem* item = easy->Items()->itemAt(easy->indexAt(position));
    if (!item)
        return;
    QString file = QString::fromStdString(item->data.FullName);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction("Open", [file] { QDesktopServices::openUrl(QUrl::fromLocalFile(file)); });
    menu->addAction("Open containing folder",
                    [file] { QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath())); });
    menu->addAction("Copy path", [file] { QGuiApplication::clipboard()->setText(file); });
    menu->popup(global);
}

void TfrmMain::bindWindowCommands() {
    CommandTable& commands = Commands();
    commands.Bind("actExit", [this] { close(); });
    commands.Bind("actAbout", [this] { showAbout(); });
    commands.Bind("actHelp", [this] { openHelp(); });
    commands.Bind("actFAQ", [] { QDesktopServices::openUrl(QUrl(kForumPage)); });
    commands.Bind("actBugReport", [this] { sendBugReport(); });
    commands.Bind("actInverSelection", [this] { invertSelection(); });
    commands.Bind("actRefresh", [this] { refresh(); });
    commands.Bind("actConvertEPS", [this] { ConvertEpsToJpegCommand(*centre_->Easy(), *prompts_, Commands()); });
    for (QAction* action : commands.findChildren<QAction*>())
        addAction(action); // shortcuts work wherever the focus is in the window
}

void TfrmMain::connectPanes() {
    connect(left_->Tree()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfrmMain::onTreeSelectionChanged);
    connect(right_->Tree2()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfrmMain::onTree2SelectionChanged);
    connect(left_, &QTabWidget::currentChanged, this, &TfrmMain::onLeftPageChanged);
    connect(right_, &QTabWidget::currentChanged, this, &TfrmMain::onRightPageChanged);
    ImageListView* easy = centre_->Easy();
    connect(easy->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmMain::onSelectionChanged);
    connect(easy->selectionModel(), &QItemSelectionModel::currentChanged, this, &TfrmMain::onSelectionChanged);
}

void TfrmMain::EnableDebugMode() {
    debugMode_ = true;
    mnuDebug_->menuAction()->setVisible(true);
}

void TfrmMain::ApplyPageVisibility() {
    for (const PageOption& page : kPageOptions) {
        QTabWidget* pane = page.leftPane ? static_cast<QTabWidget*>(left_) : right_;
        pane->setTabVisible(page.page, options_.GetOption(page.option).toBool());
    }
}

// Page switches never fail: what goes wrong while refreshing is dropped and
// the page is shown all the same.
void TfrmMain::onLeftPageChanged(int page) {
    try {
        ImageListView* easy = centre_->Easy();
        easy->Items()->setCheckBoxes(page == LeftPane::UploadsPage);
        Commands().Action("actDeleteInvalid")->setVisible(page == LeftPane::StocksPage);
        Commands().Action("actUnfasten")->setVisible(page == LeftPane::CatalogPage);
        if (page == LeftPane::FilesPage)
            loadMainFolder();
        static const char* const lines[] = {"Files tab selected", "Catalog tab selected", "Stock tab selected",
                                            "Uploads tab selected"};
        if (page >= 0 && page < 4)
            logGuarded(lines[page]);
    } catch (...) {
    }
    left_->update();
}

void TfrmMain::onRightPageChanged(int page) {
    try {
        if (!centre_->Easy()->focusedItem())
            return;
        switch (page) {
        case RightPane::ImageInfoPage: logGuarded("Image info tab selected"); break;
        case RightPane::StockInfoPage: logGuarded("Stock state updated"); break;
        case RightPane::KeywordsPage: logGuarded("Keywords tab selected"); break;
        case RightPane::ModelReleasePage: logGuarded("Image release tab selected"); break;
        default: break;
        }
    } catch (...) {
    }
}

void TfrmMain::onSelectionChanged() {
    if (selectionHandlingSuspended_)
        return;
    ImageListView* easy = centre_->Easy();
    size_t selected = easy->selectedItems().size();
    statusPanels_[3]->setText(QString("%1 files selected").arg(selected));
    if (selected >= 2)
        return;
    if (const ImageListItem* item = easy->focusedItem()) {
        showStatusOf(*item);
        right_->clearKeywordCount();
        onRightPageChanged(right_->currentIndex());
    }
}

void TfrmMain::showStatusOf(const ImageListItem& item) {
    statusPanels_[0]->setText(QString::fromStdString(item.data.FileName));
    statusPanels_[1]->setText(QString::fromStdString(SizeText(static_cast<uint64_t>(item.data.FileSize))));
    statusPanels_[2]->setText(localTimeText(item.data.ModifyDate));
    statusPanels_[4]->setText(QString::fromStdString(item.data.FullName));
}

void TfrmMain::invertSelection() {
    ImageListView* easy = centre_->Easy();
    QItemSelection all(easy->model()->index(0, 0), easy->model()->index(easy->model()->rowCount() - 1, 0));
    selectionHandlingSuspended_ = true;
    easy->selectionModel()->select(all, QItemSelectionModel::Toggle);
    selectionHandlingSuspended_ = false;
    onSelectionChanged();
}

QString TfrmMain::SelectedFolder() const { return selectedFolder(left_->Tree()); }

void TfrmMain::SelectFolder(const QString& folder) {
    QModelIndex index = left_->TreeModel()->index(folder);
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        left_->Tree()->expand(parent);
    left_->Tree()->setCurrentIndex(index);
    left_->Tree()->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

// The folder remembered in the layout is reached once; until then, with the
// full scan on, selections made while restoring it load nothing.
void TfrmMain::onTreeSelectionChanged() {
    if (!AppStarted || !isVisible())
        return;
    mainView_->Stop();
    if (RestoreFolderPending) {
        std::string saved = store_.readText(kMainWindowSection, "Directory", "");
        if (saved.empty() || saved == SelectedFolder().toStdString())
            RestoreFolderPending = false;
    }
    if (RestoreFolderPending && options_.GetOption("FullScan").toBool())
        return;
    loadMainFolder();
}

void TfrmMain::loadMainFolder() { loadFolder(*mainView_, SelectedFolder()); }

void TfrmMain::onTree2SelectionChanged() { loadFolder(*secondView_, selectedFolder(right_->Tree2())); }

void TfrmMain::loadFolder(FolderView& view, const QString& folder) {
    if (!folder.isEmpty())
        view.Load(folder, folders_.PreviewCacheFolder(), options_.GetOption("JPEGPreview").toBool());
}

void TfrmMain::refresh() {
    if (left_->currentIndex() == LeftPane::FilesPage) {
        loadMainFolder();
        logGuarded("Window refreshed");
    } else {
        onLeftPageChanged(left_->currentIndex());
    }
    if (right_->currentIndex() == RightPane::FilesPage) {
        onTree2SelectionChanged();
        logGuarded("Window 2 refreshed");
    }
}

// The first time the window is up after start-up, the folder tree loads its
// selected folder, once.
void TfrmMain::firstActivation() {
    if (activatedOnce_)
        return;
    activatedOnce_ = true;
    onTreeSelectionChanged();
}

void TfrmMain::stopFolderViews() {
    if (mainView_->Loading() || secondView_->Loading()) {
        mainView_->Stop();
        secondView_->Stop();
        logGuarded("Terminated directory processing threads");
    }
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// Files dropped from the file manager are moved into the folder under the
// drop: the main view's folder over the image list, the folder under the
// cursor over the tree.
void TfrmMain::dropEvent(QDropEvent* event) {
    if (DropFiles(event->mimeData()->urls(), event->position().toPoint()))
        event->acceptProposedAction();
}

bool TfrmMain::DropFiles(const QList<QUrl>& files, const QPoint& position) {
    QString folder = dropTargetFolder(position);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    moveDroppedFiles(files, folder);
    refresh();
    return true;
}

QString TfrmMain::dropTargetFolder(const QPoint& position) const {
    QWidget* target = childAt(position);
    ImageListView* easy = centre_->Easy();
    QTreeView* tree = left_->Tree();
    if (target && (target == easy->viewport() || easy->isAncestorOf(target)))
        return left_->currentIndex() == LeftPane::FilesPage ? SelectedFolder() : QString();
    if (target && (target == tree->viewport() || tree->isAncestorOf(target))) {
        QModelIndex under = tree->indexAt(tree->viewport()->mapFrom(this, position));
        return under.isValid() ? left_->TreeModel()->filePath(under) : SelectedFolder();
    }
    return {};
}

// A file that would replace another of the same name stays where it is.
void TfrmMain::moveDroppedFiles(const QList<QUrl>& files, const QString& folder) {
    ProgressScope progress(*progress_, static_cast<int>(files.size()) - 1);
    int position = 0;
    for (const QUrl& url : files) {
        progress.step(position++);
        if (!url.isLocalFile())
            continue;
        std::filesystem::path source = url.toLocalFile().toStdString();
        std::filesystem::path target = std::filesystem::path(folder.toStdString()) / source.filename();
        std::error_code error;
        if (!std::filesystem::exists(target, error) && source != target)
            moveFile(source, target);
    }
}

void TfrmMain::showAbout() {
    TfrmAbout about(this);
    about.exec();
}

void TfrmMain::openHelp() {
    QFileInfo help(QString::fromStdString((folders_.ProgramFolder() / "help.chm").string()));
    QDesktopServices::openUrl(help.exists() ? QUrl::fromLocalFile(help.absoluteFilePath()) : QUrl(kOnlineHelpPage));
}

void TfrmMain::sendBugReport() {
    std::string link = bugReportLink();
    logGuarded("Made bugreport email");
    QDesktopServices::openUrl(QUrl(QString::fromStdString(link), QUrl::TolerantMode));
    logGuarded("Bug report email sent");
}

void TfrmMain::LoadLayout() {
    LoadedLayout loaded = orvella::LoadLayout(store_, folders_);
    layout_ = loaded.layout;
    explorerMenu_ = loaded.explorerMenu;
    if (!layout_.maximised()) {
        move(layout_.left, layout_.top);
        resize(layout_.width, layout_.height);
    }
    applyPaneSizes();
    if (!layout_.directory.empty())
        SelectFolder(QString::fromStdString(layout_.directory)); // a folder that is gone is ignored
    applySkin(QString::fromStdString(layout_.skin), !loaded.hideSkin);
}

namespace {
// A splitter whose first (or second) part takes the size from the layout.
struct PaneSize {
    int WindowLayout::*value;
    const char* splitter;
    int part;
};
const PaneSize kPaneSizes[] = {
    {&WindowLayout::fileTree, "tsFiles", 0},         {&WindowLayout::categoryTree, "tsCatalog", 0},
    {&WindowLayout::categoryKeywords, "tsKeywords", 1}, {&WindowLayout::fileTree2, "tsFiles2", 0},
    {&WindowLayout::grid, "tsStockInfo", 0},         {&WindowLayout::bottomPanel, "tsCentreFiles", 1},
};
constexpr int kRestOfSplitter = 400;
} // namespace

void TfrmMain::applyPaneSizes() {
    panes_->setSizes({layout_.leftPanel, std::max(100, layout_.width - layout_.leftPanel - layout_.rightPanel),
                      layout_.rightPanel});
    for (const PaneSize& size : kPaneSizes) {
        auto* splitter = findChild<QSplitter*>(size.splitter);
        int value = layout_.*size.value;
        splitter->setSizes(size.part == 0 ? QList<int>{value, kRestOfSplitter} : QList<int>{kRestOfSplitter, value});
    }
}

void TfrmMain::readPaneSizes() {
    QList<int> widths = panes_->sizes();
    layout_.leftPanel = widths.value(0);
    layout_.rightPanel = widths.value(2);
    for (const PaneSize& size : kPaneSizes)
        layout_.*size.value = findChild<QSplitter*>(size.splitter)->sizes().value(size.part);
}

void TfrmMain::ShowAsLaidOut() {
    if (layout_.maximised())
        showMaximized();
    else
        show();
    QTimer::singleShot(0, this, &TfrmMain::firstActivation);
}

void TfrmMain::RestoreOrRaise() {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TfrmMain::SaveLayout() {
    layout_.state = isMaximized() ? WindowLayout::kMaximised : WindowLayout::kNormal;
    layout_.left = x();
    layout_.top = y();
    layout_.width = width();
    layout_.height = height();
    readPaneSizes();
    layout_.directory = SelectedFolder().toStdString();
    orvella::SaveLayout(store_, layout_);
}

// Closing the main window is the program's orderly end: the layout is saved
// once, whether the user closed the window or a termination signal did.
void TfrmMain::closeEvent(QCloseEvent* event) {
    // A layout that cannot be written is logged; it never keeps the program open.
    if (!layoutSaved_) {
        layoutSaved_ = true;
        try {
            SaveLayout();
        } catch (...) {
            OrvellaApplication::reportCurrentException(this);
        }
        stopFolderViews();
    }
    event->accept();
}

} // namespace orvella
