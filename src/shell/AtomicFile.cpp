#include "shell/AtomicFile.h"

#include "shell/IgnoredError.h"

#include <algorithm>
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
    // Hands the open file over to a batch, which completes or removes it.
    AtomicWriteBatch::Waiting release(const fs::path& target) {
        AtomicWriteBatch::Waiting waiting{path_, target, fd_};
        fd_ = -1;
        committed_ = true;
        return waiting;
    }
    // Starts writing the file's pages to the disk without waiting for it.
    void startWriteBack() { ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE); }
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
    AtomicWriteBatch* batch =
        durability == Durability::Flushed ? AtomicWriteBatch::current() : nullptr;
    TemporaryFile temporary(target);
    for (std::string_view piece : pieces)
        temporary.write(piece);
    temporary.setMode(modeFor(target, newFileMode));
    if (batch != nullptr) {
        temporary.startWriteBack();
        batch->add(temporary.release(target));
        return;
    }
    temporary.close(durability);
    temporary.renameOver(target);
    if (durability == Durability::Flushed)
        flushFolder(target.parent_path());
}

namespace {
thread_local AtomicWriteBatch* openBatch = nullptr;
}

EDeferredWriteError::EDeferredWriteError(fs::path file, const std::system_error& cause)
    : std::system_error(cause.code(), cause.what()), file_(std::move(file)) {}

AtomicWriteBatch::AtomicWriteBatch(size_t depth)
    : depth_(depth == 0 ? 1 : depth), previous_(openBatch) {
    openBatch = this;
}

AtomicWriteBatch::~AtomicWriteBatch() {
    openBatch = previous_;
    ignoringErrors("completing the waiting file rewrites", [this] { finish(); });
    dropAll();
}

AtomicWriteBatch* AtomicWriteBatch::current() {
    return openBatch;
}

void AtomicWriteBatch::add(Waiting waiting) {
    // A target already waiting is completed first, so the replacements of
    // one file keep their order.
    try {
        while (std::any_of(waiting_.begin(), waiting_.end(),
                           [&](const Waiting& queued) { return queued.target == waiting.target; }))
            completeFront();
    } catch (...) {
        ::close(waiting.fd);
        ::unlink(waiting.temporary.c_str());
        throw;
    }
    waiting_.push_back(std::move(waiting));
    while (waiting_.size() > depth_)
        completeFront();
}

// The folders are flushed once at the end: a crash before that may undo a
// rename, so that the file keeps its old content, but never mixes the two.
void AtomicWriteBatch::finish() {
    try {
        while (!waiting_.empty())
            completeFront();
    } catch (...) {
        flushFolders();
        throw;
    }
    flushFolders();
}

void AtomicWriteBatch::flushFolders() {
    for (const fs::path& folder : renamedIn_)
        flushFolder(folder);
    renamedIn_.clear();
}

// Flushes the oldest waiting file and renames it over its target; on failure
// every waiting file is dropped and the failure names the oldest one's target.
void AtomicWriteBatch::completeFront() {
    Waiting front = std::move(waiting_.front());
    waiting_.pop_front();
    try {
        int fd = front.fd;
        front.fd = -1;
        int flushed = ::fdatasync(fd);
        int flushError = errno;
        if (::close(fd) != 0 && flushed == 0)
            throwErrno("cannot close " + front.temporary.string());
        if (flushed != 0)
            throw std::system_error(flushError, std::generic_category(),
                                    "cannot flush " + front.temporary.string());
        if (::rename(front.temporary.c_str(), front.target.c_str()) != 0)
            throwErrno("cannot replace " + front.target.string());
        fs::path folder = front.target.parent_path();
        if (std::find(renamedIn_.begin(), renamedIn_.end(), folder) == renamedIn_.end())
            renamedIn_.push_back(folder);
    } catch (const std::system_error& error) {
        ::unlink(front.temporary.c_str());
        dropAll();
        throw EDeferredWriteError(front.target, error);
    }
}

void AtomicWriteBatch::dropAll() {
    for (Waiting& waiting : waiting_) {
        if (waiting.fd >= 0)
            ::close(waiting.fd);
        ::unlink(waiting.temporary.c_str());
    }
    waiting_.clear();
}

} // namespace orvella
