#pragma once

#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/Layout.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"

#include <QMainWindow>
#include <memory>

class QMenu;

namespace orvella {

class TdmMain;

// The main window. It owns the catalogue access object and the option cache,
// loads its layout when it is created and saves it when it closes.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(TdmMain& dataModule, TFolders& folders, const SettingsStore& store);
    ~TfrmMain() override;

    TStockDBObject& StockDB() { return *stockDB_; }
    TOptionsCache& Options() { return options_; }
    const TFolders& Folders() const { return folders_; }

    bool DebugMode() const { return debugMode_; }
    void EnableDebugMode();

    // Shows the window maximised or at its saved bounds.
    void ShowAsLaidOut();
    // A later copy of the program asked for this window.
    void RestoreOrRaise();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void LoadLayout();
    void SaveLayout();
    void showAbout();

    TdmMain& dataModule_;
    TFolders& folders_;
    const SettingsStore& store_;
    std::unique_ptr<TStockDBObject> stockDB_;
    TOptionsCache options_;
    WindowLayout layout_;
    bool explorerMenu_ = false;
    bool debugMode_ = false;
    bool layoutSaved_ = false;
    QMenu* mnuDebug_ = nullptr;
};

} // namespace orvella
