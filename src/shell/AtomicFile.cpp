#include "shell/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orvella {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Closes and removes the temporary file unless the rename has taken it over.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target) {
        std::string pattern = (target.parent_path() / ("~" + target.filename().string() + ".XXXXXX"));
        fd_ = ::mkstemp(pattern.data());
        if (fd_ < 0)
            throwErrno("cannot create a temporary file beside " + target.string());
        path_ = pattern;
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void write(std::string_view content) {
        size_t done = 0;
        while (done < content.size()) {
            ssize_t n = ::write(fd_, content.data() + done, content.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throwErrno("cannot write " + path_.string());
            done += static_cast<size_t>(n);
        }
    }
    void setMode(mode_t mode) {
        if (::fchmod(fd_, mode) != 0)
            throwErrno("cannot set the permissions of " + path_.string());
    }
    void close(Durability durability) {
        if (durability == Durability::Flushed && ::fsync(fd_) != 0)
            throwErrno("cannot flush " + path_.string());
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            throwErrno("cannot close " + path_.string());
    }
    void renameOver(const fs::path& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0)
            throwErrno("cannot replace " + target.string());
        committed_ = true;
    }

private:
    fs::path path_;
    int fd_ = -1;
    bool committed_ = false;
};

mode_t modeFor(const fs::path& target, mode_t newFileMode) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    return newFileMode;
}

// The rename is durable only once the folder entry itself reaches the disk.
void flushFolder(const fs::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void replaceFileAtomically(const fs::path& target, std::string_view content, mode_t newFileMode,
                           Durability durability) {
    replaceFileAtomically(target, {content}, newFileMode, durability);
}

void replaceFileAtomically(const fs::path& target, std::initializer_list<std::string_view> pieces,
                           mode_t newFileMode, Durability durability) {
    TemporaryFile temporary(target);
    for (std::string_view piece : pieces)
        temporary.write(piece);
    temporary.setMode(modeFor(target, newFileMode));
    temporary.close(durability);
    temporary.renameOver(target);
    if (durability == Durability::Flushed)
        flushFolder(target.parent_path());
}

} // namespace orvella
