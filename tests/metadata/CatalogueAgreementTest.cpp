// The catalogue changes only for the files a command wrote: a refused file
// leaves its catalogue keywords as its file holds them, and a file edited
// between scans keeps one catalogue row.
#include "ToolInstallation.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>

namespace orvella {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Words = std::vector<std::string>;

constexpr uint8_t kKeywords = 25;

class CatalogueAgreement : public ToolInstallation {
protected:
    // The catalogue's keywords of the file, as the tool lists them.
    Words catalogueKeywords(const std::string& file) {
        CommandResult listed = tool("keywords", {file});
        EXPECT_EQ(listed.status, 0) << listed.output;
        Words words;
        std::string line;
        for (char c : listed.output) {
            if (c != '\n') {
                line += c;
                continue;
            }
            words.push_back(line);
            line.clear();
        }
        return words;
    }
    void expectAgreement(const std::string& file) {
        EXPECT_EQ(catalogueKeywords(file), exiftoolIptc(file)["Keywords"]) << file;
    }
    // Rows of the catalogue answering the statement's count.
    int64_t count(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((folder / "program" / "Orvella.dat").c_str(), &db, SQLITE_OPEN_READWRITE,
                        nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
        int64_t result =
            sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return result;
    }
    void execute(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((folder / "program" / "Orvella.dat").c_str(), &db, SQLITE_OPEN_READWRITE,
                        nullptr);
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
};

struct RefusedCase {
    const char* name;
    Words seed;                              // keyword-add text given to each picture first
    std::function<Words(const Words&)> verb; // verb and arguments, from the pictures
};

TEST_F(CatalogueAgreement, AFileWithTwoHardLinksIsRefusedAndItsCatalogueKeywordsStay) {
    const RefusedCase cases[] = {
        {"keyword-add",
         {"seed"},
         [](const Words& f) {
             return Words{"keyword-add", "viahard", f[0]};
         }},
        {"keyword-remove",
         {"seed"},
         [](const Words& f) {
             return Words{"keyword-remove", "old", f[0]};
         }},
        {"keyword-sort",
         {"zeta, alpha"},
         [](const Words& f) {
             return Words{"keyword-sort", f[0]};
         }},
        {"sync",
         {"seed", "other"},
         [](const Words& f) {
             return Words{"sync", f[0], f[1]};
         }},
    };
    for (const RefusedCase& refused : cases) {
        SCOPED_TRACE(refused.name);
        Words files;
        for (const std::string& seed : refused.seed) {
            std::string name = std::string(refused.name) + std::to_string(files.size()) + ".jpg";
            files.push_back(picture(name, {{kKeywords, "old"}}));
            ASSERT_EQ(tool("keyword-add", {seed, files.back()}).status, 0);
        }
        fs::create_hard_link(files[0], files[0] + ".link");
        Words verb = refused.verb(files);
        CommandResult run = tool(verb[0], Words(verb.begin() + 1, verb.end()));
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.output.find("hard links"), std::string::npos) << run.output;
        fs::remove(files[0] + ".link");
        for (const std::string& file : files)
            expectAgreement(file);
    }
}

TEST_F(CatalogueAgreement, AKeywordTooLongForTheFileIsNotKeptToSpoilLaterWrites) {
    std::string file = picture("long.jpg", {{kKeywords, "old"}});
    ASSERT_EQ(tool("keyword-add", {"seed", file}).status, 0);
    CommandResult refused = tool("keyword-add", {std::string(40000, 'x'), file});
    EXPECT_EQ(refused.status, 1);
    expectAgreement(file);
    EXPECT_EQ(tool("keyword-add", {"fine", file}).status, 0);
    EXPECT_EQ(exiftoolIptc(file)["Keywords"], (Words{"old", "seed", "fine"}));
    expectAgreement(file);
}

TEST_F(CatalogueAgreement, AFileEditedBetweenLoadAndScanKeepsOneRow) {
    fs::create_directories(folder / "ph");
    std::string file = (folder / "ph" / "a.jpg").string();
    writeFile(file, jpegWithIptc({{kKeywords, "old"}}));
    std::string place = "select count(*) from IMAGES where FileName = 'a.jpg'";
    ASSERT_EQ(tool("load", {(folder / "ph").string()}).status, 0);
    ASSERT_EQ(tool("iptc-set", {"ObjectName", "T", file}).status, 0);
    ASSERT_EQ(tool("scan", {(folder / "ph").string()}).status, 0);
    EXPECT_EQ(count(place), 1);
    ASSERT_EQ(tool("iptc-set", {"ObjectName", "Longer title", file}).status, 0);
    CommandResult added = tool("keyword-add", {"later", file});
    EXPECT_EQ(added.status, 0) << added.output;
    EXPECT_EQ(count(place), 1);
}

TEST_F(CatalogueAgreement, ASecondRowOfOneFileIsJoinedToTheFirstByTheNextLoad) {
    fs::create_directories(folder / "ph");
    std::string file = (folder / "ph" / "a.jpg").string();
    writeFile(file, jpegWithIptc({{kKeywords, "old"}}));
    ASSERT_EQ(tool("keyword-add", {"first", file}).status, 0);
    // the second row an older scan left for the same file
    execute("insert into IMAGES (MD5, FileName, FilePath, FileSize) select 'SECONDROW', "
            "FileName, FilePath, 1 from IMAGES where FileName = 'a.jpg'");
    ASSERT_EQ(tool("iptc-set", {"ObjectName", "Edited", file}).status, 0);
    CommandResult loaded = tool("load", {(folder / "ph").string()});
    EXPECT_EQ(loaded.status, 0) << loaded.output;
    EXPECT_EQ(count("select count(*) from IMAGES where FileName = 'a.jpg'"), 1);
    CommandResult added = tool("keyword-add", {"later", file});
    EXPECT_EQ(added.status, 0) << added.output;
    expectAgreement(file);
}

} // namespace
} // namespace orvella
