#include "ProgramRun.h"

#include <QElapsedTimer>
#include <QThread>
#include <signal.h>
#include <sqlite3.h>
#include <sstream>

namespace orvella::test {

namespace fs = std::filesystem;

Installation::Installation() {
    fs::create_directories(programFolder());
    fs::copy_file(ORVELLA_BIN_DIR "/orvella", programFolder() / "orvella");
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", catalogue());
    fs::create_directories(runtimeFolder());
    fs::permissions(runtimeFolder(), fs::perms::owner_all);
    fs::create_directories(homeFolder());
}

QProcessEnvironment Installation::environment(const fs::path& runtimeFolder) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtimeFolder.string()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((root_ / "config").string()));
    environment.insert("XDG_DATA_HOME", QString::fromStdString((root_ / "share").string()));
    environment.insert("XDG_CACHE_HOME", QString::fromStdString((root_ / "cache").string()));
    environment.insert("HOME", QString::fromStdString(homeFolder().string()));
    return environment;
}

std::string Installation::log() const {
    std::error_code error;
    return fs::exists(logFile(), error) ? readFile(logFile()) : std::string();
}

std::vector<std::string> Installation::logLines() const {
    return logLines(logFile());
}

std::vector<std::string> Installation::logLines(const fs::path& file) const {
    std::vector<std::string> lines;
    std::error_code error;
    std::string text = fs::exists(file, error) ? readFile(file) : std::string();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Installation::rows(const std::string& select) const {
    sqlite3* db = nullptr;
    sqlite3_open_v2(catalogue().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db, select.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const unsigned char* value = sqlite3_column_text(statement, c);
                text +=
                    (c ? "|" : "") + std::string(value ? reinterpret_cast<const char*>(value) : "");
            }
            text += "\n";
        }
    } else {
        text = std::string("error: ") + sqlite3_errmsg(db);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return text;
}

ProgramRun::ProgramRun(const Installation& installation, QStringList arguments)
    : ProgramRun(installation, std::move(arguments), installation.runtimeFolder()) {}

ProgramRun::ProgramRun(const Installation& installation, QStringList arguments,
                       const fs::path& runtimeFolder)
    : installation_(installation), process_(std::make_unique<QProcess>()) {
    process_->setProcessEnvironment(installation.environment(runtimeFolder));
    process_->setWorkingDirectory(QString::fromStdString(fs::temp_directory_path().string()));
    process_->start(QString::fromStdString((installation.programFolder() / "orvella").string()),
                    arguments);
    process_->waitForStarted();
}

ProgramRun::~ProgramRun() {
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

namespace {
template <typename Probe> bool waitUntil(Probe probe, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout.count()) {
        if (probe())
            return true;
        QThread::msleep(20);
    }
    return probe();
}
} // namespace

bool ProgramRun::waitForLog(const std::string& text, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return installation_.log().find(text) != std::string::npos; }, timeout);
}

bool ProgramRun::waitForError(const std::string& text, std::chrono::milliseconds timeout) {
    return waitUntil(
        [&] {
            process_->waitForReadyRead(10);
            errors_ += process_->readAllStandardError().toStdString();
            return errors_.find(text) != std::string::npos;
        },
        timeout);
}

std::string ProgramRun::standardOutput() {
    process_->waitForFinished(20000);
    return process_->readAllStandardOutput().toStdString();
}

std::string ProgramRun::standardError() {
    errors_ += process_->readAllStandardError().toStdString();
    return errors_;
}

void ProgramRun::terminate() {
    ::kill(static_cast<pid_t>(process_->processId()), SIGTERM);
    waitForExit();
}

bool ProgramRun::waitForExit(std::chrono::milliseconds timeout) {
    return process_->waitForFinished(static_cast<int>(timeout.count()));
}

} // namespace orvella::test
