#include "files/FileIdentity.h"

#include <openssl/evp.h>
#include <openssl/opensslv.h>

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace orvella {

namespace {

[[noreturn]] void throwFileError(const std::string& what, const std::filesystem::path& file) {
    throw std::system_error(errno, std::generic_category(), what + " " + file.string());
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The digest functions of libcrypto, opened on the first image key rather
// than linked: the library takes about a millisecond to load and relocate, a
// cost every start of the command-line tool would pay for the few runs that
// key a file.
struct CryptoFunctions {
    decltype(&EVP_MD_CTX_new) contextNew = nullptr;
    decltype(&EVP_MD_CTX_free) contextFree = nullptr;
    decltype(&EVP_md5) md5 = nullptr;
    decltype(&EVP_DigestInit_ex) init = nullptr;
    decltype(&EVP_DigestUpdate) update = nullptr;
    decltype(&EVP_DigestFinal_ex) final = nullptr;
};

template <typename Function> void resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr)
        throw std::runtime_error(std::string("MD5 digest is not available: no ") + name);
}

CryptoFunctions openCrypto() {
    std::string name = "libcrypto.so." + std::to_string(OPENSSL_SHLIB_VERSION);
    void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        throw std::runtime_error("MD5 digest is not available: " + std::string(dlerror()));
    CryptoFunctions crypto;
    resolve(library, "EVP_MD_CTX_new", crypto.contextNew);
    resolve(library, "EVP_MD_CTX_free", crypto.contextFree);
    resolve(library, "EVP_md5", crypto.md5);
    resolve(library, "EVP_DigestInit_ex", crypto.init);
    resolve(library, "EVP_DigestUpdate", crypto.update);
    resolve(library, "EVP_DigestFinal_ex", crypto.final);
    return crypto; // the library stays open for the life of the process
}

const CryptoFunctions& crypto() {
    static const CryptoFunctions functions = openCrypto();
    return functions;
}

struct DigestDeleter {
    void operator()(EVP_MD_CTX* context) const { crypto().contextFree(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestDeleter>;

DigestContext newMd5Context() {
    const CryptoFunctions& c = crypto();
    DigestContext context(c.contextNew());
    if (!context || c.init(context.get(), c.md5(), nullptr) != 1)
        throw std::runtime_error("MD5 digest is not available");
    return context;
}

std::string upperHex(const unsigned char* bytes, unsigned int count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 2);
    for (unsigned int i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

// Blocks large enough that the system calls cost little next to the digest.
constexpr size_t kReadBlock = 128 * 1024;

// Reads until the size the file had when opened has been read, or the file
// ends early; a file that grows meanwhile is hashed as it was.
void digestFile(int fd, off_t size, EVP_MD_CTX* context, const std::filesystem::path& file) {
    std::vector<unsigned char> block(kReadBlock);
    off_t done = 0;
    while (done < size) {
        size_t wanted =
            static_cast<size_t>(std::min<off_t>(size - done, static_cast<off_t>(block.size())));
        ssize_t got = ::read(fd, block.data(), wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throwFileError("Cannot read", file);
        if (got == 0)
            break;
        if (crypto().update(context, block.data(), static_cast<size_t>(got)) != 1)
            throw std::runtime_error("MD5 digest failed");
        done += got;
    }
}

} // namespace

std::string FileMD5(const std::filesystem::path& file) {
    // Opening without blocking keeps a named pipe from hanging the caller;
    // only regular files have a content to key.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        throwFileError("Cannot open", file);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        throwFileError("Cannot examine", file);
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        throwFileError("Cannot read", file);
    }
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    DigestContext context = newMd5Context();
    digestFile(fd.get(), status.st_size, context.get(), file);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (crypto().final(context.get(), digest, &length) != 1)
        throw std::runtime_error("MD5 digest failed");
    return upperHex(digest, length);
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
    size_t nameStart = path.find_last_of('/');
    nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
    size_t dot = path.find_last_of('.');
    std::string result(path);
    if (dot == std::string_view::npos || dot < nameStart)
        result += '.';
    else
        result.erase(dot + 1);
    result += extension;
    return result;
}

std::filesystem::path MakeTempFileName(std::string_view extension) {
    std::filesystem::path folder = std::filesystem::temp_directory_path();
    for (;;) {
        std::string pattern = (folder / "~XXXXXX").string();
        int placeholder = ::mkstemp(pattern.data());
        if (placeholder < 0)
            throwFileError("Cannot create a temporary file in", folder);
        ::close(placeholder);
        std::string candidate = pattern + std::string(extension);
        // Creating the final name exclusively is the "no such file yet" test
        // and the reservation in one step.
        int reserved = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        int reserveError = errno;
        ::unlink(pattern.c_str());
        if (reserved >= 0) {
            ::close(reserved);
            return candidate;
        }
        if (reserveError != EEXIST) {
            errno = reserveError;
            throwFileError("Cannot create", candidate);
        }
    }
}

DateTime FileTimeToDateTime(const struct timespec& fileTime) {
    // The calendar range a listing's file time can name (years 1601 to 30827);
    // anything outside it is treated as unreadable.
    constexpr int64_t kEarliest = -11644473600LL;
    constexpr int64_t kLatest = 910692730085LL;
    if (fileTime.tv_sec < kEarliest || fileTime.tv_sec > kLatest)
        return nowUtc();
    return DateTime{std::chrono::seconds{fileTime.tv_sec}};
}

THashData ReadHashData(const std::filesystem::path& file) {
    struct statx status {};
    if (::statx(AT_FDCWD, file.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &status) != 0)
        throwFileError("Cannot examine", file);
    THashData data;
    data.FileName = file.filename().string();
    data.FilePath = file.parent_path().string();
    data.FullName = file.string();
    data.FileSize = static_cast<int64_t>(status.stx_size);
    timespec modified{static_cast<time_t>(status.stx_mtime.tv_sec), status.stx_mtime.tv_nsec};
    data.ModifyDate = FileTimeToDateTime(modified);
    if (status.stx_mask & STATX_BTIME) {
        timespec born{static_cast<time_t>(status.stx_btime.tv_sec), status.stx_btime.tv_nsec};
        data.CreationDate = FileTimeToDateTime(born);
    } else {
        data.CreationDate = data.ModifyDate;
    }
    return data;
}

} // namespace orvella
