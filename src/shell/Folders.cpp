#include "shell/Folders.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvella {

namespace fs = std::filesystem;

TFolders::TFolders(fs::path programFolder, fs::path userFolder)
    : program_(std::move(programFolder)), user_(std::move(userFolder)), data_(user_) {}

void TFolders::chooseDataFolder(bool iniStoreUsed, bool localFolder) {
    data_ = iniStoreUsed && localFolder ? program_ / "Data" : user_;
}

void TFolders::createUserFolder() const {
    fs::create_directories(user_ / "MD5");
    fs::create_directories(user_ / "History");
}

fs::path programFolderOfRunningExecutable() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

namespace {

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()))
        return entry->pw_dir;
    return fs::temp_directory_path();
}

// An XDG base folder: the variable when it holds an absolute path, else the default.
fs::path xdgFolder(const char* variable, const char* homeRelativeDefault) {
    if (const char* value = std::getenv(variable); value && *value == '/')
        return value;
    return homeFolder() / homeRelativeDefault;
}

} // namespace

fs::path userFolderFromEnvironment() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") / "Orvella";
}

fs::path registryFileFromEnvironment() {
    return xdgFolder("XDG_CONFIG_HOME", ".config") / "Orvella" / "registry.ini";
}

fs::path runtimeFolderFromEnvironment() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return runtime;
    fs::path folder = fs::temp_directory_path() / ("orvella-runtime-" + std::to_string(getuid()));
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

} // namespace orvella
