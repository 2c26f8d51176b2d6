#pragma once

#include <filesystem>
#include <optional>
#include <sys/types.h>

namespace orvella {

// The folders the program works in. They are worked out once by the entry
// point and handed down, so tests run everything in temporary folders.
class TFolders {
public:
    // cacheFolder holds the regenerable preview cache; empty means the user
    // folder.
    TFolders(std::filesystem::path programFolder, std::filesystem::path userFolder,
             std::filesystem::path cacheFolder = {});

    // The folder of the catalogue, the settings file and the logs: the
    // executable's own folder for a portable installation, else the per-user
    // data folder (see chooseProgramFolder).
    const std::filesystem::path& ProgramFolder() const { return program_; }
    // The per-user folder with its "History" sub-folder.
    const std::filesystem::path& UserFolder() const { return user_; }
    // The folder of the per-user cache.
    const std::filesystem::path& CacheFolder() const { return cache_; }
    // Where preview thumbnails live; the cache folder until the layout load
    // decides otherwise.
    const std::filesystem::path& DataFolder() const { return data_; }
    std::filesystem::path PreviewCacheFolder() const { return data_ / "MD5"; }

    // Fixed at layout load: the program folder's "Data" only for a portable
    // (INI) installation that asks for local previews.
    void chooseDataFolder(bool iniStoreUsed, bool localFolder);

    // Creates the user folder with "History", and the preview cache folder.
    void createUserFolder() const;

private:
    std::filesystem::path program_;
    std::filesystem::path user_;
    std::filesystem::path cache_;
    std::filesystem::path data_;
};

// The folder of the running executable.
std::filesystem::path programFolderOfRunningExecutable();
// $XDG_DATA_HOME/Orvella, by default ~/.local/share/Orvella.
std::filesystem::path userFolderFromEnvironment();
// $XDG_CACHE_HOME/Orvella, by default ~/.cache/Orvella.
std::filesystem::path cacheFolderFromEnvironment();
// $XDG_CONFIG_HOME/Orvella/registry.ini, by default ~/.config/Orvella/registry.ini.
std::filesystem::path registryFileFromEnvironment();

// The user's pictures folder (XDG_PICTURES_DIR of user-dirs.dirs, by default
// ~/Pictures) when it exists, else the home folder.
std::filesystem::path picturesFolderFromEnvironment();
// The home folder: $HOME, else the password database's entry.
std::filesystem::path homeFolderFromEnvironment();

// $XDG_RUNTIME_DIR when set, else a private folder in the system temporary folder.
std::filesystem::path runtimeFolderFromEnvironment();

// The empty catalogue an installed program ships: PREFIX/share/orvella/Orvella.dat
// for an executable in PREFIX/bin.
std::filesystem::path installedCatalogue(const std::filesystem::path& executableFolder);

// The program folder. The executable's folder when it holds the catalogue
// and may be written (a portable installation, such as the build folder).
// Otherwise the user folder, made when missing and given a copy of the
// installed empty catalogue (mode 0600) when it has none. Never throws: a
// folder that cannot be made or a missing installed catalogue shows later,
// when the catalogue does not open.
std::filesystem::path chooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& userFolder);

// chooseProgramFolder for the running executable and the environment.
std::filesystem::path programFolderFromEnvironment();

// The folders of a run of the program, from the running executable and the
// environment.
TFolders foldersFromEnvironment();

// Files that hold passwords or the catalogue are the owner's alone. Takes
// group and other permissions off an existing file; returns its former
// permission bits when they were narrowed, no value when there was nothing
// to do (or no file).
std::optional<mode_t> narrowToOwner(const std::filesystem::path& file);

} // namespace orvella
