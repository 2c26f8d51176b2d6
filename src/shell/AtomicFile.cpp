#include "shell/AtomicFile.h"

#include <fstream>

#include "shell/IgnoredError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <set>
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
        std::string pattern = TemporaryTemplateBeside(target);
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

namespace {

constexpr std::string_view kTemporaryMark = ".orv";
constexpr size_t kRandomLength = 6;
constexpr size_t kLongestName = 255; // NAME_MAX of the usual Linux file systems

// The moment this process started, by the clock of file times.
const struct timespec processStart = [] {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}();

bool before(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

std::string TemporaryTemplateBeside(const fs::path& target) {
    std::string name = target.filename().string();
    size_t room = kLongestName - 1 - kTemporaryMark.size() - kRandomLength;
    if (name.size() > room) {
        size_t cut = room;
        // never inside a UTF-8 sequence
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return (target.parent_path() / ("~" + name + std::string(kTemporaryMark) + "XXXXXX")).string();
}

bool IsOrvellaTemporaryName(std::string_view name) {
    size_t fixed = 1 + kTemporaryMark.size() + kRandomLength;
    if (name.size() < fixed + 1 || name.front() != '~')
        return false;
    std::string_view tail = name.substr(name.size() - kRandomLength);
    std::string_view mark =
        name.substr(name.size() - kRandomLength - kTemporaryMark.size(), kTemporaryMark.size());
    return mark == kTemporaryMark && std::all_of(tail.begin(), tail.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0;
           });
}

int RemoveStaleTemporaries(const fs::path& folder) {
    static std::mutex guard;
    static std::set<std::string> swept;
    {
        std::lock_guard<std::mutex> lock(guard);
        if (!swept.insert(fs::absolute(folder).lexically_normal().string()).second)
            return 0;
    }
    struct timespec hourAgo {};
    ::clock_gettime(CLOCK_REALTIME, &hourAgo);
    hourAgo.tv_sec -= 3600;
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        struct stat facts {};
        if (!IsOrvellaTemporaryName(name) || ::lstat(it->path().c_str(), &facts) != 0 ||
            !S_ISREG(facts.st_mode))
            continue;
        if (!before(facts.st_mtim, processStart) && !before(facts.st_mtim, hourAgo))
            continue;
        if (::unlink(it->path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

void replaceFileAtomically(const fs::path& target, std::string_view content, mode_t newFileMode,
                           Durability durability) {
    replaceFileAtomically(target, {content}, newFileMode, durability);
}

void replaceFileAtomically(const fs::path& linkOrTarget,
                           std::initializer_list<std::string_view> pieces, mode_t newFileMode,
                           Durability durability) {
    AtomicWriteBatch* batch =
        durability == Durability::Flushed ? AtomicWriteBatch::current() : nullptr;
    fs::path target = realTarget(linkOrTarget);
    ExistingFile existing = inspect(target);
    RemoveStaleTemporaries(target.parent_path().empty() ? fs::path(".") : target.parent_path());
    TemporaryFile temporary(target);
    for (std::string_view piece : pieces)
        temporary.write(piece);
    if (existing.exists) {
        temporary.setOwner(existing.facts.st_uid, existing.facts.st_gid);
        temporary.setMode(existing.facts.st_mode & 07777);
    } else {
        temporary.setMode(newFileMode);
    }
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

std::string readWholeFile(const std::filesystem::path& file) {
    // A folder opens as a stream whose size is nonsense: refused by name.
    struct stat facts {};
    if (::stat(file.c_str(), &facts) == 0 && !S_ISREG(facts.st_mode))
        throw std::system_error(S_ISDIR(facts.st_mode) ? EISDIR : EINVAL, std::generic_category(),
                                "cannot read " + file.string());
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::system_error(errno, std::generic_category(), "cannot open " + file.string());
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::system_error(errno, std::generic_category(), "cannot read " + file.string());
    return bytes;
}

} // namespace orvella
