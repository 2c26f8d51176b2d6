#include "viewer/GhostScriptSandbox.h"

#include "shell/Log.h"
#include "viewer/RenderChannel.h"

#include <QCoreApplication>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvella {

namespace {

constexpr int kChannel = 3;
constexpr const char* kHelperName = "orvella-render-helper";

void pumpOnMainThread() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread())
        QCoreApplication::processEvents();
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    void reset() { adopt(-1); }
    void adopt(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// The helper process; killed and reaped on every path out.
// The interpreter may write into the temporary folder even in SAFER mode, so
// each helper gets a private, empty one of its own, removed when it ends: a
// hostile file can write nowhere that anything else reads.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvella-render-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::system_error(errno, std::generic_category(), "render helper folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The environment of the helper: this process's, with the temporary folder
// variables pointing at the scratch folder.
std::vector<std::string> helperEnvironment(const std::filesystem::path& scratch) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        std::string_view entry(*variable);
        if (!entry.starts_with("TMPDIR=") && !entry.starts_with("TEMP=") &&
            !entry.starts_with("TMP="))
            environment.emplace_back(entry);
    }
    for (const char* name : {"TMPDIR=", "TEMP=", "TMP="})
        environment.push_back(name + scratch.string());
    return environment;
}

class HelperProcess {
public:
    HelperProcess(const std::vector<std::string>& arguments, const RenderLimits& limits);
    ~HelperProcess() { stop(); }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    int channel() const { return channel_.get(); }
    void stop() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        reap();
    }
    // The wait status once the helper has ended.
    int reap() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

private:
    ScratchFolder scratch_; // outlives the helper: removed after stop()
    pid_t pid_ = -1;
    FileDescriptor channel_;
};

void setLimit(int resource, rlim_t value) {
    struct rlimit limit {
        value, value
    };
    ::setrlimit(resource, &limit);
}

HelperProcess::HelperProcess(const std::vector<std::string>& arguments,
                             const RenderLimits& limits) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "render helper pipe");
    FileDescriptor readEnd(pipeEnds[0]), writeEnd(pipeEnds[1]);
    FileDescriptor nullDevice(::open("/dev/null", O_RDWR | O_CLOEXEC));
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment = helperEnvironment(scratch_.path());
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    auto seconds = std::chrono::ceil<std::chrono::seconds>(limits.time).count() + 1;

    pid_ = ::fork();
    if (pid_ < 0)
        throw std::system_error(errno, std::generic_category(), "render helper");
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        sigset_t nothingBlocked; // the forking thread may block signals the limits send
        sigemptyset(&nothingBlocked);
        ::sigprocmask(SIG_SETMASK, &nothingBlocked, nullptr);
        ::dup2(nullDevice.get(), 0);
        ::dup2(nullDevice.get(), 1);
        ::dup2(writeEnd.get(), kChannel);
        ::close_range(kChannel + 1, ~0U, 0);
        setLimit(RLIMIT_CPU, static_cast<rlim_t>(seconds));
        setLimit(RLIMIT_AS, limits.memoryBytes);
        setLimit(RLIMIT_FSIZE, limits.fileBytes);
        setLimit(RLIMIT_CORE, 0);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);
    channel_.adopt(::fcntl(readEnd.get(), F_DUPFD_CLOEXEC, 0));
}

// The interpreter writes its error text in pieces; the log gets it a whole
// line at a time.
class LineCollector {
public:
    explicit LineCollector(const std::function<void(const std::string&)>& sink) : sink_(sink) {}
    ~LineCollector() { Flush(); }
    void Append(const std::string& text) {
        pending_ += text;
        size_t end;
        while ((end = pending_.find('\n')) != std::string::npos) {
            deliver(pending_.substr(0, end));
            pending_.erase(0, end + 1);
        }
    }
    void Flush() {
        if (!pending_.empty())
            deliver(pending_);
        pending_.clear();
    }

private:
    void deliver(const std::string& line) {
        if (sink_ && !line.empty())
            sink_(line);
    }
    const std::function<void(const std::string&)>& sink_;
    std::string pending_;
};

std::string endedText(int status) {
    if (WIFSIGNALED(status))
        return "ended by signal " + std::to_string(WTERMSIG(status));
    return "ended with status " + std::to_string(WEXITSTATUS(status));
}

} // namespace

QImage PageImage(const TPageBitmap& page) {
    if (page.Empty())
        return QImage(0, 0, QImage::Format_RGB888);
    QImage image(page.width, page.height, QImage::Format_RGB888);
    size_t rowBytes = static_cast<size_t>(page.width) * 3;
    for (int y = 0; y < page.height; ++y)
        std::memcpy(image.scanLine(y), page.rgb.data() + rowBytes * y, rowBytes);
    return image;
}

TGhostScriptSandbox::TGhostScriptSandbox(std::filesystem::path helper, std::string libraryName,
                                         int screenBitsPerPixel, RenderLimits limits)
    : PumpMessages(pumpOnMainThread), OnError([](const std::string& text) { logAlways(text); }),
      helper_(std::move(helper)), libraryName_(std::move(libraryName)),
      screenBits_(screenBitsPerPixel), limits_(limits),
      programPath_(std::filesystem::read_symlink("/proc/self/exe").string()) {
    if (::access(helper_.c_str(), X_OK) != 0)
        throw std::runtime_error("The render helper " + helper_.string() + " is missing");
}

std::filesystem::path TGhostScriptSandbox::DefaultHelper() {
    return HelperFor(std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

std::filesystem::path TGhostScriptSandbox::HelperFor(const std::filesystem::path& programFolder) {
    // Beside the program in the build folder or a portable copy; in
    // PREFIX/libexec/orvella for a program installed in PREFIX/bin.
    std::filesystem::path beside = programFolder / kHelperName;
    std::filesystem::path installed =
        programFolder.parent_path() / "libexec" / "orvella" / kHelperName;
    std::error_code ignored;
    if (!std::filesystem::exists(beside, ignored) && std::filesystem::exists(installed, ignored))
        return installed;
    return beside;
}

QImage TGhostScriptSandbox::RenderFirstPage(const std::filesystem::path& file) {
    lastPageCount_ = 0;
    HelperProcess helper(
        {helper_.string(), libraryName_, std::to_string(screenBits_), programPath_, file.string()},
        limits_);
    auto deadline = std::chrono::steady_clock::now() + limits_.time;
    RenderMessageReader reader;
    QImage picture(0, 0, QImage::Format_RGB888);
    std::optional<std::string> failure;
    LineCollector errorLines{OnError};
    bool finished = false;
    char buffer[65536];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            helper.stop();
            throw std::runtime_error("GhostScript did not finish " + file.string() + " within " +
                                     std::to_string(limits_.time.count() / 1000) + " seconds");
        }
        struct pollfd ready {
            helper.channel(), POLLIN, 0
        };
        int polled = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 50)));
        if (PumpMessages)
            PumpMessages();
        if (polled <= 0)
            continue;
        ssize_t got = ::read(helper.channel(), buffer, sizeof buffer);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got <= 0)
            break; // the helper has ended
        reader.Append(buffer, static_cast<size_t>(got));
        while (auto message = reader.Next()) {
            auto& [type, payload] = *message;
            switch (type) {
            case RenderMessage::ProgressLine:
                logGuarded(payload);
                break;
            case RenderMessage::InterpreterError:
                errorLines.Append(payload);
                break;
            case RenderMessage::PageGenerated:
                lastPageCount_ = std::atoi(payload.c_str());
                if (OnPageGenerated)
                    OnPageGenerated(lastPageCount_);
                break;
            case RenderMessage::FirstPage:
                if (std::optional<TPageBitmap> page = DecodePagePicture(payload))
                    picture = PageImage(*page);
                break;
            case RenderMessage::Failure:
                failure = payload;
                break;
            case RenderMessage::Finished:
                finished = true;
                break;
            }
        }
    }
    errorLines.Flush();
    int status = helper.reap();
    if (failure)
        throw std::runtime_error(*failure);
    if (!finished)
        throw std::runtime_error("GhostScript " + endedText(status) + " while rendering " +
                                 file.string());
    return picture;
}

} // namespace orvella
