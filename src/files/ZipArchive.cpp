#include "files/ZipArchive.h"

#include "files/FileTransfer.h"
#include "shell/AtomicFile.h"
#include <cstring>

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvella {

namespace fs = std::filesystem;

namespace {

const char* const kStoredSuffixes[] = {
    "gif", "png", "z",    "zip", "zoo", "arc", "lzh",  "arj", "taz", "tgz", "lha", "rar",    "ace",
    "cab", "gz",  "gzip", "jar", "exe", "jpg", "jpeg", "7zp", "mp3", "wmv", "wma", "dvr-ms", "avi"};

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    });
    return out;
}

// zlib's usual balance of size and speed.
constexpr zip_uint32_t kDeflateLevel = 6;

// The archive in the making, under a name of its own beside the target; it
// is removed unless it took the target's name.
class TemporaryArchive {
public:
    explicit TemporaryArchive(const fs::path& archive) : path_(TemporaryTemplateBeside(archive)) {
        int fd = ::mkstemp(path_.data());
        if (fd < 0)
            throw std::runtime_error("cannot create a file in " + archive.parent_path().string() +
                                     ": " + std::strerror(errno));
        ::close(fd);
    }
    ~TemporaryArchive() {
        if (!placed_)
            ::unlink(path_.c_str());
    }
    TemporaryArchive(const TemporaryArchive&) = delete;
    TemporaryArchive& operator=(const TemporaryArchive&) = delete;

    const std::string& path() const { return path_; }

    void flushAndPlace(const fs::path& archive, mode_t mode) {
        int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        bool flushed = fd >= 0 && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!flushed || ::rename(path_.c_str(), archive.c_str()) != 0)
            throw std::runtime_error("cannot write " + archive.string() + ": " +
                                     std::strerror(errno));
        placed_ = true;
        int folder = ::open(archive.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }

private:
    std::string path_;
    bool placed_ = false;
};

// An open archive, discarded unless closed.
class OpenArchive {
public:
    OpenArchive(const std::string& path, int flags) {
        int error = 0;
        archive_ = zip_open(path.c_str(), flags, &error);
        if (!archive_) {
            zip_error_t details;
            zip_error_init_with_code(&details, error);
            std::string text = zip_error_strerror(&details);
            zip_error_fini(&details);
            throw std::runtime_error(text);
        }
    }
    ~OpenArchive() {
        if (archive_)
            zip_discard(archive_);
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;

    void add(const fs::path& file) {
        zip_source_t* source = zip_source_file(archive_, file.c_str(), 0, 0);
        if (!source)
            fail("cannot read " + file.string());
        std::string name = file.filename().string();
        zip_int64_t index =
            zip_file_add(archive_, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail("cannot add " + name);
        }
        bool stored = IsStoredInArchive(name);
        if (zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index),
                                     stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                     stored ? 0 : kDeflateLevel) != 0)
            fail("cannot set the compression of " + name);
    }
    void close() {
        if (zip_close(archive_) != 0)
            fail("cannot write the archive");
        archive_ = nullptr;
    }

private:
    [[noreturn]] void fail(const std::string& what) {
        throw std::runtime_error(what + ": " + zip_strerror(archive_));
    }
    zip_t* archive_ = nullptr;
};

} // namespace

bool IsStoredInArchive(std::string_view fileName) {
    size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string suffix = lowerAscii(fileName.substr(dot + 1));
    return std::find(std::begin(kStoredSuffixes), std::end(kStoredSuffixes), suffix) !=
           std::end(kStoredSuffixes);
}

void AddFileToArchive(const fs::path& file, const fs::path& archive) {
    struct stat fileStatus {};
    if (::stat(file.c_str(), &fileStatus) != 0 || !S_ISREG(fileStatus.st_mode))
        throw std::runtime_error("no file " + file.string());
    std::error_code error;
    if (fs::equivalent(file, archive, error))
        throw std::runtime_error(file.string() + " cannot go into an archive of its own name");

    TemporaryArchive temporary(archive);
    struct stat archiveStatus {};
    bool existing = ::stat(archive.c_str(), &archiveStatus) == 0;
    mode_t mode = existing ? archiveStatus.st_mode & 07777 : fileStatus.st_mode & 0666;
    if (existing)
        CopyFileTo(archive, temporary.path(), true); // the entries it holds are kept
    {
        OpenArchive zip(temporary.path(), existing ? 0 : ZIP_TRUNCATE);
        zip.add(file);
        zip.close();
    }
    temporary.flushAndPlace(archive, mode);
}

const char* ZipLibraryVersion() {
    return zip_libzip_version();
}

} // namespace orvella
