#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orvella {

// The diagnostic log of the current run: a list of lines mirrored to a file
// in the program folder. The file always equals the list as of the last
// successful save; a failed save keeps the lines for the next one.
class TLog {
public:
    using Clock = std::function<std::string()>; // gives the time stamp text

    explicit TLog(std::filesystem::path file, Clock clock = localTimeStamp);

    void Write(const std::string& message);
    void WriteSystemReport(const std::vector<std::string>& reportLines);
    void Save();

    void SetLogEnabled(bool enabled);
    bool LogEnabled() const;

    std::vector<std::string> Lines() const;
    const std::filesystem::path& FileName() const { return file_; }

    static std::string localTimeStamp();

private:
    void saveLocked();
    bool appendUnsavedLocked();
    bool rewriteLocked();

    std::filesystem::path file_;
    Clock clock_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    size_t savedLines_ = 0;   // lines the file holds when fileInSync_
    bool fileInSync_ = false; // false until the first save of the run
    bool enabled_ = false;
};

// The process-wide log, installed by the entry point before anything else runs.
void installAppLog(TLog* log);
TLog& appLog();
bool hasAppLog();

// A line that is written only while the log enabled flag (-log) is on.
void logGuarded(const std::string& message);
// A line that is always written.
void logAlways(const std::string& message);

} // namespace orvella

namespace orvella {

// The log's life for the whole run: "Application started" when it begins,
// "Application terminated" when it ends.
class AppLogSession {
public:
    explicit AppLogSession(std::filesystem::path file);
    ~AppLogSession();
    AppLogSession(const AppLogSession&) = delete;
    AppLogSession& operator=(const AppLogSession&) = delete;

    TLog& log() { return log_; }

private:
    TLog log_;
};

} // namespace orvella
