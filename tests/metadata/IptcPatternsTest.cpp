// IPTC patterns: rows, the XML document, reading a file, stamping files.
#include "MetadataFixtures.h"

#include "../catalogue/CatalogueFixture.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"
#include "metadata/IptcPatterns.h"
#include "shell/Progress.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace orvella::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kReplaceQuestion =
    "This tag already exists in the pattern. Do you wish to replace the tag?";

// The value of the entry named so, or no value when the file has none.
std::optional<std::string> iptcValue(const fs::path& file, const std::string& name) {
    TimgData data;
    if (!data.ProcessFile(file) || data.IptcObj() == nullptr)
        return std::nullopt;
    data.IptcObj()->ParseIPTC();
    int index = data.IptcObj()->FindTag(name);
    if (index < 0)
        return std::nullopt;
    return data.IptcObj()->GetEntry(index).value;
}

// A JPEG with a JFIF header, an EXIF block and an IPTC block holding the
// given datasets of record 2 (plus an 8BIM resolution resource the rewrite
// drops).
std::string jpegWithIptc(const std::string& datasets) {
    TiffBuilder exif;
    exif.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker")};
    return withSegments(plainJpeg(16, 16),
                        jpegSegment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)) +
                            jpegSegment(0xE1, exif.exifPayload()) +
                            jpegSegment(0xED, photoshopPayload(datasets)));
}

class RecordingProgress : public Progress {
public:
    std::vector<std::string> calls;

protected:
    void showWindow(int maximum) override { calls.push_back("open " + std::to_string(maximum)); }
    void setPosition(int position) override { calls.push_back("step " + std::to_string(position)); }
    void hideWindow() override { calls.push_back("close"); }
};

TEST(IptcPatternRowsTest, TypedTextBecomesTheRowValue) {
    struct Case {
        const char* item;
        const char* typed;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"Keywords (Keywords)", "sky; sea\nsun", "Keywords", "sky,sea,sun"},
        {"Keywords (Keywords)", " red apple ,, pear\r\n", "Keywords", "red apple,pear"},
        {"ObjectName (Caption)", "two\nlines", "ObjectName", "two\r\nlines"},
        {"ImageCaption (Description)", "a; b", "ImageCaption", "a; b"},
        {"LocationCode (Country/Primary Location Code)", "NOR", "LocationCode", "NOR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        TIptcPattern pattern;
        ScriptedPrompts prompts;
        EXPECT_EQ(pattern.AddTag(c.item, c.typed, prompts), TIptcPattern::AddResult::Appended);
        EXPECT_THAT(pattern.Rows(), ElementsAre(TPatternRow{c.name, c.value}));
        EXPECT_TRUE(prompts.questions.empty());
    }
    EXPECT_EQ(TIptcPattern::DatasetItems().size(), 12u);
    EXPECT_EQ(TIptcPattern::DatasetItems().front(), "ObjectName (Caption)");
}

TEST(IptcPatternRowsTest, AnExistingRowIsReplacedOnlyOnYes) {
    for (bool answer : {true, false}) {
        SCOPED_TRACE(answer ? "Yes" : "No");
        TIptcPattern pattern;
        ScriptedPrompts prompts;
        pattern.AddTag("ObjectName (Caption)", "Old", prompts);
        pattern.AddTag("City (City)", "Oslo", prompts);
        prompts.answers = {answer};
        EXPECT_EQ(pattern.AddTag("ObjectName (Caption)", "New", prompts),
                  answer ? TIptcPattern::AddResult::Replaced : TIptcPattern::AddResult::Kept);
        EXPECT_THAT(prompts.questions, ElementsAre(kReplaceQuestion));
        EXPECT_THAT(pattern.Rows(), ElementsAre(TPatternRow{"ObjectName", answer ? "New" : "Old"},
                                                TPatternRow{"City", "Oslo"}));
    }
}

TEST(IptcPatternRowsTest, DeletingARowOutsideTheRowsDoesNothing) {
    TIptcPattern pattern;
    pattern.AppendRow("ObjectName", "a");
    pattern.AppendRow("City", "b");
    pattern.DeleteRow(5);
    pattern.DeleteRow(-1);
    pattern.DeleteRow(0);
    EXPECT_THAT(pattern.Rows(), ElementsAre(TPatternRow{"City", "b"}));
}

TEST(IptcPatternDocumentTest, RowsWithAValueAreSavedAndLoadedBack) {
    TempFolder folder;
    TIptcPattern pattern;
    pattern.AppendRow("ObjectName", "Sunset");
    pattern.AppendRow("City", "");
    pattern.AppendRow("Keywords", "sky,sea");
    EXPECT_EQ(pattern.ToXml(), "<IPTCPattern>\n"
                               "  <Tags>\n"
                               "    <Tag KeyValue=\"Sunset\" Key=\"ObjectName\" />\n"
                               "    <Tag KeyValue=\"sky,sea\" Key=\"Keywords\" />\n"
                               "  </Tags>\n"
                               "</IPTCPattern>\n");

    fs::path file = EnsurePatternsFolder(folder.path()) / "sunset.xml";
    EXPECT_TRUE(fs::is_directory(folder / "Patterns"));
    pattern.SaveToFile(file);
    TIptcPattern loaded;
    loaded.AppendRow("Stale", "row");
    loaded.LoadFromFile(file);
    EXPECT_THAT(loaded.Rows(), ElementsAre(TPatternRow{"ObjectName", "Sunset"},
                                           TPatternRow{"Keywords", "sky,sea"}));
}

TEST(IptcPatternDocumentTest, AnyRootIsReadAndOtherElementsPassedOver) {
    TIptcPattern pattern;
    pattern.LoadFromXml("<?xml version=\"1.0\"?><Other><Note/>"
                        "<Tags><Tag Key=\"City\" KeyValue=\"Oslo\"/><Skip Key=\"x\"/>"
                        "<Tag KeyValue=\"no key\"/></Tags>"
                        "<Tags><Tag Key=\"City\" KeyValue=\"Bergen\"/><Tag Key=\"State\"/></Tags>"
                        "</Other>");
    EXPECT_THAT(pattern.Rows(),
                ElementsAre(TPatternRow{"City", "Oslo"}, TPatternRow{"", "no key"},
                            TPatternRow{"City", "Bergen"}, TPatternRow{"State", ""}));
}

TEST(IptcPatternDocumentTest, AMalformedDocumentIsRefusedWithTheParsersMessage) {
    TempFolder folder;
    writeFile(folder / "bad.xml", "<IPTCPattern><Tags><Tag Key=\"City\"></Tags>");
    TIptcPattern pattern;
    pattern.AppendRow("ObjectName", "kept?");
    try {
        pattern.LoadFromFile(folder / "bad.xml");
        FAIL() << "a malformed pattern was accepted";
    } catch (const EPatternError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Start-end tags mismatch"));
        EXPECT_THAT(error.what(), HasSubstr("bad.xml"));
    }
    EXPECT_TRUE(pattern.Rows().empty()); // emptied before the parse
}

TEST(IptcPatternFileTest, GetDataFillsTheRowsFromTheFilesEntries) {
    TempFolder folder;
    writeFile(folder / "plain.jpg", plainJpeg());
    writeFile(folder / "tagged.jpg",
              jpegWithIptc(iptcDataset(2, 5, "Name") + iptcDataset(2, 25, "sky") +
                           iptcDataset(2, 25, "sea") + iptcDataset(2, 200, "x")));
    TIptcPattern pattern;
    pattern.AppendRow("Stale", "row");
    pattern.FillFromFile(folder / "plain.jpg");
    EXPECT_TRUE(pattern.Rows().empty());
    pattern.FillFromFile(folder / "tagged.jpg");
    EXPECT_THAT(pattern.Rows(),
                ElementsAre(TPatternRow{"ObjectName", "Name"}, TPatternRow{"Keywords", "sky,sea"},
                            TPatternRow{"Custom_200", "x"}));
}

TEST(IptcPatternApplyTest, AnEmptyObjectNameKeepsAnExistingOneAndAddsAMissingOne) {
    TempFolder folder;
    writeFile(folder / "named.jpg", jpegWithIptc(iptcDataset(2, 5, "Sunset")));
    writeFile(folder / "plain.jpg", plainJpeg());
    TIptcPattern pattern;
    pattern.AppendRow("ObjectName", "");
    for (const char* name : {"named.jpg", "plain.jpg"})
        pattern.ApplyToFile(folder / name, "", nullptr, false);
    EXPECT_EQ(iptcValue(folder / "named.jpg", "ObjectName"), "Sunset");
    EXPECT_EQ(iptcValue(folder / "plain.jpg", "ObjectName"), "");
}

// One rewrite gives the file that one write per row would give, whatever
// the file held: JFIF and EXIF headers, datasets outside the table, other
// Photoshop resources, a name with blanks, a name outside the table.
TEST(IptcPatternApplyTest, OneRewriteGivesTheFileOfOneWritePerRow) {
    TempFolder folder;
    const std::string original =
        jpegWithIptc(iptcDataset(2, 5, "Old") + iptcDataset(2, 25, "sun") +
                     iptcDataset(2, 200, "custom") + iptcDataset(2, 90, "Bergen"));
    TIptcPattern pattern;
    pattern.AppendRow("ObjectName", "Sunset");
    pattern.AppendRow("Keywords", "sky,sea,Sun");
    pattern.AppendRow("Sub Location", "Harbour");
    pattern.AppendRow("Custom_200", "ignored");
    pattern.AppendRow("ObjectName", "second row, first value wins");
    pattern.AppendRow("ImageCaption", "");

    writeFile(folder / "once.jpg", original);
    pattern.ApplyToFile(folder / "once.jpg", "", nullptr, false);

    writeFile(folder / "rowwise.jpg", original);
    for (const TPatternRow& row : pattern.Rows()) {
        std::string name = std::regex_replace(row.name, std::regex(" "), "");
        try {
            WriteIPTCFieldToFile(folder / "rowwise.jpg", name, pattern.ValueOf(row.name));
        } catch (const std::invalid_argument&) {
            // a name outside the table sets nothing
        }
    }
    EXPECT_EQ(readFile(folder / "once.jpg"), readFile(folder / "rowwise.jpg"));
    EXPECT_EQ(iptcValue(folder / "once.jpg", "Keywords"), "sun,sky,sea");
    EXPECT_EQ(iptcValue(folder / "once.jpg", "SubLocation"), "Harbour");
    EXPECT_EQ(iptcValue(folder / "once.jpg", "ObjectName"), "Sunset");
    const std::string written = readFile(folder / "once.jpg");
    EXPECT_EQ(scanData(written), scanData(original));
}

class IptcPatternCatalogueTest : public ::testing::Test {
protected:
    std::string register_(const fs::path& file, const std::string& keywords) {
        THashData data = ReadHashData(file);
        data.MD5 = FileMD5(file);
        db.AddImage(data);
        if (!keywords.empty())
            db.AddKeywordTextAndList(keywords, data.MD5);
        return data.MD5;
    }

    TempFolder folder;
    CatalogueCopy catalogue;
    TStockDBObject db{catalogue.connection()};
};

TEST_F(IptcPatternCatalogueTest, KeywordsAreMergedIntoFileAndCatalogue) {
    writeFile(folder / "sun.jpg", jpegWithIptc(iptcDataset(2, 25, "sun")));
    std::string key = register_(folder / "sun.jpg", "sun");
    TIptcPattern pattern;
    pattern.AppendRow("Keywords", "sky,sea");
    pattern.ApplyToFile(folder / "sun.jpg", key, &db, false);
    EXPECT_EQ(iptcValue(folder / "sun.jpg", "Keywords"), "sun,sky,sea");
    EXPECT_THAT(db.GetImageKeywords(key), ElementsAre("sun", "sky", "sea"));
}

TEST_F(IptcPatternCatalogueTest, KeywordPhrasesOfTheCatalogueStayWhole) {
    writeFile(folder / "fruit.jpg", plainJpeg());
    std::string key = register_(folder / "fruit.jpg", "red apple,fruit");
    TIptcPattern pattern;
    pattern.AppendRow("Keywords", "pear");
    pattern.ApplyToFile(folder / "fruit.jpg", key, &db, false);
    EXPECT_THAT(db.GetImageKeywords(key), ElementsAre("red apple", "fruit", "pear"));
    CommandResult read =
        runCommand("exiftool -s -s -s -Keywords " + shellQuoted((folder / "fruit.jpg").string()));
    EXPECT_EQ(read.output, "red apple, fruit, pear\n");
}

// A JPEG, an EPS and a JPEG: the EPS is passed over. A TIFF cannot be
// rewritten: the command ends there and the files after it stay as they were.
TEST_F(IptcPatternCatalogueTest, TheSelectionIsWalkedInOrderUpToAFailure) {
    writeFile(folder / "a.jpg", plainJpeg());
    writeFile(folder / "b.eps", "%!PS-Adobe-3.0 EPSF-3.0\n");
    writeFile(folder / "c.jpg", plainJpeg());
    writeFile(folder / "d.tif", std::string("II*\0not really", 14));
    TIptcPattern pattern;
    pattern.AppendRow("City", "Oslo");

    RecordingProgress progress;
    pattern.ApplyToSelection(
        {{folder / "a.jpg", ""}, {folder / "b.eps", ""}, {folder / "c.jpg", ""}}, &db, progress,
        false);
    EXPECT_EQ(iptcValue(folder / "a.jpg", "City"), "Oslo");
    EXPECT_EQ(iptcValue(folder / "c.jpg", "City"), "Oslo");
    EXPECT_EQ(readFile(folder / "b.eps"), "%!PS-Adobe-3.0 EPSF-3.0\n");
    EXPECT_THAT(progress.calls, ElementsAre("open 2", "step 0", "step 1", "step 2", "close"));

    writeFile(folder / "e.jpg", plainJpeg());
    RecordingProgress failing;
    EXPECT_ANY_THROW(pattern.ApplyToSelection({{folder / "d.tif", ""}, {folder / "e.jpg", ""}}, &db,
                                              failing, false));
    EXPECT_EQ(iptcValue(folder / "e.jpg", "City"), std::nullopt);
    EXPECT_THAT(failing.calls, ElementsAre("open 1", "close"));
}

TEST_F(IptcPatternCatalogueTest, AReadOnlyFileIsWrittenOnlyWhenAskedToClearIt) {
    writeFile(folder / "ro.jpg", plainJpeg());
    fs::permissions(folder / "ro.jpg", fs::perms::owner_write, fs::perm_options::remove);
    TIptcPattern pattern;
    pattern.AppendRow("City", "Oslo");
    EXPECT_THROW(pattern.ApplyToFile(folder / "ro.jpg", "", &db, false), std::system_error);
    EXPECT_EQ(readFile(folder / "ro.jpg"), plainJpeg());
    pattern.ApplyToFile(folder / "ro.jpg", "", &db, true);
    EXPECT_EQ(iptcValue(folder / "ro.jpg", "City"), "Oslo");
}

} // namespace
} // namespace orvella::test

namespace orvella::test {
namespace {

// The verb on a program folder of its own: the catalogue beside the tool
// gains the keywords, and each file is replaced once, however many rows.
TEST(PatternApplyVerbTest, EachFileIsRewrittenOnceAndTheCatalogueUpdated) {
    TempFolder program;
    fs::copy_file(toolPath(), program / "orvella-tool");
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", program / "Orvella.dat");
    writeFile(program / "sun.jpg", jpegWithIptc(iptcDataset(2, 25, "sun")));
    writeFile(program / "plain.jpg", plainJpeg());
    writeFile(program / "sunset.xml", "<IPTCPattern><Tags>"
                                      "<Tag KeyValue=\"Sunset\" Key=\"ObjectName\"/>"
                                      "<Tag KeyValue=\"sky,sea\" Key=\"Keywords\"/>"
                                      "<Tag KeyValue=\"Oslo\" Key=\"City\"/>"
                                      "</Tags></IPTCPattern>");
    std::string key;
    {
        TCatalogueConnection connection(program / "Orvella.dat");
        TStockDBObject db(connection);
        THashData data = ReadHashData(program / "sun.jpg");
        data.MD5 = key = FileMD5(program / "sun.jpg");
        db.AddImage(data);
    }

    fs::path trace = program / "renames.log";
    CommandResult result = runCommand(
        // the leak checker cannot run in a traced process (sanitizer builds)
        "ASAN_OPTIONS=detect_leaks=0 strace -f -e trace=rename,renameat,renameat2 -o " +
        shellQuoted(trace.string()) + " " + shellQuoted((program / "orvella-tool").string()) +
        " pattern-apply " + shellQuoted((program / "sunset.xml").string()) + " " +
        shellQuoted((program / "sun.jpg").string()) + " " +
        shellQuoted((program / "plain.jpg").string()));
    ASSERT_EQ(result.status, 0) << result.output;

    std::string renames = readFile(trace);
    for (const char* name : {"sun.jpg", "plain.jpg"}) {
        std::string target = "\"" + (program / name).string() + "\"";
        size_t count = 0;
        for (size_t at = renames.find(target); at != std::string::npos;
             at = renames.find(target, at + 1))
            ++count;
        EXPECT_EQ(count, 1u) << name << "\n" << renames;
        EXPECT_EQ(iptcValue(program / name, "ObjectName"), "Sunset");
        EXPECT_EQ(iptcValue(program / name, "City"), "Oslo");
    }
    EXPECT_EQ(iptcValue(program / "sun.jpg", "Keywords"), "sun,sky,sea");
    EXPECT_EQ(iptcValue(program / "plain.jpg", "Keywords"), "sky,sea");

    TCatalogueConnection connection(program / "Orvella.dat");
    TStockDBObject db(connection);
    EXPECT_THAT(db.GetImageKeywords(key), ElementsAre("sun", "sky", "sea"));
}

TEST(PatternApplyVerbTest, AMalformedPatternIsRefusedBeforeAnyFile) {
    TempFolder folder;
    writeFile(folder / "bad.xml", "<IPTCPattern><Tags>");
    writeFile(folder / "a.jpg", plainJpeg());
    CommandResult result =
        runCommand(toolPath() + " pattern-apply " + shellQuoted((folder / "bad.xml").string()) +
                   " " + shellQuoted((folder / "a.jpg").string()));
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.output, HasSubstr("bad.xml"));
    EXPECT_EQ(readFile(folder / "a.jpg"), plainJpeg());
}

} // namespace
} // namespace orvella::test
