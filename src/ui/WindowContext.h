#pragma once

#include <QDesktopServices>
#include <QUrl>
#include <functional>

namespace orvella {

class TCatalogueConnection;
class TStockDBObject;
class TOptionsCache;
class TFolders;
class SettingsStore;
class Prompts;
class Progress;
class CommandTable;
class ImageSelection;
struct StartupState;

// What a page of the main window may use. The window (or a test) owns these
// and hands the same context to every page it builds.
struct WindowContext {
    TCatalogueConnection& connection; // for folder loaders, which open their own access objects
    TStockDBObject& stockDB;
    TOptionsCache& options;
    Prompts& prompts;
    Progress& progress;
    CommandTable& commands;
    ImageSelection& selection;
    StartupState& startup;
    const TFolders& folders;
    const SettingsStore& store;
    // Opens a file, folder or web address with the program the desktop
    // associates with it; tests put a recorder here so nothing is launched.
    std::function<bool(const QUrl&)> openUrl = QDesktopServices::openUrl;
};

} // namespace orvella
