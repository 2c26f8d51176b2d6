// The folder loader without a window: lists a folder against the catalogue
// of the program folder, as the file view would.
#include "files/FolderLoader.h"
#include "metadata/ImageInfoEditor.h"
#include "shell/Folders.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "tool/ToolVerbs.h"

#include <cstdio>

namespace orvella::tool {

namespace {

namespace fs = std::filesystem;

// Prints each item as it arrives: its caption, a tab and its image key.
class PrintedListing : public FolderListing {
public:
    void beginListing() override {}
    void addFile(ListedFile file) override {
        std::printf("%s\t%s\n", file.caption.c_str(), file.file.MD5.c_str());
    }
    void endListing(int listedCount) override { std::printf("Files (%d)\n", listedCount); }
};

// The folder as the tree gives it: absolute, no trailing "/" but for the root.
fs::path folderArgument(const std::string& argument) {
    fs::path folder = fs::absolute(argument).lexically_normal();
    if (folder.has_relative_path() && folder.filename().empty())
        folder = folder.parent_path();
    if (!fs::is_directory(folder))
        throw std::runtime_error("not a folder: " + argument);
    return folder;
}

int loadFolder(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError("one folder expected");
    fs::path folder = folderArgument(args[0]);
    TFolders folders = foldersFromEnvironment();
    SettingsStore store(folders.ProgramFolder(), registryFileFromEnvironment());
    SettingsSnapshot settings = store.read();
    folders.chooseDataFolder(settings.isIniStore(),
                             settings.boolean(kOptionsSection, "LocalFolder", false));
    fs::create_directories(folders.PreviewCacheFolder());

    TCatalogueConnection catalogue(folders.ProgramFolder() / TCatalogueConnection::kFileName);
    {
        TStockDBObject db(catalogue);
        ImageInfoEditor::SettleInterruptedChanges(db);
    }
    PrintedListing listing;
    FolderLoaderSettings loader{folder, folders.PreviewCacheFolder(),
                                settings.boolean(kOptionsSection, "JPEGPreview", false), 0};
    TDirectoryProcessor(catalogue, loader, listing).Execute();
    return 0;
}

ToolVerbRegistration loadVerb{{"load", "FOLDER", withOutsideRenderers(loadFolder)}};

} // namespace

} // namespace orvella::tool
