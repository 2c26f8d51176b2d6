#pragma once

#include "shell/Folders.h"
#include "shell/SettingsStore.h"

#include <string>

namespace orvella {

inline constexpr const char* kMainWindowSection = "MainWindow";
inline constexpr const char* kDefaultSkin = "BlueIce (internal)";

// The "MainWindow" section: window bounds and pane sizes in pixels.
struct WindowLayout {
    static constexpr int kMaximised = 2;
    static constexpr int kNormal = 1;

    int state = kNormal;
    int left = 50;
    int top = 50;
    int width = 1126;
    int height = 778;
    int leftPanel = 257;
    int rightPanel = 314;
    int fileTree = 280;
    int categoryTree = 252;
    int categoryKeywords = 279;
    int fileTree2 = 280;
    int grid = 340;
    int bottomPanel = 180;
    std::string directory;
    std::string skin = kDefaultSkin;

    bool maximised() const { return state == kMaximised; }
};

// What the main window needs from the store when it loads its layout.
struct LoadedLayout {
    WindowLayout layout;
    bool explorerMenu = false;
    bool hideSkin = false;
    bool iniStore = false;
};

// Reads the layout by the store rule. With the INI store it also makes sure
// the program folder's "Data/MD5" exists and lets "LocalFolder" decide the
// data folder; with the registry store the data folder is the user folder.
LoadedLayout LoadLayout(const SettingsStore& store, TFolders& folders);

// Writes the layout by the store rule and logs where it went.
void SaveLayout(const SettingsStore& store, const WindowLayout& layout);

} // namespace orvella
