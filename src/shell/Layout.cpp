#include "shell/Layout.h"

#include "shell/Log.h"
#include "shell/Options.h"

namespace orvella {

namespace {

int readInt(const SettingsSnapshot& settings, const char* key, int fallback) {
    return static_cast<int>(settings.integer(kMainWindowSection, key, fallback));
}

WindowLayout readWindowLayout(const SettingsSnapshot& settings) {
    const WindowLayout defaults;
    WindowLayout layout;
    layout.state = readInt(settings, "State", defaults.state);
    layout.left = readInt(settings, "Left", defaults.left);
    layout.top = readInt(settings, "Top", defaults.top);
    layout.width = readInt(settings, "Width", defaults.width);
    layout.height = readInt(settings, "Height", defaults.height);
    layout.leftPanel = readInt(settings, "LeftPanel", defaults.leftPanel);
    layout.rightPanel = readInt(settings, "RightPanel", defaults.rightPanel);
    layout.fileTree = readInt(settings, "FileTree", defaults.fileTree);
    layout.categoryTree = readInt(settings, "CategoryTree", defaults.categoryTree);
    layout.categoryKeywords = readInt(settings, "CategoryKeywords", defaults.categoryKeywords);
    layout.fileTree2 = readInt(settings, "FileTree2", defaults.fileTree2);
    layout.grid = readInt(settings, "Grid", defaults.grid);
    layout.bottomPanel = readInt(settings, "BottomPanel", defaults.bottomPanel);
    layout.directory = settings.text(kMainWindowSection, "Directory", "");
    layout.skin = settings.text(kMainWindowSection, "Skin", kDefaultSkin);
    return layout;
}

} // namespace

LoadedLayout LoadLayout(const SettingsStore& store, TFolders& folders) {
    SettingsSnapshot settings = store.read();
    LoadedLayout loaded;
    loaded.iniStore = settings.isIniStore();
    if (loaded.iniStore)
        std::filesystem::create_directories(folders.ProgramFolder() / "Data" / "MD5");
    loaded.layout = readWindowLayout(settings);
    loaded.explorerMenu = settings.boolean(kOptionsSection, "ExplorerMenu", false);
    loaded.hideSkin = settings.boolean(kOptionsSection, "HideSkin", false);
    bool localFolder = loaded.iniStore && settings.boolean(kOptionsSection, "LocalFolder", false);
    folders.chooseDataFolder(loaded.iniStore, localFolder);
    return loaded;
}

void SaveLayout(const SettingsStore& store, const WindowLayout& layout) {
    auto number = [](int value) { return std::to_string(value); };
    bool iniStore = store.usesIniStore();
    store.write(kMainWindowSection, {{"State", number(layout.maximised() ? WindowLayout::kMaximised
                                                                         : WindowLayout::kNormal)},
                                     {"LeftPanel", number(layout.leftPanel)},
                                     {"RightPanel", number(layout.rightPanel)},
                                     {"Left", number(layout.left)},
                                     {"Top", number(layout.top)},
                                     {"Width", number(layout.width)},
                                     {"Height", number(layout.height)},
                                     {"FileTree", number(layout.fileTree)},
                                     {"CategoryTree", number(layout.categoryTree)},
                                     {"CategoryKeywords", number(layout.categoryKeywords)},
                                     {"Grid", number(layout.grid)},
                                     {"FileTree2", number(layout.fileTree2)},
                                     {"Directory", layout.directory},
                                     {"Skin", layout.skin},
                                     {"BottomPanel", number(layout.bottomPanel)}});
    logGuarded(iniStore ? "Layout saved to ini file" : "Layout seved to registry");
}

} // namespace orvella
