#pragma once

#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/Layout.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QMenu;
class QSplitter;

namespace orvella {

class TdmMain;
class CommandTable;
class LeftPane;
class CentrePane;
class RightPane;
class FolderView;
class QtCategoryTree;
class QtPrompts;
class ProgressWindow;
class TFtpExchangeLog;

// The main window: it assembles the three panes, the menus, the toolbar and
// the status bar, owns the catalogue access object and the option cache,
// loads its layout when it is created and saves it when it closes.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(TdmMain& dataModule, TFolders& folders, const SettingsStore& store);
    ~TfrmMain() override;

    TStockDBObject& StockDB() { return *stockDB_; }
    const TStockList& Stocks() const { return stocks_; }
    TOptionsCache& Options() { return options_; }
    TFtpExchangeLog& FtpLog() { return *ftpLog_; }
    const TFolders& Folders() const { return folders_; }
    CommandTable& Commands();
    LeftPane* Left() const { return left_; }
    CentrePane* Centre() const { return centre_; }
    RightPane* Right() const { return right_; }

    bool DebugMode() const { return debugMode_; }
    void EnableDebugMode();

    // Shows the window maximised or at its saved bounds.
    void ShowAsLaidOut();
    // A later copy of the program asked for this window.
    void RestoreOrRaise();
    // Hides the switchable pages whose options are off.
    void ApplyPageVisibility();
    FolderView* MainFolderView() const { return mainView_; }
    FolderView* SecondFolderView() const { return secondView_; }
    // Lists a folder in the main view, as selecting it in the folder tree does.
    void SelectFolder(const QString& folder);
    QString SelectedFolder() const;
    // Files dropped from the file manager at a position of the window: moved
    // into the folder under it. False when nothing there takes files.
    bool DropFiles(const QList<QUrl>& files, const QPoint& position);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanes();
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void bindWindowCommands();
    void buildImageListPopup();
    void loadCatalogue();
    void RefreshStockList();
    void RefreshReleaseList();
    void connectPanes();

    void LoadLayout();
    void SaveLayout();
    void applyPaneSizes();
    void readPaneSizes();

    void onTreeSelectionChanged();
    void onTree2SelectionChanged();
    void loadMainFolder();
    void loadFolder(FolderView& view, const QString& folder);
    void refresh();
    void firstActivation();
    void stopFolderViews();
    void onLeftPageChanged(int page);
    void onRightPageChanged(int page);
    void onSelectionChanged();
    void showStatusOf(const struct ImageListItem& item);

    void showFileMenu(const QPoint& position);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QString dropTargetFolder(const QPoint& position) const;
    void moveDroppedFiles(const QList<QUrl>& files, const QString& folder);
    void showAbout();
    void openHelp();
    void sendBugReport();
    void invertSelection();

    TdmMain& dataModule_;
    TFolders& folders_;
    const SettingsStore& store_;
    std::unique_ptr<QtPrompts> prompts_;
    std::unique_ptr<ProgressWindow> progress_;
    std::unique_ptr<TStockDBObject> stockDB_;
    std::unique_ptr<QtCategoryTree> categoryTree_;
    std::unique_ptr<QtCategoryTree> filterCategoryTree_;
    TStockList stocks_;
    std::unique_ptr<TFtpExchangeLog> ftpLog_;
    TOptionsCache options_;
    WindowLayout layout_;
    bool explorerMenu_ = false;
    bool debugMode_ = false;
    bool layoutSaved_ = false;
    bool selectionHandlingSuspended_ = false;
    bool activatedOnce_ = false;

    QSplitter* panes_ = nullptr;
    LeftPane* left_ = nullptr;
    CentrePane* centre_ = nullptr;
    RightPane* right_ = nullptr;
    FolderView* mainView_ = nullptr;
    FolderView* secondView_ = nullptr;
    QMenu* mnuDebug_ = nullptr;
    QMenu* pmImages_ = nullptr;
    QLabel* statusPanels_[5] = {};
};

} // namespace orvella
