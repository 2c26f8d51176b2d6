#pragma once

#include <filesystem>

namespace orvella {

// The folders the program works in. They are worked out once by the entry
// point and handed down, so tests run everything in temporary folders.
class TFolders {
public:
    TFolders(std::filesystem::path programFolder, std::filesystem::path userFolder);

    // The folder of the running executable (catalogue, settings, log).
    const std::filesystem::path& ProgramFolder() const { return program_; }
    // The per-user folder with its "MD5" and "History" sub-folders.
    const std::filesystem::path& UserFolder() const { return user_; }
    // Where preview thumbnails live; the user folder until the layout load
    // decides otherwise.
    const std::filesystem::path& DataFolder() const { return data_; }
    std::filesystem::path PreviewCacheFolder() const { return data_ / "MD5"; }

    // Fixed at layout load: the program folder's "Data" only for a portable
    // (INI) installation that asks for local previews.
    void chooseDataFolder(bool iniStoreUsed, bool localFolder);

    // Creates the user folder with "MD5" and "History" when missing.
    void createUserFolder() const;

private:
    std::filesystem::path program_;
    std::filesystem::path user_;
    std::filesystem::path data_;
};

std::filesystem::path programFolderOfRunningExecutable();
// $XDG_DATA_HOME/Orvella, by default ~/.local/share/Orvella.
std::filesystem::path userFolderFromEnvironment();
// $XDG_CONFIG_HOME/Orvella/registry.ini, by default ~/.config/Orvella/registry.ini.
std::filesystem::path registryFileFromEnvironment();

// $XDG_RUNTIME_DIR when set, else a private folder in the system temporary folder.
std::filesystem::path runtimeFolderFromEnvironment();

} // namespace orvella
