#include "shell/Log.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace orvella {

namespace {

std::string fileText(const std::vector<std::string>& lines, size_t from) {
    std::string text;
    for (size_t i = from; i < lines.size(); ++i) {
        text += lines[i];
        text += "\r\n";
    }
    return text;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes text to the file opened with the given flags; a short write leaves
// the file out of step, which the caller repairs with a full rewrite.
bool writeFile(const std::filesystem::path& file, int flags, const std::string& text) {
    int fd = ::open(file.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, text);
    return ::close(fd) == 0 && ok;
}

std::atomic<TLog*> installedLog{nullptr};

} // namespace

TLog::TLog(std::filesystem::path file, Clock clock)
    : file_(std::move(file)), clock_(std::move(clock)) {}

std::string TLog::localTimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%x %X", &local);
    return text;
}

void TLog::Write(const std::string& message) {
    std::lock_guard lock(mutex_);
    lines_.push_back(clock_() + " " + message);
    saveLocked();
}

void TLog::WriteSystemReport(const std::vector<std::string>& reportLines) {
    std::lock_guard lock(mutex_);
    lines_.insert(lines_.end(), reportLines.begin(), reportLines.end());
}

void TLog::Save() {
    std::lock_guard lock(mutex_);
    saveLocked();
}

void TLog::SetLogEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
}

bool TLog::LogEnabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

std::vector<std::string> TLog::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

// Appending the new lines is enough while the file is known to hold the
// earlier ones; otherwise (first save, an earlier failure, a file removed
// behind our back) the whole list is written again.
void TLog::saveLocked() {
    fileInSync_ = (fileInSync_ && appendUnsavedLocked()) || rewriteLocked();
}

bool TLog::appendUnsavedLocked() {
    if (!writeFile(file_, O_APPEND, fileText(lines_, savedLines_)))
        return false;
    savedLines_ = lines_.size();
    return true;
}

bool TLog::rewriteLocked() {
    if (!writeFile(file_, O_CREAT | O_TRUNC, fileText(lines_, 0)))
        return false;
    savedLines_ = lines_.size();
    return true;
}

void installAppLog(TLog* log) {
    installedLog.store(log);
}

bool hasAppLog() {
    return installedLog.load() != nullptr;
}

TLog& appLog() {
    TLog* log = installedLog.load();
    if (!log)
        throw std::logic_error("the application log is not installed");
    return *log;
}

void logGuarded(const std::string& message) {
    TLog* log = installedLog.load();
    if (log && log->LogEnabled())
        log->Write(message);
}

void logAlways(const std::string& message) {
    if (TLog* log = installedLog.load())
        log->Write(message);
}

} // namespace orvella

namespace orvella {

AppLogSession::AppLogSession(std::filesystem::path file) : log_(std::move(file)) {
    installAppLog(&log_);
    log_.Write("Application started");
}

AppLogSession::~AppLogSession() {
    log_.Write("Application terminated");
    installAppLog(nullptr);
}

} // namespace orvella
