#include "shell/CommandLine.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using Switch = CommandLine::Switch;

TEST(CommandLine, OnlyTheFirstArgumentCounts) {
    struct Case {
        std::vector<std::string> arguments;
        Switch active;
        std::string statement;
        std::string folder;
    } cases[] = {
        {{}, Switch::None, "", ""},
        {{"-log"}, Switch::Log, "", ""},
        {{"-debug"}, Switch::Debug, "", ""},
        {{"-sql", "delete from KEYWORDS"}, Switch::Sql, "delete from KEYWORDS", ""},
        {{"-sql"}, Switch::None, "", ""},                         // no statement: ignored
        {{"-log", "-sql", "delete from X"}, Switch::Log, "", ""}, // first argument only
        {{"-LOG"}, Switch::None, "", ""},                         // case-sensitive
        {{"--help"}, Switch::Help, "", ""},
        {{"-h"}, Switch::Help, "", ""},
        {{"--version", "-log"}, Switch::Version, "", ""},
        {{"/home/me/Pictures"}, Switch::None, "", "/home/me/Pictures"},
        {{"picture.jpg", "-log"}, Switch::None, "", ""}, // a folder only when alone
        {{"--unknown"}, Switch::None, "", ""},
    };
    for (const auto& c : cases) {
        CommandLine line = CommandLine::parse(c.arguments);
        EXPECT_EQ(line.active, c.active) << testing::PrintToString(c.arguments);
        EXPECT_EQ(line.sqlStatement, c.statement);
        EXPECT_EQ(line.folder, c.folder) << testing::PrintToString(c.arguments);
    }
}

TEST(CommandLine, FolderArgumentIsAnExistingFolderOrTheFolderOfAFile) {
    test::TempFolder root;
    fs::create_directories(root / "shots" / "day 1");
    test::writeFile(root / "shots" / "day 1" / "a.jpg", "x");
    struct Case {
        std::string argument;
        std::optional<fs::path> folder;
    } cases[] = {
        {(root / "shots").string(), root / "shots"},
        {(root / "shots").string() + "/", root / "shots"},
        {"shots/day 1", root / "shots" / "day 1"},       // relative to the working folder
        {"shots/day 1/a.jpg", root / "shots" / "day 1"}, // a file: its folder
        {"shots/../shots/./day 1", root / "shots" / "day 1"},
        {"/", fs::path("/")},
        {"missing", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(folderToOpen(c.argument, root.path()), c.folder) << c.argument;
}

TEST(CommandLine, StartFolderIsTheArgumentThenTheSavedOneThenThePictures) {
    test::TempFolder root;
    fs::create_directories(root / "shots");
    fs::path pictures = root / "Pictures";
    struct Case {
        std::string argument;
        std::string saved;
        std::optional<fs::path> start;
    } cases[] = {
        {"shots", "/saved", root / "shots"},
        {"missing", "/saved", std::nullopt}, // a wrong argument keeps the saved folder
        {"missing", "", pictures},
        {"", "", pictures}, // first start
        {"", "/saved", std::nullopt},
    };
    for (const auto& c : cases) {
        CommandLine line = CommandLine::parse(
            c.argument.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.argument});
        EXPECT_EQ(startFolder(line, c.saved, root.path(), pictures), c.start)
            << c.argument << "|" << c.saved;
    }
}

TEST(CommandLine, HelpNamesEverySwitchAndVersionTheRelease) {
    std::string help = commandLineHelp();
    for (const char* name : {"-log", "-sql STATEMENT", "-debug", "FOLDER", "--help", "--version"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
    EXPECT_EQ(versionText(), "Orvella 1.5\n");
}

} // namespace
} // namespace orvella
