#pragma once

#include "support/TempFolder.h"

#include <QProcess>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace orvella::test {

// A private portable installation of the built program: its own program
// folder (the executable and a fresh empty catalogue), and home, runtime,
// config, data and cache folders.
class Installation {
public:
    Installation();

    std::filesystem::path programFolder() const { return root_ / "program"; }
    std::filesystem::path logFile() const { return programFolder() / "LogFile.log"; }
    std::filesystem::path catalogue() const { return programFolder() / "Orvella.dat"; }
    std::filesystem::path registryFile() const {
        return root_ / "config" / "Orvella" / "registry.ini";
    }
    std::filesystem::path runtimeFolder() const { return root_ / "run"; }
    std::filesystem::path homeFolder() const { return root_ / "home"; }
    std::filesystem::path dataFolder() const { return root_ / "share" / "Orvella"; }
    std::filesystem::path cacheFolder() const { return root_ / "cache" / "Orvella"; }
    QProcessEnvironment environment(const std::filesystem::path& runtimeFolder) const;

    std::string log() const;
    std::vector<std::string> logLines() const; // split at CR LF
    std::vector<std::string> logLines(const std::filesystem::path& logFile) const;
    // Rows of a select on the catalogue, as "a|b" lines (the program must have ended).
    std::string rows(const std::string& select) const;

private:
    TempFolder root_;
};

// One run of the program in an installation.
class ProgramRun {
public:
    explicit ProgramRun(const Installation& installation, QStringList arguments = {});
    ProgramRun(const Installation& installation, QStringList arguments,
               const std::filesystem::path& runtimeFolder);
    ~ProgramRun();

    // Waits until the log holds the text; false on time-out or when the program ended first.
    bool waitForLog(const std::string& text,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Waits until standard error holds the text.
    bool waitForError(const std::string& text,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Asks the program to stop as a desktop session would (SIGTERM) and waits for its end.
    void terminate();
    bool waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    int exitCode() const { return process_->exitCode(); }
    bool crashed() const { return process_->exitStatus() == QProcess::CrashExit; }
    std::string standardError();
    // Everything the program printed on standard output, once it has ended.
    std::string standardOutput();

private:
    const Installation& installation_;
    std::unique_ptr<QProcess> process_;
    std::string errors_;
};

} // namespace orvella::test
