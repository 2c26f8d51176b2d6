#include "shell/Log.h"
#include "shell/ErrorRecords.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>

namespace orvella {
namespace {

using test::readFile;
using test::TempFolder;

std::string fixedClock() {
    return "10.12.2026 10:00:00";
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

TEST(Log, FileMirrorsTheLinesAfterEveryWrite) {
    TempFolder folder;
    TLog log(folder / "LogFile.log", fixedClock);
    log.Write("Application started");
    EXPECT_EQ(readFile(folder / "LogFile.log"), "10.12.2026 10:00:00 Application started\r\n");
    log.WriteSystemReport({" Memory Load: 5%", ""});
    log.Write("Connection string: x");
    EXPECT_EQ(readFile(folder / "LogFile.log"), joined(log.Lines()));
    EXPECT_EQ(log.Lines()[1], " Memory Load: 5%"); // report lines carry no time stamp
}

TEST(Log, ReplacesTheFileOfAnEarlierRun) {
    TempFolder folder;
    test::writeFile(folder / "LogFile.log", "old run\r\n");
    TLog log(folder / "LogFile.log", fixedClock);
    log.Write("Application started");
    EXPECT_EQ(readFile(folder / "LogFile.log"), "10.12.2026 10:00:00 Application started\r\n");
}

TEST(Log, KeepsLinesWhenTheFileCannotBeWrittenAndCatchesUpLater) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "ro");
    TLog log(folder / "ro" / "LogFile.log", fixedClock);
    if (geteuid() == 0) {
        // root writes anywhere: block the file name with a folder instead.
        std::filesystem::create_directory(folder / "ro" / "LogFile.log");
    } else {
        chmod((folder / "ro").c_str(), 0500);
    }
    log.Write("first");
    EXPECT_EQ(log.Lines().size(), 1u);
    std::filesystem::remove(folder / "ro" / "LogFile.log");
    chmod((folder / "ro").c_str(), 0700);
    log.Write("second");
    EXPECT_EQ(readFile(folder / "ro" / "LogFile.log"), joined(log.Lines()));
}

TEST(Log, RewritesWhenTheFileWasRemovedBehindItsBack) {
    TempFolder folder;
    TLog log(folder / "LogFile.log", fixedClock);
    log.Write("one");
    std::filesystem::remove(folder / "LogFile.log");
    log.Write("two");
    EXPECT_EQ(readFile(folder / "LogFile.log"), joined(log.Lines()));
}

TEST(Log, WritesFromSeveralThreadsLoseNothing) {
    TempFolder folder;
    TLog log(folder / "LogFile.log", fixedClock);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&log, t] {
            for (int i = 0; i < 50; ++i)
                log.Write("thread " + std::to_string(t) + " line " + std::to_string(i));
        });
    for (auto& writer : writers)
        writer.join();
    EXPECT_EQ(log.Lines().size(), 200u);
    EXPECT_EQ(readFile(folder / "LogFile.log"), joined(log.Lines()));
}

TEST(Log, GuardedLinesNeedTheEnabledFlag) {
    TempFolder folder;
    TLog log(folder / "LogFile.log", fixedClock);
    installAppLog(&log);
    logGuarded("hidden");
    logAlways("shown");
    log.SetLogEnabled(true);
    logGuarded("now shown");
    installAppLog(nullptr);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"10.12.2026 10:00:00 shown",
                                                     "10.12.2026 10:00:00 now shown"}));
}

TEST(Log, SessionWritesStartAndEndLines) {
    TempFolder folder;
    {
        AppLogSession session(folder / "LogFile.log");
        logAlways("Orvella version 1.5");
    }
    std::string text = readFile(folder / "LogFile.log");
    EXPECT_NE(text.find("Application started\r\n"), std::string::npos);
    EXPECT_EQ(text.rfind("Application terminated\r\n"), text.size() - 24);
    EXPECT_FALSE(hasAppLog());
}

struct EDemoError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

TEST(ErrorRecords, NameTheClassAndQuoteTheLatestStatement) {
    TempFolder folder;
    TLog log(folder / "LogFile.log", fixedClock);
    installAppLog(&log);
    EDemoError error("UNIQUE constraint failed");
    writeErrorRecord(exceptionClassName(error), error.what(), "insert into X values ('a')");
    writeEarlyErrorRecord("bad start", "EDemoError", "TSplash");
    installAppLog(nullptr);
    auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "10.12.2026 10:00:00 Exception EDemoError with message UNIQUE constraint failed");
    EXPECT_EQ(lines[1], "10.12.2026 10:00:00 Latest SQL query insert into X values ('a')\r\n");
    EXPECT_EQ(lines[2], "10.12.2026 10:00:00 bad start (EDemoError). Sender is TSplash");
    // The statement's line break leaves an empty line after the record.
    EXPECT_NE(readFile(folder / "LogFile.log").find("('a')\r\n\r\n"), std::string::npos);
}

TEST(ErrorRecords, ClassNameDropsNamespaces) {
    EXPECT_EQ(exceptionClassName(std::runtime_error("x")), "runtime_error");
    EXPECT_EQ(exceptionClassName(EDemoError("x")), "EDemoError");
}

} // namespace
} // namespace orvella
