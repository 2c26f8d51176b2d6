#pragma once

#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/Layout.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "ui/ImageSelection.h"
#include "ui/WindowContext.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QMenu;
class QSplitter;

namespace orvella {

class FileCommandBindings;

class TdmMain;
class CommandTable;
class LeftPane;
class CentrePane;
class RightPane;
class Prompts;
class ProgressWindow;
class TFtpExchangeLog;
class TfrmDebug;
class TfrmSQL;
class OptionSettings;
struct StartupState;

// The main window: it assembles the three panes, the menus, the toolbar and
// the status bar, owns the catalogue access object, the option cache and the
// image selection the pages share, loads its layout when it is created and
// saves it when it closes.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(TdmMain& dataModule, TFolders& folders, const SettingsStore& store,
             StartupState& startup, Prompts& prompts);
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
    // Shows the Debug menu and makes the SQL console and the debug window,
    // hidden until their commands show them.
    void EnableDebugMode();
    // The Options command: the dialog, modal; its settings applied on OK;
    // the stock views rebuilt however it closes.
    void ShowOptions();

    // Shows the window maximised or at its saved bounds.
    void ShowAsLaidOut();
    // A later copy of the program asked for this window.
    void RestoreOrRaise();
    // Hides the switchable pages whose options are off.
    void ApplyPageVisibility();
    // Lists a folder in the main view, as selecting it in the folder tree does.
    void SelectFolder(const QString& folder);
    QString SelectedFolder() const;
    bool MainFolderLoading() const;
    // Files dropped from the file manager at a position of the window: moved
    // into the folder under it (a folder of either tree, the folder either
    // list shows). False when nothing there takes files.
    bool DropFiles(const QList<QUrl>& files, const QPoint& position);
    // The main image list's selection dropped at a position of the window:
    // moved or copied (MoveFiles, Overwrite) into the folder of either tree
    // under it, or the folder the second list shows, the catalogue rows
    // following. False when no folder is there.
    bool DropImages(const QPoint& position);
    // What the pages are handed (tests replace the URL opener).
    WindowContext& Context() { return context_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void prepareAccessObject();
    void buildPanes();
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void bindWindowCommands();
    void connectPanes();
    void connectViews();
    void loadCatalogue();
    void RefreshStockList();

    void LoadLayout();
    void SaveLayout();

    void refresh();
    void firstActivation();
    void stopFolderViews();
    void showSelectionCount(int selected);
    void showStatusOf(const ImageListItem& item);

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool dragFromImageList(const QDropEvent* event) const;
    QString dropTargetFolder(const QPoint& position, bool fromImageList) const;
    void moveDroppedFiles(const QList<QUrl>& files, const QString& folder);
    void showAbout();
    void applyOptions(const OptionSettings& settings);
    void showInDebugWindow(const ImageListItem& item);
    void sendBugReport();

    TdmMain& dataModule_;
    TFolders& folders_;
    const SettingsStore& store_;
    Prompts& prompts_;
    std::unique_ptr<ProgressWindow> progress_;
    TOptionsCache options_;
    std::unique_ptr<TStockDBObject> stockDB_;
    ImageSelection selection_;
    WindowContext context_;
    TStockList stocks_;
    std::unique_ptr<TFtpExchangeLog> ftpLog_;
    WindowLayout layout_;
    bool debugMode_ = false;
    bool layoutSaved_ = false;
    bool activatedOnce_ = false;

    QSplitter* panes_ = nullptr;
    LeftPane* left_ = nullptr;
    CentrePane* centre_ = nullptr;
    RightPane* right_ = nullptr;
    FileCommandBindings* fileCommands_ = nullptr;
    QMenu* mnuDebug_ = nullptr;
    TfrmSQL* sqlConsole_ = nullptr; // both only in debug mode
    TfrmDebug* debugWindow_ = nullptr;
    QLabel* statusPanels_[5] = {};
};

} // namespace orvella
