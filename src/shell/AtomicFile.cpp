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
        std::string pattern =
            (target.parent_path() / ("~" + target.filename().string() + ".XXXXXX"));
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
    // The owner and group of the file replaced, where the writer may give
    // them: only the superuser may give a file away, while the owner may
    // still give it one of his own groups. The mode comes after, since a
    // change of owner clears the set-user-ID and set-group-ID bits.
    void setOwner(uid_t owner, gid_t group) {
        if (::fchown(fd_, owner, group) != 0)
            (void)::fchown(fd_, static_cast<uid_t>(-1), group);
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

// The file a symbolic link leads to, through any chain of links; the path
// itself when it is no link. The new content replaces that file in its own
// folder, so the link stays a link and the rename stays on one file system.
fs::path realTarget(const fs::path& target) {
    fs::path path = target;
    for (int hops = 0;; ++hops) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return path;
        if (hops == 40) {
            errno = ELOOP;
            throwErrno("cannot follow the links of " + target.string());
        }
        std::error_code error;
        fs::path next = fs::read_symlink(path, error);
        if (error)
            throw std::system_error(error, "cannot read the link " + path.string());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
}

// An existing target: what the new file keeps of it. A file with several
// hard links is refused: a rename would give only this name the new content
// and leave the other names on the old one, and writing in place would give
// up the all-or-nothing replacement.
struct ExistingFile {
    bool exists = false;
    struct stat facts {};
};

ExistingFile inspect(const fs::path& target) {
    ExistingFile existing;
    if (::stat(target.c_str(), &existing.facts) != 0) {
        if (errno != ENOENT)
            throwErrno("cannot look at " + target.string());
        return existing;
    }
    existing.exists = true;
    if (S_ISREG(existing.facts.st_mode) && existing.facts.st_nlink > 1)
        throw std::system_error(EMLINK, std::generic_category(),
                                target.string() + " has " +
                                    std::to_string(existing.facts.st_nlink) +
                                    " hard links; it is left unchanged, since rewriting it would "
                                    "part the links");
    return existing;
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

void replaceFileAtomically(const fs::path& linkOrTarget,
                           std::initializer_list<std::string_view> pieces, mode_t newFileMode,
                           Durability durability) {
    fs::path target = realTarget(linkOrTarget);
    ExistingFile existing = inspect(target);
    TemporaryFile temporary(target);
    for (std::string_view piece : pieces)
        temporary.write(piece);
    if (existing.exists) {
        temporary.setOwner(existing.facts.st_uid, existing.facts.st_gid);
        temporary.setMode(existing.facts.st_mode & 07777);
    } else {
        temporary.setMode(newFileMode);
    }
    temporary.close(durability);
    temporary.renameOver(target);
    if (durability == Durability::Flushed)
        flushFolder(target.parent_path());
}

} // namespace orvella
