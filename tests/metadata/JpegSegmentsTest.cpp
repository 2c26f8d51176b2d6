#include "MetadataFixtures.h"
#include "support/TempFolder.h"

#include "metadata/ExifGrid.h"
#include "metadata/IPTCData.h"
#include "metadata/ImageInfo.h"
#include "metadata/ImgData.h"
#include "metadata/JpegImage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace orvella {
namespace {

using namespace test;
using Markers = std::vector<unsigned char>;

constexpr unsigned char SOS = 0xDA, DQT = 0xDB, SOF = 0xC0, DHT = 0xC4;
constexpr unsigned char APP0 = 0xE0, APP1 = 0xE1, APP2 = 0xE2, APP13 = 0xED, COM = 0xFE;

std::string jfifPayload() {
    return std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
}

std::string exifPayload() {
    TiffBuilder tiff;
    tiff.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker")};
    return tiff.exifPayload();
}

std::string iptcPayloadNamed(const std::string& name) {
    return photoshopPayload(iptcDataset(2, 5, name));
}

Markers markersOf(const std::string& bytes) {
    return segmentMarkers(bytes);
}

// The plain JPEG's own segments after SOI.
Markers plainTail() {
    return markersOf(plainJpeg());
}

Markers concat(Markers head, const Markers& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::string objectNameOf(const std::filesystem::path& file) {
    TimgData data;
    if (!data.ProcessFile(file) || data.IptcObj() == nullptr)
        return "<no IPTC>";
    data.IptcObj()->ParseIPTC();
    int index = data.IptcObj()->FindTag("ObjectName");
    return index < 0 ? "<no ObjectName>" : data.IptcObj()->GetEntry(index).value;
}

TEST(WriteIPTCFile, PlacesTheNewBlockByTheSegmentsFound) {
    ASSERT_EQ(plainTail(), (Markers{DQT, DQT, SOF, DHT, DHT, DHT, DHT, SOS}));
    struct Case {
        const char* layout;
        std::string segments;
        Markers expected;
    };
    // Setting the title writes an XMP packet (the second APP1) beside the
    // IPTC block; every old APP13, EXIF and XMP segment is replaced, wherever
    // it stood.
    std::string exif = jpegSegment(APP1, exifPayload());
    std::string xmp = jpegSegment(APP1, xmpPayload("old"));
    std::string iptc = jpegSegment(APP13, iptcPayloadNamed("old"));
    const Case cases[] = {
        {"APP1 APP13", exif + iptc, concat({APP1, APP1, APP13}, plainTail())},
        {"APP0 APP1", jpegSegment(APP0, jfifPayload()) + exif,
         concat({APP1, APP1, APP13}, plainTail())},
        {"APP1 APP2 APP13", exif + jpegSegment(APP2, "icc") + iptc,
         concat({APP1, APP1, APP13, APP2}, plainTail())},
        {"APP0 only", jpegSegment(APP0, jfifPayload()), concat({APP0, APP1, APP13}, plainTail())},
        {"neither APP0 nor APP1", "", concat({APP0, APP1, APP13}, plainTail())},
        {"APP13 COM", iptc + jpegSegment(COM, "note"),
         concat({APP0, APP1, APP13, COM}, plainTail())},
        {"XMP APP13", xmp + iptc, concat({APP0, APP1, APP13}, plainTail())},
        {"XMP EXIF APP13", xmp + exif + iptc, concat({APP1, APP1, APP13}, plainTail())},
        {"two APP13 around APP2", iptc + jpegSegment(APP2, "icc") + iptc,
         concat({APP0, APP1, APP13, APP2}, plainTail())},
        {"two EXIF", exif + exif + iptc, concat({APP1, APP1, APP13}, plainTail())},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::filesystem::path file = folder / "picture.jpg";
        std::string original = withSegments(plainJpeg(), c.segments);
        writeFile(file, original);
        WriteIPTCFieldToFile(file, "ObjectName", "new");
        std::string written = readFile(file);
        EXPECT_EQ(markersOf(written), c.expected) << c.layout;
        EXPECT_EQ(objectNameOf(file), "new") << c.layout;
        EXPECT_EQ(scanData(written), scanData(original)) << c.layout;
        EXPECT_NE(written.find("<rdf:li xml:lang=\"x-default\">new</rdf:li>"), std::string::npos)
            << c.layout;
    }
}

TEST(WriteIPTCFile, GivesAFileWithoutHeaderTheDefaultJfifHeader) {
    TempFolder folder;
    writeFile(folder / "a.jpg", plainJpeg());
    WriteIPTCFieldToFile(folder / "a.jpg", "Contact", "me");
    std::string written = readFile(folder / "a.jpg");
    EXPECT_EQ(
        written.substr(0, 20),
        std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x02\x01\x01\x2C\x01\x2C\x00\x00", 20));
    EXPECT_EQ(written.substr(20, 2), "\xFF\xED");
}

TEST(WriteIPTCFile, CorrectsTheExifPixelSizeToTheFrame) {
    for (bool bigEndian : {false, true}) {
        TiffBuilder tiff(bigEndian);
        tiff.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker")};
        tiff.exif = {tiff.longEntry(0xA002, 640), tiff.shortEntry(0xA003, 480)};
        TempFolder folder;
        writeFile(folder / "a.jpg",
                  withSegments(plainJpeg(16, 8), jpegSegment(APP1, tiff.exifPayload())));
        WriteIPTCFieldToFile(folder / "a.jpg", "ObjectName", "x");
        TimgData data;
        ASSERT_TRUE(data.ProcessFile(folder / "a.jpg"));
        ASSERT_TRUE(data.HasEXIF());
        EXPECT_EQ(data.ExifObj()->FindEntry("ExifImageWidth")->value, "16") << bigEndian;
        EXPECT_EQ(data.ExifObj()->FindEntry("ExifImageLength")->value, "8") << bigEndian;
    }
}

TEST(WriteIPTCFile, KeepsPermissionBitsAndRefusesReadOnlyFiles) {
    TempFolder folder;
    std::filesystem::path file = folder / "a.jpg";
    writeFile(file, plainJpeg());
    ::chmod(file.c_str(), 0640);
    WriteIPTCFieldToFile(file, "ObjectName", "x");
    struct stat status {};
    ::stat(file.c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    ::chmod(file.c_str(), 0444);
    std::string before = readFile(file);
    EXPECT_THROW(WriteIPTCFieldToFile(file, "ObjectName", "y"), std::system_error);
    EXPECT_EQ(readFile(file), before);
}

TEST(WriteIPTCFile, LeavesTheFileUntouchedWhenItCannotBeWritten) {
    struct Case {
        const char* what;
        std::string content;
        std::string value;
    };
    const Case cases[] = {
        {"not a JPEG", "GIF89a not a jpeg at all", "x"},
        {"JPEG cut before its frame", plainJpeg().substr(0, 40), "x"},
        {"value over 65535 bytes", plainJpeg(), std::string(70000, 'v')},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        writeFile(folder / "a.jpg", c.content);
        EXPECT_ANY_THROW(WriteIPTCFieldToFile(folder / "a.jpg", "ImageCaption", c.value)) << c.what;
        EXPECT_EQ(readFile(folder / "a.jpg"), c.content) << c.what;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
            << c.what;
    }
}

// Several fields in one rewrite end byte for byte as one write per field,
// whatever the file held and however the fields interact (repeatable datasets
// merging, an empty value keeping the old one, a field set twice).
TEST(WriteIPTCFields, OneRewriteEndsAsOneWritePerField) {
    const std::pair<const char*, std::string> layouts[] = {
        {"no header", ""},
        {"APP0 APP1", jpegSegment(APP0, jfifPayload()) + jpegSegment(APP1, exifPayload())},
        {"APP1 APP2 APP13", jpegSegment(APP1, exifPayload()) + jpegSegment(APP2, "icc") +
                                jpegSegment(APP13, photoshopPayload(iptcDataset(2, 5, "old") +
                                                                    iptcDataset(2, 25, "first") +
                                                                    iptcDataset(2, 25, "second")))},
        {"APP13 COM", jpegSegment(APP13, iptcPayloadNamed("old")) + jpegSegment(COM, "note")},
    };
    const IPTCFieldList fieldLists[] = {
        {{"ObjectName", "Harbour at dawn"}, {"Keywords", "harbour"}},
        {{"Keywords", "sky, blue sky, Sky"}, {"Keywords", "sea, sky"}, {"SuppCategory", "x"}},
        {{"ObjectName", "first"}, {"ObjectName", ""}, {"ImageCaption", "line\r\nnext"}},
    };
    for (const auto& [layout, segments] : layouts) {
        for (const IPTCFieldList& fields : fieldLists) {
            TempFolder folder;
            std::string original = withSegments(plainJpeg(), segments);
            writeFile(folder / "one.jpg", original);
            writeFile(folder / "each.jpg", original);
            WriteIPTCFieldsToFile(folder / "one.jpg", fields);
            for (const auto& [name, value] : fields)
                WriteIPTCFieldToFile(folder / "each.jpg", name, value);
            EXPECT_EQ(readFile(folder / "one.jpg"), readFile(folder / "each.jpg"))
                << layout << ", first field " << fields[0].first;
        }
    }
}

// Unlike a run of single writes, a failing field leaves the earlier ones
// unwritten too: the file is rewritten completely or not at all.
TEST(WriteIPTCFields, AnyFailingFieldLeavesTheFileAsItWas) {
    const std::pair<const char*, IPTCFieldList> cases[] = {
        {"unknown name", {{"ObjectName", "x"}, {"NoSuchName", "y"}}},
        {"block too large", {{"ObjectName", "x"}, {"ImageCaption", std::string(70000, 'v')}}},
    };
    for (const auto& [what, fields] : cases) {
        TempFolder folder;
        std::string original =
            withSegments(plainJpeg(), jpegSegment(APP13, iptcPayloadNamed("old")));
        writeFile(folder / "a.jpg", original);
        EXPECT_ANY_THROW(WriteIPTCFieldsToFile(folder / "a.jpg", fields)) << what;
        EXPECT_EQ(readFile(folder / "a.jpg"), original) << what;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << what;
    }
}

// Segment scan rules, on bytes in memory.
struct ScanCase {
    const char* what;
    std::string segments;
    bool found;
    bool exif, iptc, comment, header;
};

TEST(ReadJpegSections, ClassifiesTheFirstSegmentsByTheirRules) {
    std::string app2 = jpegSegment(APP2, "x");
    std::string iptc = jpegSegment(APP13, iptcPayloadNamed("n"));
    const ScanCase cases[] = {
        {"APP13 as fourth segment", app2 + app2 + app2 + iptc, true, false, true, false, false},
        {"APP13 as fifth segment, nothing before", app2 + app2 + app2 + app2 + iptc, false, false,
         false, false, false},
        {"APP0 then tables only", jpegSegment(APP0, jfifPayload()), false, false, false, false,
         true},
        {"comment only", jpegSegment(COM, "c"), true, false, false, true, false},
        {"APP1 as sixth segment is not EXIF",
         jpegSegment(COM, "c") + app2 + app2 + app2 + app2 + jpegSegment(APP1, exifPayload()), true,
         false, false, true, false},
        {"APP1 as fifth segment is EXIF",
         jpegSegment(COM, "c") + app2 + app2 + app2 + jpegSegment(APP1, exifPayload()), true, true,
         false, true, false},
        {"segment after the 20th slot is not read",
         jpegSegment(COM, "c") +
             [&] {
                 std::string s;
                 for (int i = 0; i < 19; ++i)
                     s += app2;
                 return s;
             }() +
             iptc,
         true, false, false, true, false},
    };
    for (const ScanCase& c : cases) {
        TimgData data;
        EXPECT_EQ(data.ReadJpegSections(withSegments(plainJpeg(), c.segments)), c.found) << c.what;
        EXPECT_EQ(data.HasEXIF(), c.exif) << c.what;
        EXPECT_EQ(data.IptcSegment() != nullptr, c.iptc) << c.what;
        EXPECT_EQ(data.IptcObj() != nullptr, c.iptc) << c.what;
        EXPECT_EQ(data.CommentSegment() != nullptr, c.comment) << c.what;
        EXPECT_EQ(data.HeaderSegment() != nullptr, c.header) << c.what;
    }
}

TEST(ReadJpegSections, FirstApp13WinsLastApp0AndCommentWin) {
    std::string segments =
        jpegSegment(APP0, "first") + jpegSegment(APP13, iptcPayloadNamed("first")) +
        jpegSegment(COM, "first") + jpegSegment(APP13, iptcPayloadNamed("second")) +
        jpegSegment(COM, "second") + jpegSegment(APP0, "second");
    TimgData data;
    ASSERT_TRUE(data.ReadJpegSections(withSegments(plainJpeg(), segments)));
    data.IptcObj()->ParseIPTC();
    EXPECT_EQ(data.IptcObj()->GetEntry(0).value, "first");
    EXPECT_EQ(data.CommentSegment()->data.substr(2), "second");
    EXPECT_EQ(data.HeaderSegment()->data.substr(2), "second");
}

TEST(ReadJpegSections, ReleasesTheSlotOfASecondApp1) {
    std::string segments = jpegSegment(APP1, exifPayload()) +
                           jpegSegment(APP1, "http://ns.adobe.com/xap/1.0/") +
                           jpegSegment(COM, "c");
    TimgData data;
    ASSERT_TRUE(data.ReadJpegSections(withSegments(plainJpeg(), segments)));
    EXPECT_EQ(data.Section(1).type, COM);
}

TEST(ReadJpegSections, MalformedOrCutSegments) {
    std::string comment = jpegSegment(COM, "kept");
    TimgData shortLength;
    EXPECT_FALSE(shortLength.ReadJpegSections(
        withSegments(plainJpeg(), comment + std::string("\xFF\xED\x00\x01", 4))));
    EXPECT_EQ(shortLength.CommentSegment(), nullptr);

    TimgData cut;
    std::string iptc = jpegSegment(APP13, iptcPayloadNamed("n"));
    EXPECT_TRUE(cut.ReadJpegSections(std::string("\xFF\xD8", 2) + comment +
                                     iptc.substr(0, iptc.size() / 2)));
    EXPECT_NE(cut.CommentSegment(), nullptr);
    EXPECT_EQ(cut.IptcSegment(), nullptr);

    TimgData noStart;
    EXPECT_FALSE(noStart.ReadJpegSections(comment));
}

TEST(ProcessFile, ChoosesByExtensionAndSetsTheErrorText) {
    TempFolder folder;
    std::string jpeg = withSegments(plainJpeg(), jpegSegment(COM, "c"));
    for (const char* name : {"a.jpg", "b.JPEG", "c.jpe", "d.png", "e.jpg.txt"})
        writeFile(folder / name, jpeg);
    writeFile(folder / "plain.jpg", plainJpeg());
    ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"pipe.jpg", false, "Illegal Exif construction"},
        {"a.jpg", true, "<none>"},
        {"b.JPEG", true, "<none>"},
        {"c.jpe", true, "<none>"},
        {"d.png", false, "Not an EXIF file"},
        {"e.jpg.txt", false, "Not an EXIF file"},
        {"plain.jpg", false, "Not an EXIF file"},
        {"missing.jpg", false, ""},
    };
    for (const auto& [name, found, errorText] : cases) {
        TimgData data;
        EXPECT_EQ(data.ProcessFile(folder / name), found) << name;
        EXPECT_EQ(data.ErrorText(), errorText) << name;
    }
    TimgData data;
    data.ProcessFile(folder / "a.jpg");
    EXPECT_EQ(data.FileSize(), jpeg.size());
    EXPECT_EQ(data.FileName(), folder / "a.jpg");
}

TEST(HasCompleteIPTC, NeedsCaptionNameAndKeywordsInAJpegFile) {
    TempFolder folder;
    auto fileWith = [&](const std::string& name, const std::string& datasets) {
        writeFile(folder / name,
                  withSegments(plainJpeg(), jpegSegment(APP13, photoshopPayload(datasets))));
        return folder / name;
    };
    std::string all = iptcDataset(2, 120, "") + iptcDataset(2, 5, "n") + iptcDataset(2, 25, "k");
    EXPECT_TRUE(HasCompleteIPTC(fileWith("all.jpg", all)));
    EXPECT_FALSE(HasCompleteIPTC(
        fileWith("nokeywords.jpg", iptcDataset(2, 120, "c") + iptcDataset(2, 5, "n"))));
    EXPECT_FALSE(HasCompleteIPTC(fileWith("other.png", all)));
    EXPECT_FALSE(HasCompleteIPTC(folder / "missing.jpg"));
    writeFile(folder / "none.jpg", plainJpeg());
    EXPECT_FALSE(HasCompleteIPTC(folder / "none.jpg"));
}

TEST(ClearExif, RemovesOnlyTheFirstApp1AndKeepsTheRest) {
    TempFolder folder;
    std::string xmp = jpegSegment(APP1, "http://ns.adobe.com/xap/1.0/\0<x/>");
    std::string original = withSegments(plainJpeg(), jpegSegment(APP1, exifPayload()) + xmp);
    writeFile(folder / "a.jpg", original);
    EXPECT_TRUE(ClearExifInFile(folder / "a.jpg"));
    std::string cleared = readFile(folder / "a.jpg");
    EXPECT_EQ(markersOf(cleared), concat({APP0, APP1}, plainTail()));
    EXPECT_NE(cleared.find(xmp), std::string::npos);
    EXPECT_EQ(scanData(cleared), scanData(original));
    EXPECT_EQ(ExifGridRows(folder / "a.jpg"),
              (std::vector<ExifGridRow>{{"EXIF data", "No EXIF data"}}));
}

TEST(ClearExif, NeverTakesAnXmpPacketForExif) {
    TempFolder folder;
    std::string xmp = jpegSegment(APP1, "http://ns.adobe.com/xap/1.0/\0<x/>");
    std::string original = withSegments(plainJpeg(), xmp + jpegSegment(COM, "c"));
    writeFile(folder / "a.jpg", original);
    EXPECT_FALSE(ClearExifInFile(folder / "a.jpg"));
    EXPECT_EQ(readFile(folder / "a.jpg"), original);

    WriteIPTCFieldToFile(folder / "a.jpg", "ObjectName", "n");
    std::string written = readFile(folder / "a.jpg");
    EXPECT_NE(written.find(xmp), std::string::npos);
    // The literal ends at its zero byte, so the APP1 lacks the full XMP
    // signature: it is kept where it stood, and the title gets a new packet.
    EXPECT_EQ(markersOf(written), concat({APP0, APP1, APP13, COM, APP1}, plainTail()));
}

TEST(ClearExif, KeepsIptcAndCommentAndPassesOverFilesWithoutExif) {
    TempFolder folder;
    std::string segments = jpegSegment(APP0, jfifPayload()) + jpegSegment(APP1, exifPayload()) +
                           jpegSegment(APP13, iptcPayloadNamed("kept")) + jpegSegment(COM, "note");
    writeFile(folder / "a.jpg", withSegments(plainJpeg(), segments));
    EXPECT_TRUE(ClearExifInFile(folder / "a.jpg"));
    EXPECT_EQ(markersOf(readFile(folder / "a.jpg")), concat({APP0, APP13, COM}, plainTail()));
    EXPECT_EQ(objectNameOf(folder / "a.jpg"), "kept");

    std::string before = readFile(folder / "a.jpg");
    EXPECT_FALSE(ClearExifInFile(folder / "a.jpg"));
    EXPECT_EQ(readFile(folder / "a.jpg"), before);
}

TEST(ClearExif, RefusesATiffFileAndLeavesIt) {
    TempFolder folder;
    TiffBuilder tiff;
    tiff.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker")};
    writeFile(folder / "a.tif", tiff.tiff());
    EXPECT_THROW(ClearExifInFile(folder / "a.tif"), EJpegError);
    EXPECT_EQ(readFile(folder / "a.tif"), tiff.tiff());
}

} // namespace
} // namespace orvella
