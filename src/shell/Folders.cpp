#include "shell/Folders.h"

#include "shell/AtomicFile.h"

#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvella {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCatalogueName = "Orvella.dat";

} // namespace

TFolders::TFolders(fs::path programFolder, fs::path userFolder, fs::path cacheFolder)
    : program_(std::move(programFolder)), user_(std::move(userFolder)),
      cache_(cacheFolder.empty() ? user_ : std::move(cacheFolder)), data_(cache_) {}

void TFolders::chooseDataFolder(bool iniStoreUsed, bool localFolder) {
    data_ = iniStoreUsed && localFolder ? program_ / "Data" : cache_;
}

void TFolders::createUserFolder() const {
    fs::create_directories(user_ / "History");
    fs::create_directories(PreviewCacheFolder());
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

// Writable for this user by its permission bits, and by the kernel's word
// (which also knows read-only mounts and access lists). The bits count for
// the superuser too: a folder made read-only is an installed one.
bool isWritableFolder(const fs::path& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || ::access(folder.c_str(), W_OK | X_OK) != 0)
        return false;
    if (status.st_uid == ::geteuid())
        return status.st_mode & S_IWUSR;
    if (status.st_gid == ::getegid())
        return status.st_mode & S_IWGRP;
    return status.st_mode & (::geteuid() == 0 ? (S_IWUSR | S_IWGRP | S_IWOTH) : S_IWOTH);
}

// Copies the installed catalogue under a temporary name and renames it into
// place, so an interrupted first start never leaves half a catalogue.
void copyCatalogue(const fs::path& from, const fs::path& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return;
    std::string pattern = TemporaryTemplateBeside(to);
    int out = ::mkostemp(pattern.data(), O_CLOEXEC); // mode 0600
    bool ok = out >= 0;
    char buffer[1 << 16];
    while (ok) {
        ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno != EINTR)
                ok = false;
            else if (put > 0)
                done += put;
        }
    }
    ::close(in);
    if (out >= 0) {
        ok = ::fsync(out) == 0 && ok;
        ok = ::close(out) == 0 && ok;
        // link() never replaces: a catalogue made meanwhile by another start stays.
        if (ok)
            ::link(pattern.c_str(), to.c_str());
        ::unlink(pattern.c_str());
    }
}

} // namespace

fs::path homeFolderFromEnvironment() {
    return homeFolder();
}

fs::path picturesFolderFromEnvironment() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    std::error_code error;
    if (!pictures.isEmpty() && fs::is_directory(pictures.toStdString(), error))
        return fs::path(pictures.toStdString()).lexically_normal();
    return homeFolder();
}

fs::path userFolderFromEnvironment() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") / "Orvella";
}

fs::path cacheFolderFromEnvironment() {
    return xdgFolder("XDG_CACHE_HOME", ".cache") / "Orvella";
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

fs::path installedCatalogue(const fs::path& executableFolder) {
    return executableFolder.parent_path() / "share" / "orvella" / kCatalogueName;
}

fs::path chooseProgramFolder(const fs::path& executableFolder, const fs::path& userFolder) {
    std::error_code error;
    if (fs::is_regular_file(executableFolder / kCatalogueName, error) &&
        isWritableFolder(executableFolder))
        return executableFolder;
    fs::create_directories(userFolder, error);
    if (!fs::exists(userFolder / kCatalogueName, error))
        copyCatalogue(installedCatalogue(executableFolder), userFolder / kCatalogueName);
    return userFolder;
}

fs::path programFolderFromEnvironment() {
    return chooseProgramFolder(programFolderOfRunningExecutable(), userFolderFromEnvironment());
}

TFolders foldersFromEnvironment() {
    return TFolders(programFolderFromEnvironment(), userFolderFromEnvironment(),
                    cacheFolderFromEnvironment());
}

std::optional<mode_t> narrowToOwner(const fs::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    mode_t bits = status.st_mode & 07777;
    if ((bits & 077) == 0)
        return std::nullopt;
    if (::chmod(file.c_str(), bits & 07700) != 0)
        return std::nullopt;
    return bits;
}

} // namespace orvella
