#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <QThread>
#include <algorithm>
#include <signal.h>

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

const std::string kCatalogueFailure = "MDAC error. Try to reinstall MDAC from ";

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

size_t indexOfLineEndingWith(const std::vector<std::string>& lines, const std::string& tail) {
    auto found = std::find_if(lines.begin(), lines.end(),
                              [&](const std::string& line) { return endsWith(line, tail); });
    return static_cast<size_t>(found - lines.begin());
}

bool hasLineEndingWith(const std::vector<std::string>& lines, const std::string& tail) {
    return indexOfLineEndingWith(lines, tail) < lines.size();
}

// Starts the program and, once it is up, stops it as a desktop session would.
void runToTheEnd(const Installation& installation, QStringList arguments) {
    ProgramRun run(installation, std::move(arguments));
    ASSERT_TRUE(run.waitForLog("Orvella version 1.5")) << run.standardError();
    run.terminate();
    ASSERT_FALSE(run.crashed());
    EXPECT_EQ(run.exitCode(), 0) << run.standardError();
}

TEST(Startup, PlainRunLogsStartVersionAndEndOnly) {
    Installation installation;
    runToTheEnd(installation, {});
    auto lines = installation.logLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(endsWith(lines.front(), " Application started"));
    EXPECT_TRUE(endsWith(lines[1], " Orvella version 1.5"));
    EXPECT_TRUE(endsWith(lines.back(), " Application terminated"));
    EXPECT_FALSE(hasLineEndingWith(lines, "Main form created")); // guarded lines need -log
    // The window existed and closed in order: its layout was saved.
    EXPECT_NE(readFile(installation.registryFile()).find("Width=1126"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(installation.cacheFolder() / "MD5"));
    // A portable installation keeps its catalogue and log in its own folder.
    EXPECT_FALSE(fs::exists(installation.dataFolder() / "Orvella.dat"));
    EXPECT_FALSE(fs::exists(installation.dataFolder() / "LogFile.log"));
}

TEST(Startup, SqlSwitchRunsTheStatementOnceBeforeTheWindow) {
    Installation installation;
    std::string insert =
        "insert into KEYWORDS (KEYWORD_ID, KEYWORD) values ('K1', 'children''s day')";
    runToTheEnd(installation, {"-sql", QString::fromStdString(insert)});
    EXPECT_EQ(installation.rows("select KEYWORD from KEYWORDS"), "children's day\n");
    EXPECT_TRUE(hasLineEndingWith(installation.logLines(), " executed SQL operator " + insert));
}

TEST(Startup, FailingSqlIsLoggedAndStartUpGoesOn) {
    Installation installation;
    runToTheEnd(installation, {"-sql", "insert into NO_SUCH_TABLE values (1)"});
    auto lines = installation.logLines();
    EXPECT_TRUE(hasLineEndingWith(lines, " SQL failed"));
    EXPECT_TRUE(endsWith(lines.back(), " Application terminated"));
    EXPECT_NE(readFile(installation.registryFile()).find("[MainWindow]"), std::string::npos);
}

TEST(Startup, OnlyTheFirstArgumentIsASwitch) {
    Installation installation;
    runToTheEnd(installation, {"-log", "-sql", "insert into KEYWORDS (KEYWORD_ID) values ('X')"});
    EXPECT_EQ(installation.rows("select count(*) from KEYWORDS"), "0\n");
    EXPECT_FALSE(hasLineEndingWith(installation.logLines(), "SQL failed"));
}

TEST(Startup, LogSwitchWritesTheReportBeforeTheConnectionString) {
    Installation installation;
    runToTheEnd(installation, {"-log"});
    auto lines = installation.logLines();
    size_t version = indexOfLineEndingWith(lines, " Orvella version 1.5");
    size_t report = indexOfLineEndingWith(lines, "Kb page size");
    auto connection = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(" Connection string: SQLite catalogue ") != std::string::npos;
    });
    ASSERT_LT(version, lines.size());
    ASSERT_NE(connection, lines.end());
    size_t connectionIndex = static_cast<size_t>(connection - lines.begin());
    EXPECT_LT(version, report);
    EXPECT_LT(report, connectionIndex);
    ASSERT_EQ(lines[version + 1].rfind(" Memory Load: ", 0), 0u);
    for (size_t i = version + 1; i < connectionIndex; ++i) // report lines carry no time stamp
        EXPECT_TRUE(lines[i].empty() || lines[i][0] == ' ') << lines[i];
    std::vector<size_t> creation;
    for (const char* step :
         {" Database object created", " Category tree assigned", " Category tree updated",
          " Category tree 2 updated", " Updated folder path", " Release list updated",
          " Stock list updated", " Layout loaded", " Options cache updated", " Main form created",
          " Layout seved to registry"})
        creation.push_back(indexOfLineEndingWith(lines, step));
    EXPECT_TRUE(std::is_sorted(creation.begin(), creation.end()));
    EXPECT_LT(creation.back(), lines.size()) << "every step of the window's creation is logged";
}

TEST(Startup, SecondCopyHandsOverAndLeavesTheLogAlone) {
    Installation installation;
    ProgramRun first(installation);
    ASSERT_TRUE(first.waitForLog("Orvella version 1.5"));
    QThread::msleep(500); // the first copy is listening by now
    std::string logBefore = installation.log();
    fs::path shoot = installation.homeFolder() / "Shoot";
    fs::create_directories(shoot);
    {
        ProgramRun second(installation, {QString::fromStdString(shoot.string())});
        ASSERT_TRUE(second.waitForExit(std::chrono::seconds(10)));
        EXPECT_EQ(second.exitCode(), 0) << second.standardError();
    }
    EXPECT_EQ(installation.log(), logBefore);
    EXPECT_FALSE(first.waitForExit(std::chrono::milliseconds(200))); // still running
    first.terminate();
    EXPECT_TRUE(endsWith(installation.logLines().back(), " Application terminated"));
    // The folder the second copy was given is the one the first had open.
    EXPECT_NE(readFile(installation.registryFile()).find("Directory=" + shoot.string()),
              std::string::npos);
}

TEST(Startup, LockOfACrashedCopyIsTakenOver) {
    Installation installation;
    {
        ProgramRun crashed(installation);
        ASSERT_TRUE(crashed.waitForLog("Orvella version 1.5"));
    } // killed with SIGKILL: its lock file stays behind
    fs::remove(installation.logFile());
    runToTheEnd(installation, {});
    EXPECT_TRUE(endsWith(installation.logLines().back(), " Application terminated"));
}

TEST(Startup, CatalogueThatCannotBeOpenedEndsTheProgram) {
    struct Case {
        const char* why;
        void (*prepare)(const Installation&);
        bool portable; // else the program folder is the user's data folder
    } cases[] = {
        // Without a catalogue beside it the program counts as installed; with
        // no shipped catalogue either, the data folder has none to open.
        {"missing", [](const Installation& i) { fs::remove(i.catalogue()); }, false},
        {"not a catalogue",
         [](const Installation& i) { writeFile(i.catalogue(), "not a database"); }, true},
    };
    for (const auto& c : cases) {
        Installation installation;
        c.prepare(installation);
        ProgramRun run(installation);
        EXPECT_TRUE(run.waitForError(kCatalogueFailure)) << c.why << ": " << run.standardError();
        run.terminate(); // closes the message box
        EXPECT_EQ(run.exitCode(), 1) << c.why;
        auto lines = installation.logLines(c.portable ? installation.logFile()
                                                      : installation.dataFolder() / "LogFile.log");
        ASSERT_FALSE(lines.empty()) << c.why;
        EXPECT_TRUE(endsWith(lines.back(), " Application terminated")) << c.why;
        EXPECT_FALSE(fs::exists(installation.registryFile())) << c.why; // no window was made
    }
}

TEST(Startup, CatalogueHeldByAnotherProcessIsRefused) {
    Installation installation;
    ProgramRun first(installation);
    ASSERT_TRUE(first.waitForLog("Orvella version 1.5"));
    QThread::msleep(300);
    // Another user's session (its own runtime folder) on the same program folder.
    fs::path otherRuntime = installation.programFolder() / ".." / "other-run";
    fs::create_directories(otherRuntime);
    ProgramRun second(installation, {}, otherRuntime);
    EXPECT_TRUE(second.waitForError(kCatalogueFailure)) << second.standardError();
    second.terminate();
    EXPECT_EQ(second.exitCode(), 1);
    first.terminate();
    EXPECT_EQ(first.exitCode(), 0);
}

} // namespace
} // namespace orvella::test
