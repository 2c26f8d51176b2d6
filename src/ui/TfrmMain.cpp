#include "ui/TfrmMain.h"

#include "files/CatalogueViews.h"
#include "files/FileCommands.h"
#include "metadata/ImageInfoEditor.h"
#include "shell/IgnoredError.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "shell/SizeText.h"
#include "shell/Version.h"
#include "ui/AboutBox.h"
#include "ui/BugReport.h"
#include "ui/CommandTable.h"
#include "ui/FileCommandBindings.h"
#include "ui/Help.h"
#include "ui/ImageListModel.h"
#include "ui/ImageListView.h"
#include "ui/Links.h"
#include "ui/OrvellaApplication.h"
#include "ui/ProgressWindow.h"
#include "ui/Skin.h"
#include "ui/StartupState.h"
#include "ui/TdmMain.h"
#include "ui/dialogs/DebugWindow.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/SqlConsole.h"
#include "ui/pages/CatalogPage.h"
#include "ui/pages/FilesPage.h"
#include "ui/pages/FilterPanel.h"
#include "ui/pages/ImageInfoPage.h"
#include "ui/pages/ImageListPage.h"
#include "ui/pages/KeywordsPage.h"
#include "ui/pages/ModelReleasePage.h"
#include "ui/pages/SecondFilesPage.h"
#include "ui/pages/StockInfoPage.h"
#include "ui/pages/StocksPage.h"
#include "ui/pages/UploadsPage.h"
#include "ui/panes/CentrePane.h"
#include "ui/panes/LeftPane.h"
#include "ui/panes/RightPane.h"
#include "upload/FtpExchangeLog.h"
#include "upload/SubmissionStates.h"
#include "viewer/Renderers.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace orvella {

namespace {

const CommandLayout kFileMenu = {cmd::Rename,     cmd::Refresh,   cmd::Delete, cmd::Options,
                                 cmd::Syncronize, cmd::Separator, cmd::Exit};
const CommandLayout kCategoryMenu = {cmd::RootCategory, cmd::AddCategory, cmd::DeleteCat};
const CommandLayout kImageMenuHead = {cmd::Syncronize, cmd::CopyKeywords, cmd::InverSelection,
                                      cmd::Upload,     cmd::ConvertEPS,   cmd::Clone};
const CommandLayout kDatabaseMenu = {cmd::Cleanup, cmd::FullScan};
const CommandLayout kDebugMenu = {cmd::DebugWindow, cmd::SQLConsole};
const CommandLayout kHelpMenu = {cmd::Help, cmd::FAQ, cmd::BugReport, cmd::Separator, cmd::About};
const CommandLayout kToolbar = {cmd::Options,   cmd::Refresh,        cmd::Upload,   cmd::Syncronize,
                                cmd::BugReport, cmd::InverSelection, cmd::ShowFile, cmd::FullScan};

QString localTimeText(DateTime time) {
    auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

} // namespace

TfrmMain::TfrmMain(TdmMain& dataModule, TFolders& folders, const SettingsStore& store,
                   StartupState& startup, Prompts& prompts)
    : dataModule_(dataModule), folders_(folders), store_(store), prompts_(prompts),
      progress_(std::make_unique<ProgressWindow>()), options_(store),
      stockDB_(std::make_unique<TStockDBObject>(dataModule.Connection())),
      context_{dataModule.Connection(), *stockDB_,  options_, prompts_, *progress_,
               dataModule.Commands(),   selection_, startup,  folders,  store} {
    setObjectName("frmMain");
    setWindowTitle(kMainWindowCaption);
    resize(1121, 815);
    prepareAccessObject();
    buildPanes();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    bindWindowCommands();
    connectPanes();
    loadCatalogue();
    folders_.createUserFolder();
    logGuarded("Updated folder path");
    right_->modelRelease().reload();
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

// The pages, and with them the folder loaders, end (and are joined) before
// the renderers the loaders may be using go away.
TfrmMain::~TfrmMain() {
    delete panes_;
    StopOutsideRenderers();
    dataModule_.SetAccessObject(nullptr);
}

CommandTable& TfrmMain::Commands() {
    return dataModule_.Commands();
}

void TfrmMain::prepareAccessObject() {
    stockDB_->SetPrompts(&prompts_);
    stockDB_->SetProgress(progress_.get());
    stockDB_->SetOptions(&options_);
    dataModule_.SetAccessObject(stockDB_.get());
    ignoringErrors("settling interrupted file rewrites",
                   [this] { ImageInfoEditor::SettleInterruptedChanges(*stockDB_); });
    logGuarded("Database object created");
}

void TfrmMain::buildPanes() {
    panes_ = new QSplitter(Qt::Horizontal, this);
    panes_->setObjectName("pnlPanes");
    left_ = new LeftPane(context_, panes_);
    centre_ = new CentrePane(context_, panes_);
    right_ = new RightPane(context_, panes_);
    panes_->addWidget(left_);
    panes_->addWidget(centre_);
    panes_->addWidget(right_);
    panes_->setStretchFactor(1, 1);
    setCentralWidget(panes_);
}

// The category trees of the Catalog and Stock Info pages.
void TfrmMain::loadCatalogue() {
    left_->catalog().loadCategories();
    right_->stockInfo().loadCategories();
}

// The enabled stocks, and everything built from them.
void TfrmMain::RefreshStockList() {
    stocks_ = stockDB_->GetStocks(true);
    right_->stockInfo().showStocks(stocks_);
    left_->stocks().showStocks(stocks_);
    centre_->imageList().filterPanel().showStocks(stocks_);
}

void TfrmMain::buildMenus() {
    CommandTable& commands = Commands();
    auto addMenu = [this, &commands](const char* name, const char* caption,
                                     const CommandLayout& layout) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        commands.fill(menu, layout);
        return menu;
    };
    addMenu("mnuFile", "File", kFileMenu);
    addMenu("mnuCategory", "Category", kCategoryMenu);
    QMenu* image = addMenu("mnuImage", "Image", kImageMenuHead);
    commands.addGlobalStateMenu(image, "Set Global status")->setObjectName("mnuGlobalStatus");
    commands.fill(image, {cmd::ClearEXIF});
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

void TfrmMain::bindWindowCommands() {
    CommandTable& commands = Commands();
    commands.Bind(cmd::Exit, this, [this] { close(); });
    commands.Bind(cmd::About, this, [this] { showAbout(); });
    commands.Bind(cmd::Help, this, [this] { openHelp(folders_.ProgramFolder()); });
    commands.Bind(cmd::FAQ, this, [] { QDesktopServices::openUrl(QUrl(kForumPage)); });
    commands.Bind(cmd::BugReport, this, [this] { sendBugReport(); });
    commands.Bind(cmd::Refresh, this, [this] { refresh(); });
    commands.Bind(cmd::Options, this, [this] { ShowOptions(); });
    for (QAction* action : commands.Actions())
        addAction(action); // shortcuts work wherever the focus is in the window
}

// The folder chosen in the left tree is listed in the centre; the status bar
// follows the image selection.
void TfrmMain::connectPanes() {
    FilesPage& files = left_->files();
    ImageListPage& list = centre_->imageList();
    connect(&files, &FilesPage::folderLeft, &list, &ImageListPage::stopLoading);
    fileCommands_ = new FileCommandBindings(context_, files, this, [this] { refresh(); });
    // A folder never scanned is offered to the full scan before it is listed.
    connect(&files, &FilesPage::folderChosen, &list, [this, &list](const QString& folder) {
        fileCommands_->OfferFullScan(folder);
        list.showFolder(folder);
    });
    connect(&files, &FilesPage::folderRelisted, &list, &ImageListPage::showFolder);
    connectViews();
    connect(&selection_, &ImageSelection::selectionChanged, this, &TfrmMain::showSelectionCount);
    connect(&selection_, &ImageSelection::focusedImageChanged, this, &TfrmMain::showStatusOf);
    ImageInfoPage& info = right_->imageInfo();
    KeywordsPage& keywords = right_->keywords();
    connect(&info, &ImageInfoPage::keywordsChanged, &keywords, &KeywordsPage::reloadKeywords);
    connect(&keywords, &KeywordsPage::keywordsChanged, &info, &ImageInfoPage::reloadKeywords);
    connect(&left_->catalog(), &CatalogPage::categoriesChanged, &right_->stockInfo(),
            &StockInfoPage::loadCategories);
}

// The catalogue views: a category, a stock, a search and the uploads fill
// the centre list; the state grid's changes follow on the Stocks and Uploads
// pages; the Upload command starts the Uploads page's run.
void TfrmMain::connectViews() {
    ImageListPage& list = centre_->imageList();
    auto show = [&list](CatalogueViewMode mode, std::string categoryId, int32_t stockId,
                        std::string text) {
        CatalogueViewSettings settings;
        settings.mode = mode;
        settings.categoryId = std::move(categoryId);
        settings.stockId = stockId;
        settings.searchText = std::move(text);
        list.showCatalogueView(settings);
    };
    connect(&left_->catalog(), &CatalogPage::categoryChosen, this, [show](const QString& id) {
        show(CatalogueViewMode::Category, id.toStdString(), 0, "");
    });
    connect(&left_->stocks(), &StocksPage::stockChosen, this,
            [show](int32_t stockId) { show(CatalogueViewMode::Stock, "", stockId, ""); });
    connect(&left_->files(), &FilesPage::searchRequested, this, [show](const QString& text) {
        show(CatalogueViewMode::Search, "", 0, text.toStdString());
    });
    UploadsPage& uploads = left_->uploads();
    connect(&uploads, &UploadsPage::shown, this,
            [show] { show(CatalogueViewMode::Uploads, "", 0, ""); });
    uploads.connectUploads([&list] { return list.uploadEntries(); }, ftpLog_.get());
    connect(&uploads, &UploadsPage::uploadEnded, &list, [&list, &uploads] {
        if (uploads.isCurrent())
            list.reloadView();
    });
    right_->stockInfo().connectSelection([&list] { return list.selectedImages(); },
                                         [this, &list] {
                                             if (left_->stocks().isCurrent())
                                                 list.reloadView();
                                             else if (left_->uploads().isCurrent())
                                                 list.hideEntriesNotReady();
                                         });
    Commands().Bind(cmd::Upload, this, [this] {
        left_->setCurrentWidget(&left_->uploads());
        left_->uploads().clickUpload();
    });
    Commands().Bind(cmd::DeleteInvalid, this, [this, &list] {
        std::optional<int32_t> stock = left_->stocks().selectedStock();
        std::vector<SelectedImage> selected = list.selectedImages();
        if (!stock || selected.empty() || !selected.front().image)
            return;
        stockDB_->RemoveState(*stock, selected.front().image->MD5);
        list.reloadView();
    });
}

void TfrmMain::EnableDebugMode() {
    if (debugMode_)
        return;
    debugMode_ = true;
    mnuDebug_->menuAction()->setVisible(true);
    sqlConsole_ = new TfrmSQL(dataModule_.Connection(), this);
    debugWindow_ = new TfrmDebug(*stockDB_, this);
    Commands().Bind(cmd::SQLConsole, this, [this] { sqlConsole_->show(); });
    Commands().Bind(cmd::DebugWindow, this, [this] { debugWindow_->show(); });
    connect(&selection_, &ImageSelection::focusedImageChanged, this, &TfrmMain::showInDebugWindow);
}

// A single image whose file is there.
void TfrmMain::showInDebugWindow(const ImageListItem& item) {
    std::error_code error;
    if (!debugMode_ || selection_.selected().size() != 1 || item.data.MD5.empty() ||
        !std::filesystem::exists(item.data.FullName, error))
        return;
    debugWindow_->ShowImage(item.data.MD5, item.data.FileName, item.data.FilePath,
                            item.data.FullName, item.data.FileSize);
}

void TfrmMain::ShowOptions() {
    {
        TfrmOptions dialog(*stockDB_, store_, prompts_, this);
        logGuarded("Options window created");
        // The list is read again at once; the views follow when the dialog closes.
        connect(&dialog, &TfrmOptions::stocksChanged, this,
                [this] { stocks_ = stockDB_->GetStocks(true); });
        if (dialog.exec() == QDialog::Accepted)
            applyOptions(dialog.settings());
    }
    RefreshStockList();
    logGuarded("Options window destroyed");
}

void TfrmMain::applyOptions(const OptionSettings& settings) {
    centre_->imageList().setExplorerMenu(settings.flag("ExplorerMenu"));
    applySkin(QString::fromStdString(layout_.skin), !settings.flag("HideSkin"));
    logGuarded("Check skin state");
    options_.LoadOptions();
    ftpLog_->SetEnabled(options_.GetOption("EnableFTPLogging").toBool());
    context_.startup.RestoreFolderPending = false;
    ApplyPageVisibility();
}

void TfrmMain::ApplyPageVisibility() {
    left_->applyVisibility(options_);
    right_->applyVisibility(options_);
}

void TfrmMain::showSelectionCount(int selected) {
    statusPanels_[3]->setText(QString("%1 files selected").arg(selected));
}

void TfrmMain::showStatusOf(const ImageListItem& item) {
    statusPanels_[0]->setText(QString::fromStdString(item.data.FileName));
    statusPanels_[1]->setText(
        QString::fromStdString(SizeText(static_cast<uint64_t>(item.data.FileSize))));
    statusPanels_[2]->setText(localTimeText(item.data.ModifyDate));
    statusPanels_[4]->setText(QString::fromStdString(item.data.FullName));
}

QString TfrmMain::SelectedFolder() const {
    return left_->files().selectedFolder();
}

void TfrmMain::SelectFolder(const QString& folder) {
    left_->files().selectFolder(folder);
}

bool TfrmMain::MainFolderLoading() const {
    return centre_->imageList().isLoading();
}

// Page switches and refreshes never fail: what goes wrong while refreshing is
// logged and the page is shown all the same.
void TfrmMain::refresh() {
    ignoringErrors("Refresh", [this] { left_->refreshCurrent(); });
    ignoringErrors("Refresh", [this] { right_->refreshCurrent(); });
}

// The first time the window is up after start-up, the folder tree loads its
// selected folder, once.
void TfrmMain::firstActivation() {
    if (activatedOnce_)
        return;
    activatedOnce_ = true;
    left_->files().followSelection();
}

void TfrmMain::stopFolderViews() {
    ImageListPage& list = centre_->imageList();
    SecondFilesPage& second = right_->secondFiles();
    if (list.isLoading() || second.isLoading()) {
        list.stopLoading();
        second.stopLoading();
        logGuarded("Terminated directory processing threads");
    }
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// Only where a drop would go somewhere does the cursor say so.
void TfrmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (dropTargetFolder(event->position().toPoint(), dragFromImageList(event)).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

bool TfrmMain::dragFromImageList(const QDropEvent* event) const {
    return ImageListModel::DragOrigin(event->mimeData()) ==
           centre_->imageList().list()->objectName();
}

bool TfrmMain::DropImages(const QPoint& position) {
    QString folder = dropTargetFolder(position, true);
    if (folder.isEmpty())
        return false;
    fileCommands_->DropSelection(folder);
    return true;
}

// The main list's selection dropped on a folder is moved or copied there as
// the options say; files from elsewhere (a file manager, the second list) are
// moved into it.
void TfrmMain::dropEvent(QDropEvent* event) {
    QPoint position = event->position().toPoint();
    bool taken = dragFromImageList(event) ? DropImages(position)
                                          : DropFiles(event->mimeData()->urls(), position);
    if (taken)
        event->acceptProposedAction();
}

bool TfrmMain::DropFiles(const QList<QUrl>& files, const QPoint& position) {
    QString folder = dropTargetFolder(position, false);
    if (folder.isEmpty())
        return false;
    moveDroppedFiles(files, folder);
    refresh();
    return true;
}

// The folder a drop at a window position goes to: over either folder tree
// the folder under the point (or the tree's selected one), over the second
// list the folder it shows, and, for files from elsewhere only, over the
// main list the folder it shows. Empty where nothing takes files.
QString TfrmMain::dropTargetFolder(const QPoint& position, bool fromImageList) const {
    const QWidget* target = childAt(position);
    QPoint global = mapToGlobal(position);
    FilesPage& files = left_->files();
    std::optional<QString> folder = files.dropFolderAt(target, global);
    if (!folder)
        folder = right_->secondFiles().dropFolderAt(target, global);
    if (!folder && !fromImageList && centre_->imageList().covers(target) && files.isCurrent())
        folder = files.selectedFolder();
    return folder && IsFolder(folder->toStdString()) ? *folder : QString();
}

// Every file that stays where it was is named to the user afterwards.
void TfrmMain::moveDroppedFiles(const QList<QUrl>& urls, const QString& folder) {
    std::vector<std::filesystem::path> files;
    FileCommandReport report;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
        else
            report.problems.push_back({url.toString().toStdString(), "not a local file"});
    }
    {
        ProgressScope progress(*progress_, static_cast<int>(files.size()) - 1);
        FileCommandReport moved = MoveFiles(files, folder.toStdString(),
                                            [&progress](int position) { progress.step(position); });
        report.problems.insert(report.problems.end(), moved.problems.begin(), moved.problems.end());
    }
    if (!report.complete())
        prompts_.showMessage("These files were not moved to " + folder.toStdString() + ":\n" +
                             describeProblems(report));
}

void TfrmMain::showAbout() {
    TfrmAbout about(this);
    about.exec();
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
    if (!layout_.maximised()) {
        move(layout_.left, layout_.top);
        resize(layout_.width, layout_.height);
    }
    panes_->setSizes({layout_.leftPanel,
                      std::max(100, layout_.width - layout_.leftPanel - layout_.rightPanel),
                      layout_.rightPanel});
    left_->restoreLayout(loaded);
    centre_->restoreLayout(loaded);
    right_->restoreLayout(loaded);
    applySkin(QString::fromStdString(layout_.skin), !loaded.hideSkin);
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
    QList<int> widths = panes_->sizes();
    layout_.leftPanel = widths.value(0);
    layout_.rightPanel = widths.value(2);
    left_->saveLayout(layout_);
    centre_->saveLayout(layout_);
    right_->saveLayout(layout_);
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
