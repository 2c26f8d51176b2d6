#include "files/FileTransfer.h"

#include "shell/AtomicFile.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orvella {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwErrno(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// The partial copy under a name of its own beside the target; removed unless
// it took the target name.
class PartialCopy {
public:
    explicit PartialCopy(const fs::path& target) : path_(TemporaryTemplateBeside(target)) {
        RemoveStaleTemporaries(target.parent_path());
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0)
            throwErrno(errno, "cannot create a file in " + target.parent_path().string());
    }
    ~PartialCopy() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!placed_)
            ::unlink(path_.c_str());
    }
    PartialCopy(const PartialCopy&) = delete;
    PartialCopy& operator=(const PartialCopy&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    void close(bool flush) {
        if (flush && ::fsync(fd_) != 0)
            throwErrno(errno, "cannot flush " + path_);
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            throwErrno(errno, "cannot close " + path_);
    }
    void placed() { placed_ = true; }

private:
    std::string path_;
    int fd_ = -1;
    bool placed_ = false;
};

void copyBytesWithReads(int from, int to, off_t done, off_t size, const std::string& what) {
    std::array<char, 1 << 17> buffer;
    while (done < size) {
        ssize_t got = ::pread(from, buffer.data(), buffer.size(), done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throwErrno(errno, "cannot read " + what);
        if (got == 0)
            break; // the source shrank meanwhile: what was there is copied
        for (ssize_t written = 0; written < got;) {
            ssize_t n = ::pwrite(to, buffer.data() + written, static_cast<size_t>(got - written),
                                 done + written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throwErrno(errno, "cannot write the copy of " + what);
            written += n;
        }
        done += got;
    }
}

// The kernel copies within the file system where it can; otherwise the bytes
// go through a buffer.
void copyBytes(int from, int to, off_t size, const std::string& what) {
    off_t done = 0;
    while (done < size) {
        ssize_t n =
            ::copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(size - done), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                      errno == EPERM)) {
            copyBytesWithReads(from, to, done, size, what);
            return;
        }
        if (n < 0)
            throwErrno(errno, "cannot copy " + what);
        if (n == 0)
            return;
        done += n;
    }
}

void flushFolder(const fs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool nameTaken(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// Two names of one file; false when either cannot be looked at.
bool oneFile(const fs::path& source, const fs::path& target) {
    std::error_code error;
    return fs::equivalent(source, target, error);
}

bool sameFile(const fs::path& source, const fs::path& target) {
    return nameTaken(target) && oneFile(source, target);
}

// Gives the finished copy the target name; false when another file has it
// and may not be replaced.
bool placeWithoutReplacing(const std::string& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        throwErrno(errno, "cannot create " + to.string());
    // A file system without the no-replace rename: a hard link fails on an
    // existing name just the same.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST)
            return false;
        throwErrno(errno, "cannot create " + to.string());
    }
    ::unlink(from.c_str());
    return true;
}

} // namespace

Placement CopyFileTo(const fs::path& source, const fs::path& target, bool replace, bool flush) {
    if (nameTaken(target)) {
        if (oneFile(source, target))
            return Placement::SameFile;
        if (!replace)
            return Placement::TargetExists;
    }
    Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (from.get() < 0)
        throwErrno(errno, "cannot open " + source.string());
    struct stat status {};
    if (::fstat(from.get(), &status) != 0)
        throwErrno(errno, "cannot examine " + source.string());
    if (!S_ISREG(status.st_mode))
        throwErrno(EINVAL, source.string() + " is not a file");

    PartialCopy copy(target);
    copyBytes(from.get(), copy.fd(), status.st_size, source.string());
    ::fchmod(copy.fd(), status.st_mode & 07777);
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::futimens(copy.fd(), times);
    copy.close(flush);
    if (replace) {
        if (::rename(copy.path().c_str(), target.c_str()) != 0)
            throwErrno(errno, "cannot replace " + target.string());
    } else if (!placeWithoutReplacing(copy.path(), target)) {
        return Placement::TargetExists;
    }
    copy.placed();
    if (flush)
        flushFolder(target.parent_path());
    return Placement::Placed;
}

// A rename onto another name of the same file does nothing and reports
// success, so a replacing move looks for that case first. A move that does
// not replace needs no look beforehand: the no-replace rename refuses any
// taken name, and only then is it told whether the name was the file's own.
Placement MoveFileTo(const fs::path& source, const fs::path& target, bool replace) {
    if (replace && sameFile(source, target))
        return Placement::SameFile;
    int result =
        replace ? ::rename(source.c_str(), target.c_str())
                : ::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (result != 0 && !replace && (errno == EINVAL || errno == ENOSYS)) {
        // No no-replace rename on this file system: look, then rename.
        if (nameTaken(target))
            return sameFile(source, target) ? Placement::SameFile : Placement::TargetExists;
        result = ::rename(source.c_str(), target.c_str());
    }
    if (result == 0)
        return Placement::Placed;
    int error = errno;
    if (error == EEXIST)
        return sameFile(source, target) ? Placement::SameFile : Placement::TargetExists;
    if (error != EXDEV)
        throwErrno(error, "cannot move " + source.string() + " to " + target.string());

    Placement copied = CopyFileTo(source, target, replace, true);
    if (copied != Placement::Placed)
        return copied;
    if (::unlink(source.c_str()) != 0)
        throwErrno(errno, "copied to " + target.string() + " but cannot remove " + source.string());
    flushFolder(source.parent_path());
    return Placement::Placed;
}

} // namespace orvella
