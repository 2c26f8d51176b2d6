#pragma once

#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "metadata/ImageInfoEditor.h"
#include "shell/Folders.h"
#include "shell/Options.h"
#include "shell/Progress.h"
#include "shell/SettingsStore.h"
#include "tool/CommandLinePrompts.h"

#include <cstdio>
#include <filesystem>

namespace orvella::tool {

// The catalogue, settings and data folder of the program folder beside the
// tool, as the window would have them.
struct ProgramCatalogue {
    ProgramCatalogue()
        : folders(foldersFromEnvironment()),
          store(folders.ProgramFolder(), registryFileFromEnvironment()), settings(store.read()),
          connection(folders.ProgramFolder() / TCatalogueConnection::kFileName),
          catalogue(connection) {
        folders.chooseDataFolder(settings.isIniStore(),
                                 settings.boolean(kOptionsSection, "LocalFolder", false));
        std::filesystem::create_directories(folders.PreviewCacheFolder());
        ImageInfoEditor::SettleInterruptedChanges(catalogue);
    }

    TFolders folders;
    SettingsStore store;
    SettingsSnapshot settings;
    TCatalogueConnection connection;
    TStockDBObject catalogue;
};

// No window to show progress in.
class SilentProgress : public Progress {
protected:
    void showWindow(int) override {}
    void setPosition(int) override {}
    void hideWindow() override {}
};

// A folder argument as the tree gives it: absolute, no trailing "/" but for
// the root. Throws for a path that is no folder.
inline std::filesystem::path folderArgument(const std::string& argument) {
    std::filesystem::path folder = std::filesystem::absolute(argument).lexically_normal();
    if (folder.has_relative_path() && folder.filename().empty())
        folder = folder.parent_path();
    if (!std::filesystem::is_directory(folder))
        throw std::runtime_error("not a folder: " + argument);
    return folder;
}

} // namespace orvella::tool
