#include "MetadataFixtures.h"
#include "support/TempFolder.h"

#include "metadata/FileMetadata.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"
#include "metadata/TextEncoding.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using namespace test;

TEST(TextEncoding, TellsUtf8AndConvertsWindows1252AndUtf16) {
    const std::pair<std::string, bool> utf8[] = {
        {"plain", true},
        {"Café", true},
        {"🙂", true},
        {"Caf\xE9", false},
        {"\xC3", false},
        {"\xC0\xAF", false},     // overlong
        {"\xED\xA0\x80", false}, // a surrogate
        {"\xF4\x90\x80\x80", false},
    };
    for (const auto& [text, valid] : utf8)
        EXPECT_EQ(isValidUtf8(text), valid) << text;
    EXPECT_EQ(windows1252ToUtf8("Caf\xE9 \x80 \x93x\x94 \x81"), "Café € “x” \xC2\x81");
    EXPECT_EQ(utf16ToUtf8(std::string("C\0\xFC\0=\xD8\x42\xDE", 8), false), "Cü🙂");
    EXPECT_EQ(utf16ToUtf8(std::string("\0C\0\xFC\xD8=", 6), true), "Cü\xEF\xBF\xBD");
}

// The datasets of a built block, after the signature and the 0x0404 header.
std::string iptcDataOf(const std::string& block) {
    return block.substr(26, static_cast<unsigned char>(block[24]) << 8 |
                                static_cast<unsigned char>(block[25]));
}

TEST(BuildIPTCBlock, MarksUtf8OnlyWhenAValueHoldsAByteAbove127) {
    const std::pair<const char*, bool> cases[] = {{"plain", false}, {"Café", true}};
    for (const auto& [keyword, marked] : cases) {
        TimgData data;
        data.CreateEmptyIPTC();
        data.IptcObj()->SetTag("Keywords", keyword);
        std::string iptc = iptcDataOf(data.IptcObj()->BuildIPTCBlock());
        std::string expected = (marked ? iptcDataset(1, 90, "\x1B%G") : std::string()) +
                               iptcDataset(2, 0, std::string("\0\x02", 2)) +
                               iptcDataset(2, 25, keyword);
        if (expected.size() % 2)
            expected.push_back('\0');
        EXPECT_EQ(iptc, expected) << keyword;
    }
}

TEST(ParseIPTC, TakesMarkedBlocksAsUtf8AndUnmarkedInvalidOnesAsWindows1252) {
    struct Case {
        const char* what;
        std::string datasets;
        std::string objectName;
        bool marked, converted;
    };
    const Case cases[] = {
        {"marked", iptcDataset(1, 90, "\x1B%G") + iptcDataset(2, 5, "Café"), "Café", true, false},
        {"unmarked UTF-8", iptcDataset(2, 5, "Café"), "Café", false, false},
        {"unmarked Latin", iptcDataset(2, 5, "Caf\xE9"), "Café", false, true},
        // One invalid value turns the whole block: the valid-looking value
        // is Windows-1252 too.
        {"mixed", iptcDataset(2, 5, "\xC3\xA9") + iptcDataset(2, 120, "\xE9"), "Ã©", false, true},
        {"marked yet invalid", iptcDataset(1, 90, "\x1B%G") + iptcDataset(2, 5, "\xE9"), "\xE9",
         true, false},
    };
    for (const Case& c : cases) {
        TimgData data;
        std::string jpeg =
            withSegments(plainJpeg(), jpegSegment(0xED, photoshopPayload(c.datasets)));
        ASSERT_TRUE(data.ReadJpegSections(jpeg)) << c.what;
        data.IptcObj()->ParseIPTC();
        EXPECT_EQ(data.IptcObj()->GetEntry(data.IptcObj()->FindTag("ObjectName")).value,
                  c.objectName)
            << c.what;
        EXPECT_EQ(data.IptcObj()->Utf8Marked(), c.marked) << c.what;
        EXPECT_EQ(data.IptcObj()->ConvertedFromWindows1252(), c.converted) << c.what;
    }
}

TEST(ReconcileMetadata, FollowsTheDigestAsReadersThatWeighIptcAndXmpDo) {
    TMetadataFields iptc, xmp;
    iptc.title = "iptc title";
    iptc.description = "iptc description";
    iptc.keywords = std::vector<std::string>{"iptc"};
    xmp.title = "xmp title";
    xmp.copyright = "xmp rights";
    struct Case {
        const char* what;
        bool hasIptc;
        TIptcDigest digest;
        const char *title, *description, *copyright, *keyword;
    };
    const Case cases[] = {
        {"digest matches: XMP, IPTC fills", true, TIptcDigest::matches, "xmp title",
         "iptc description", "xmp rights", "iptc"},
        {"no digest: XMP where it has it", true, TIptcDigest::none, "xmp title", "iptc description",
         "xmp rights", "iptc"},
        {"digest differs: IPTC, XMP fills", true, TIptcDigest::differs, "iptc title",
         "iptc description", "xmp rights", "iptc"},
        {"no IPTC: XMP", false, TIptcDigest::differs, "xmp title", "iptc description", "xmp rights",
         "iptc"},
    };
    for (const Case& c : cases) {
        TMetadataFields shown = ReconcileMetadata(iptc, xmp, c.hasIptc, c.digest);
        EXPECT_EQ(shown.title, c.title) << c.what;
        EXPECT_EQ(shown.description, c.description) << c.what;
        EXPECT_EQ(shown.copyright, c.copyright) << c.what;
        EXPECT_EQ(shown.keywords, std::vector<std::string>{c.keyword}) << c.what;
    }
}

TEST(ReadFileMetadata, ShowsXmpOverAStaleIptcWithoutDigestAndIptcOverAStaleDigest) {
    TempFolder folder;
    std::string block = photoshopPayload(iptcDataset(2, 5, "iptc title"));
    std::string xmp = jpegSegment(0xE1, xmpPayload("xmp title"));
    writeFile(folder / "none.jpg", withSegments(plainJpeg(), xmp + jpegSegment(0xED, block)));
    // A digest of other data: the IPTC was changed by a tool that does not
    // keep XMP in step.
    std::string stale = block + "8BIM\x04\x25" + std::string(2, '\0') +
                        std::string("\0\0\0\x10", 4) + std::string(16, 'x');
    writeFile(folder / "stale.jpg", withSegments(plainJpeg(), xmp + jpegSegment(0xED, stale)));

    TFileMetadata none = ReadFileMetadata(folder / "none.jpg");
    EXPECT_EQ(none.digest, TIptcDigest::none);
    EXPECT_EQ(none.iptc.title, "iptc title");
    EXPECT_EQ(none.xmp.title, "xmp title");
    EXPECT_EQ(none.shown.title, "xmp title");
    TFileMetadata differs = ReadFileMetadata(folder / "stale.jpg");
    EXPECT_EQ(differs.digest, TIptcDigest::differs);
    EXPECT_EQ(differs.shown.title, "iptc title");

    // Writing brings both in step; the digest, where there is one, matches.
    WriteIPTCFieldToFile(folder / "stale.jpg", "ObjectName", "new");
    TFileMetadata written = ReadFileMetadata(folder / "stale.jpg");
    EXPECT_EQ(written.digest, TIptcDigest::matches);
    EXPECT_EQ(written.iptc.title, "new");
    EXPECT_EQ(written.xmp.title, "new");
}

TEST(WriteIPTCFile, KeepsAnXmpPacketTheParserRefusesAsItWas) {
    TempFolder folder;
    std::string broken = jpegSegment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
                                               "<x:xmpmeta><rdf:RDF <<");
    writeFile(folder / "a.jpg", withSegments(plainJpeg(), broken));
    WriteIPTCFieldToFile(folder / "a.jpg", "ObjectName", "new");
    std::string written = readFile(folder / "a.jpg");
    EXPECT_NE(written.find(broken), std::string::npos);
    TFileMetadata read = ReadFileMetadata(folder / "a.jpg");
    EXPECT_EQ(read.iptc.title, "new");
    EXPECT_FALSE(read.hasXmp);
    EXPECT_FALSE(read.xmpError.empty());
    EXPECT_EQ(read.shown.title, "new");
}

TEST(MetadataVerb, PrintsBothReadersSideBySideAndWarnsWhereTheyPart) {
    TempFolder folder;
    std::filesystem::path file = folder / "a.jpg";
    std::string longTitle(70, 't');
    writeFile(file, withSegments(
                        plainJpeg(),
                        jpegSegment(0xE1, xmpPayload(longTitle)) +
                            jpegSegment(0xED, photoshopPayload(iptcDataset(2, 5, "iptc title") +
                                                               iptcDataset(2, 25, "red apple")))));
    CommandResult result =
        runCommand(shellQuoted(toolPath()) + " metadata " + shellQuoted(file.string()));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "field\tIPTC\tXMP\tshown\n"
                             "Title\tiptc title\t" +
                                 longTitle + "\t" + longTitle +
                                 "\n"
                                 "Description\t(none)\t(none)\t(none)\n"
                                 "Keywords\tred apple\t(none)\tred apple\n"
                                 "Copyright\t(none)\t(none)\t(none)\n"
                                 "IPTC digest\tnone\n"
                                 "warning: Title differs between IPTC and XMP\n"
                                 "warning: Keywords differs between IPTC and XMP\n"
                                 "warning: ObjectName value '" +
                                 longTitle +
                                 "' is 70 bytes, more than the 64 of its IPTC dataset (it is "
                                 "still written in full)\n");
}

} // namespace
} // namespace orvella
