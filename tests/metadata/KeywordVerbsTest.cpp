// The info and keyword verbs of orvella-tool, run as a process on real files
// with the catalogue beside a copy of the tool, and read back by exiftool.
#include "ToolInstallation.h"

#include <gtest/gtest.h>

#include <map>

namespace orvella {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Words = std::vector<std::string>;

constexpr uint8_t kObjectName = 5, kKeywords = 25, kCopyright = 116;

using InfoVerbs = ToolInstallation;
using KeywordVerbs = ToolInstallation;

TEST_F(InfoVerbs, SetFieldsThenShowThemWithTheCatalogueKeywords) {
    Words files = {picture("a.jpg", {{kCopyright, "Ann"}}), picture("b.jpg"),
                   picture("c.jpg", {{kKeywords, "boat"}})};
    Words arguments = {"name", "Harbour at dawn"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    ASSERT_EQ(tool("info-set", arguments).status, 0);
    ASSERT_EQ(tool("info-set", {"description", "line one\nline two", files[0]}).status, 0);
    ASSERT_EQ(tool("keyword-add", {"red apple, sky", files[0]}).status, 0);

    for (const std::string& file : files)
        EXPECT_EQ(exiftoolIptc(file)["ObjectName"], Words{"Harbour at dawn"}) << file;
    EXPECT_EQ(exiftoolIptc(files[0])["CopyrightNotice"], Words{"Ann"});
    EXPECT_EQ(exiftoolIptc(files[2])["Keywords"], Words{"boat"});
    CommandResult shown = tool("info", {files[0]});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.output, "ObjectName=Harbour at dawn\n"
                            "ImageCaption=line one\\r\\nline two\n"
                            "Copyright=Ann\n"
                            "Contact=\n"
                            "Keyword=red apple\n"
                            "Keyword=sky\n");
}

TEST_F(InfoVerbs, AFileThatCannotBeWrittenStopsTheRestWithStatusOne) {
    Words files = {picture("a.jpg"), picture("b.jpg"), picture("c.jpg")};
    fs::permissions(files[1], fs::perms::owner_write, fs::perm_options::remove);
    writeFile(folder / "program" / "Orvella.ini", "[Options]\nClearRO=0\n");
    CommandResult result = tool("info-set", {"copyright", "Ann", files[0], files[1], files[2]});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("Could not write " + files[1]), std::string::npos)
        << result.output;
    EXPECT_EQ(exiftoolIptc(files[0])["CopyrightNotice"], Words{"Ann"});
    EXPECT_EQ(readFile(files[1]), originals[files[1]]);
    EXPECT_EQ(readFile(files[2]), originals[files[2]]);
}

TEST_F(InfoVerbs, WrongArgumentsAndMissingFilesAreErrors) {
    std::string file = picture("a.jpg");
    const std::pair<Words, const char*> cases[] = {
        {{"title", "x", file}, "unknown field title"},
        {{"name", "x"}, "usage: orvella-tool info-set"},
        {{"name", "x", (folder / "missing.jpg").string()}, "No such file"},
    };
    for (const auto& [arguments, message] : cases) {
        CommandResult result = tool("info-set", arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.output.find(message), std::string::npos) << result.output;
    }
    EXPECT_EQ(readFile(file), originals[file]);
    EXPECT_EQ(tool("info", {}).status, 1);
    EXPECT_EQ(tool("sync", {}).status, 1);
}

TEST_F(InfoVerbs, SyncGivesEveryFileTheUnion) {
    Words files = {picture("a.jpg"), picture("b.jpg"), picture("c.jpg")};
    ASSERT_EQ(tool("keyword-add", {"a", files[0]}).status, 0);
    ASSERT_EQ(tool("keyword-add", {"b", files[1]}).status, 0);
    ASSERT_EQ(tool("keyword-add", {"c", files[2]}).status, 0);
    ASSERT_EQ(tool("sync", files).status, 0);
    const Words expected[] = {{"a", "b", "c"}, {"b", "a", "c"}, {"c", "a", "b"}};
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(exiftoolIptc(files[i])["Keywords"], expected[i]);
        EXPECT_EQ(tool("keywords", {files[i]}).output,
                  expected[i][0] + "\n" + expected[i][1] + "\n" + expected[i][2] + "\n");
    }
}

TEST_F(KeywordVerbs, AddRemoveAndSortOnFilesAndCatalogue) {
    Words files = {picture("a.jpg", {{kKeywords, "boat"}}), picture("b.jpg")};
    CommandResult added = tool("keyword-add", {"red apple, fruit;sky", files[0], files[1]});
    ASSERT_EQ(added.status, 0) << added.output;
    EXPECT_EQ(tool("keywords", {files[0]}).output, "boat\nred apple\nfruit\nsky\n");
    EXPECT_EQ(exiftoolIptc(files[1])["Keywords"], (Words{"red apple", "fruit", "sky"}));

    CommandResult removed = tool("keyword-remove", {"fruit, unknown", files[0], files[1]});
    EXPECT_EQ(removed.status, 0);
    EXPECT_NE(removed.output.find("Keyword absent in the DB"), std::string::npos);
    EXPECT_EQ(tool("keywords", {files[1]}).output, "red apple\nsky\n");

    ASSERT_EQ(tool("keyword-sort", {files[0]}).status, 0);
    EXPECT_EQ(tool("keywords", {files[0]}).output, "boat\nred apple\nsky\n");
    EXPECT_EQ(exiftoolIptc(files[0])["Keywords"], (Words{"boat", "red apple", "sky"}));

    EXPECT_EQ(tool("keyword-add", {" ; ", files[0]}).status, 1);
    EXPECT_EQ(tool("keywords", {(folder / "missing.jpg").string()}).status, 1);
}

TEST_F(KeywordVerbs, AnUncataloguedFileIsRegisteredAndKeepsItsKeywordsAfterARewrite) {
    std::string file = picture("a.jpg", {{kObjectName, "name"}});
    ASSERT_EQ(tool("keyword-add", {"sky", file}).status, 0);
    ASSERT_EQ(tool("info-set", {"name", "a much longer name than before", file}).status, 0);
    EXPECT_EQ(tool("keywords", {file}).output, "sky\n");
    CommandResult loaded = tool("load", {folder.path().string()});
    EXPECT_NE(loaded.output.find("a.jpg\t"), std::string::npos) << loaded.output;
    EXPECT_NE(loaded.output.find("Files (1)"), std::string::npos) << loaded.output;
}

} // namespace
} // namespace orvella
