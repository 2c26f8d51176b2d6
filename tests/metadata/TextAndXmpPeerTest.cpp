// Text in any script and the XMP packet, read back by exiftool, exiv2 and
// orvella-tool after Orvella wrote them, and files made by other tools
// (UTF-8 marked, Windows-1252, with a digest, with other Photoshop
// resources) rewritten without losing what they hold.
#include "MetadataFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace orvella {
namespace {

using namespace test;

std::string tool() {
    return shellQuoted(toolPath());
}
std::string quoted(const std::filesystem::path& file) {
    return shellQuoted(file.string());
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::vector<std::string> run(const std::string& command) {
    CommandResult result = runCommand(command);
    EXPECT_EQ(result.status, 0) << command << "\n" << result.output;
    return lines(result.output);
}

void set(const std::filesystem::path& file, const std::string& name, const std::string& value) {
    CommandResult result =
        runCommand(tool() + " iptc-set " + name + " " + shellQuoted(value) + " " + quoted(file));
    ASSERT_EQ(result.status, 0) << result.output;
}

// The values exiftool reads, one line per tag in the order asked, '-' for a
// missing one; list items joined with '|'.
std::vector<std::string> exiftoolValues(const std::filesystem::path& file,
                                        const std::string& tags) {
    std::vector<std::string> values =
        run("exiftool -charset iptc=latin -G1 -a -f -s3 -sep '|' " + tags + " " + quoted(file));
    for (std::string& value : values) // "GROUP value": the group is dropped
        value.erase(0, value.find(' ') + 1);
    return values;
}

// exiv2's IPTC and XMP values by key, repeated keys in file order.
std::multimap<std::string, std::string> exiv2Values(const std::filesystem::path& file) {
    std::multimap<std::string, std::string> read;
    for (const std::string& line : run("exiv2 -PIXkv " + quoted(file))) {
        size_t blank = line.find(' ');
        size_t value = line.find_first_not_of(' ', blank);
        read.emplace(line.substr(0, blank), value == std::string::npos ? "" : line.substr(value));
    }
    return read;
}

std::vector<std::string> all(const std::multimap<std::string, std::string>& read, const char* key) {
    std::vector<std::string> out;
    for (auto [at, end] = read.equal_range(key); at != end; ++at)
        out.push_back(at->second);
    return out;
}

// orvella-tool's own reading: the iptc verb's lines by name.
std::map<std::string, std::string> orvellaIptc(const std::filesystem::path& file) {
    std::map<std::string, std::string> values;
    for (const std::string& line : run(tool() + " iptc " + quoted(file)))
        values[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    return values;
}

// The metadata verb's rows: field -> {IPTC, XMP, shown}.
std::map<std::string, std::vector<std::string>> orvellaRows(const std::filesystem::path& file) {
    std::map<std::string, std::vector<std::string>> rows;
    for (const std::string& line : run(tool() + " metadata " + quoted(file))) {
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, '\t');)
            cells.push_back(cell);
        if (cells.size() == 4)
            rows[cells[0]] = {cells[1], cells[2], cells[3]};
    }
    return rows;
}

std::filesystem::path peerJpeg(const TempFolder& folder, const char* name) {
    std::filesystem::path file = folder / name;
    run("convert -size 64x48 gradient:navy-orange -quality 85 " + quoted(file) +
        " && exiftool -q -overwrite_original -Make=Maker -Model=M1 " + quoted(file));
    return file;
}

TEST(TextAndXmp, EveryScriptReadsBackAsTypedInIptcAndXmpByEveryReader) {
    struct Script {
        const char* name;
        std::string title, description, keyword1, keyword2;
    };
    const Script scripts[] = {
        {"Latin accents", "Café à Zürich", "Crème brûlée, façade", "señor año", "Ærøskøbing"},
        {"Greek", "Ελλάδα", "Το λιμάνι την αυγή", "θάλασσα", "μπλε ουρανός"},
        {"Cyrillic", "Москва", "Красная площадь зимой", "снег", "зимний город"},
        {"Japanese", "東京の夜", "渋谷の交差点", "夜景", "東京 タワー"},
        {"Arabic", "مرحبا", "شاطئ البحر عند الغروب", "بحر", "غروب الشمس"},
        {"emoji", "Sunny 🙂", "Beach day 🏖️ with friends", "sun ☀️", "🌊 waves"},
    };
    TempFolder folder;
    for (const Script& s : scripts) {
        std::filesystem::path file = peerJpeg(folder, "photo.jpg");
        set(file, "ObjectName", s.title);
        set(file, "ImageCaption", s.description);
        set(file, "Keywords", s.keyword1 + "," + s.keyword2);
        std::string rights = "© 2026 " + s.title;
        set(file, "Copyright", rights);
        std::string keywords = s.keyword1 + "|" + s.keyword2;

        EXPECT_EQ(exiftoolValues(file, "-IPTC:CodedCharacterSet -IPTC:ObjectName "
                                       "-IPTC:Caption-Abstract -IPTC:Keywords -XMP-dc:Title "
                                       "-XMP-dc:Description -XMP-dc:Subject "
                                       "-IPTC:CopyrightNotice -XMP-dc:Rights"),
                  (std::vector<std::string>{"UTF8", s.title, s.description, keywords, s.title,
                                            s.description, keywords, rights, rights}))
            << s.name;

        auto exiv2 = exiv2Values(file);
        EXPECT_EQ(all(exiv2, "Iptc.Application2.ObjectName"), std::vector<std::string>{s.title})
            << s.name;
        EXPECT_EQ(all(exiv2, "Iptc.Application2.Caption"), std::vector<std::string>{s.description})
            << s.name;
        EXPECT_EQ(all(exiv2, "Iptc.Application2.Keywords"),
                  (std::vector<std::string>{s.keyword1, s.keyword2}))
            << s.name;
        EXPECT_EQ(all(exiv2, "Xmp.dc.title"),
                  std::vector<std::string>{"lang=\"x-default\" " + s.title})
            << s.name;
        EXPECT_EQ(all(exiv2, "Xmp.dc.subject"),
                  std::vector<std::string>{s.keyword1 + ", " + s.keyword2})
            << s.name;

        auto iptc = orvellaIptc(file);
        EXPECT_EQ(iptc["ObjectName"], s.title) << s.name;
        EXPECT_EQ(iptc["ImageCaption"], s.description) << s.name;
        EXPECT_EQ(iptc["Keywords"], s.keyword1 + "," + s.keyword2) << s.name;
        auto rows = orvellaRows(file);
        EXPECT_EQ(rows["Title"], (std::vector<std::string>{s.title, s.title, s.title})) << s.name;
        EXPECT_EQ(rows["Keywords"][1], s.keyword1 + "," + s.keyword2) << s.name;
    }
}

TEST(TextAndXmp, ExiftoolKeywordedFileWithDigestShowsOrvellasKeywordsInTheMwgView) {
    TempFolder folder;
    std::filesystem::path file = peerJpeg(folder, "photo.jpg");
    run("exiftool -q -overwrite_original -IPTC:Keywords=old -XMP-dc:Subject=old "
        "-IPTC:ObjectName=Old -XMP-dc:Title=Old -IPTCDigest=new " +
        quoted(file));
    set(file, "Keywords", "blue sky");
    set(file, "ObjectName", "New");
    EXPECT_EQ(run("exiftool -s3 -sep '|' -use MWG -MWG:Keywords " + quoted(file)),
              (std::vector<std::string>{"old|blue sky"}));
    EXPECT_EQ(exiftoolValues(file, "-XMP-dc:Title -XMP-dc:Subject"),
              (std::vector<std::string>{"New", "old|blue sky"}));
    // The digest was rewritten for the new IPTC data.
    std::vector<std::string> digests =
        run("exiftool -s3 -IPTCDigest -CurrentIPTCDigest " + quoted(file));
    ASSERT_EQ(digests.size(), 2u);
    EXPECT_EQ(digests[0], digests[1]);
}

TEST(TextAndXmp, FileMarkedUtf8ByExiftoolKeepsItsOldValuesReadableAfterAKeyword) {
    TempFolder folder;
    std::filesystem::path file = peerJpeg(folder, "photo.jpg");
    run("exiftool -q -overwrite_original -IPTC:CodedCharacterSet=UTF8 "
        "-IPTC:ObjectName=Ελλάδα -IPTC:Keywords=Москва " +
        quoted(file));
    set(file, "Keywords", "café");
    EXPECT_EQ(exiftoolValues(file, "-IPTC:CodedCharacterSet -IPTC:ObjectName -IPTC:Keywords"),
              (std::vector<std::string>{"UTF8", "Ελλάδα", "Москва|café"}));
}

TEST(TextAndXmp, WindowsLatin1BlockReadsAsUtf8AndIsWrittenMarked) {
    TempFolder folder;
    std::filesystem::path file = folder / "windows.jpg";
    // No character set marker, values in Windows-1252 ('é' E9, '€' 80).
    writeFile(file,
              withSegments(plainJpeg(),
                           jpegSegment(0xED, photoshopPayload(iptcDataset(2, 5, "Caf\xE9") +
                                                              iptcDataset(2, 25, "\x80 5")))));
    auto iptc = orvellaIptc(file);
    EXPECT_EQ(iptc["ObjectName"], "Café");
    EXPECT_EQ(iptc["Keywords"], "€ 5");
    set(file, "Keywords", "prix");
    EXPECT_EQ(exiftoolValues(file, "-IPTC:CodedCharacterSet -IPTC:ObjectName -IPTC:Keywords"),
              (std::vector<std::string>{"UTF8", "Café", "€ 5|prix"}));
}

// An APP13 block as Photoshop leaves it: resolution, a thumbnail whose
// bytes hold 1C 02 before the IPTC resource, the copyright flag, the URL
// and the IPTC digest after it.
std::string resource(uint16_t id, const std::string& data) {
    std::string out = "8BIM";
    out += static_cast<char>(id >> 8);
    out += static_cast<char>(id & 0xFF);
    out += std::string(2, '\0');
    size_t size = data.size();
    for (int shift : {24, 16, 8, 0})
        out += static_cast<char>((size >> shift) & 0xFF);
    out += data;
    if (size % 2)
        out += '\0';
    return out;
}

std::string photoshopBlock() {
    std::string thumbnail = std::string(28, '\0') + "\x1C\x02\x05\x00\x05" + "FAKE!" +
                            std::string("\xFF\xD8\xFF\xD9", 4);
    std::string iptc = iptcDataset(2, 0, std::string("\0\x02", 2)) +
                       iptcDataset(2, 5, "Real title") + iptcDataset(2, 25, "kept");
    return std::string("Photoshop 3.0\0", 14) +
           resource(0x03ED, std::string("\x01\x2C\0\0\0\x01\0\x01\x01\x2C\0\0\0\x01\0\x01", 16)) +
           resource(0x0409, thumbnail) + resource(0x0404, iptc) +
           resource(0x040A, std::string(1, '\x01')) +
           resource(0x040B, "https://example.org/licence") + resource(0x0425, std::string(16, 'd'));
}

TEST(TextAndXmp, OtherPhotoshopResourcesStayInTheirOrderAroundTheNewIptc) {
    TempFolder folder;
    std::filesystem::path file = folder / "photoshop.jpg";
    writeFile(file, withSegments(plainJpeg(), jpegSegment(0xED, photoshopBlock()) +
                                                  jpegSegment(0xED, photoshopBlock())));
    // The thumbnail's 1C 02 is not taken for the IPTC data.
    EXPECT_EQ(orvellaIptc(file)["ObjectName"], "Real title");
    set(file, "Keywords", "added");
    // The resources in the order exiftool's verbose listing shows them.
    std::vector<std::string> order;
    bool inPhotoshop = false;
    for (const std::string& line : run("exiftool -v3 " + quoted(file))) {
        if (line.find("[Photoshop directory") != std::string::npos)
            inPhotoshop = true;
        else if (line.rfind("  |", 0) != 0)
            inPhotoshop = false;
        else if (inPhotoshop && line.rfind("  | - Tag 0x", 0) == 0)
            order.push_back(line.substr(10, 6));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"0x03ed", "0x0409", "0x0404", "0x040a", "0x040b",
                                               "0x0425"}));
    EXPECT_EQ(exiftoolValues(file, "-IPTC:ObjectName -IPTC:Keywords -Photoshop:URL "
                                   "-Photoshop:CopyrightFlag -Photoshop:XResolution"),
              (std::vector<std::string>{"Real title", "kept|added", "https://example.org/licence",
                                        "True", "300"}));
    std::vector<std::string> digests =
        run("exiftool -s3 -IPTCDigest -CurrentIPTCDigest " + quoted(file));
    ASSERT_EQ(digests.size(), 2u);
    EXPECT_EQ(digests[0], digests[1]);
    // One APP13 is left of the two.
    std::vector<unsigned char> markers = segmentMarkers(readFile(file));
    EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xED), 1);
}

TEST(TextAndXmp, FilesOfTheFaultsFoundReadBackRightAfterARewrite) {
    TempFolder folder;
    std::string exif = [] {
        TiffBuilder tiff;
        tiff.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker")};
        return jpegSegment(0xE1, tiff.exifPayload());
    }();
    std::string xmp = jpegSegment(0xE1, xmpPayload("Old title"));
    std::string iptc = jpegSegment(0xED, photoshopPayload(iptcDataset(2, 5, "Old title")));
    struct Case {
        const char* what;
        const char* name;
        std::string segments;
    };
    const Case cases[] = {
        {"XMP first", "xmp-first.jpg", xmp + iptc},
        {"XMP then EXIF", "xmp-exif.jpg", xmp + exif + iptc},
        {"a .jfif file", "picture.jfif", exif + iptc},
    };
    for (const Case& c : cases) {
        std::filesystem::path file = folder / c.name;
        writeFile(file, withSegments(plainJpeg(), c.segments));
        set(file, "ObjectName", "New title");
        EXPECT_EQ(exiftoolValues(file, "-IPTC:ObjectName -XMP-dc:Title -EXIF:Make "
                                       "-XMP-xmp:CreatorTool"),
                  (std::vector<std::string>{
                      "New title", "New title",
                      c.segments.find(exif) != std::string::npos ? "Maker" : "-",
                      c.segments.find(xmp) != std::string::npos ? "kept tool" : "-"}))
            << c.what;
        std::vector<unsigned char> markers = segmentMarkers(readFile(file));
        EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xED), 1) << c.what;
        EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xE1),
                  c.segments.find(exif) != std::string::npos ? 2 : 1)
            << c.what;
        EXPECT_TRUE(run("exiftool -s3 -Warning " + quoted(file)).empty()) << c.what;
    }

    // "Clear EXIF tags" on the XMP-then-EXIF file leaves no EXIF and the XMP.
    std::filesystem::path cleared = folder / "xmp-exif.jpg";
    EXPECT_EQ(runCommand(tool() + " clear-exif " + quoted(cleared)).status, 0);
    EXPECT_EQ(exiftoolValues(cleared, "-EXIF:Make -XMP-dc:Title"),
              (std::vector<std::string>{"-", "New title"}));
}

TEST(TextAndXmp, KeywordPhrasesAndCommasSurviveRewritesAsOneDatasetEach) {
    TempFolder folder;
    std::filesystem::path file = peerJpeg(folder, "photo.jpg");
    run("exiftool -q -overwrite_original '-IPTC:Keywords=salt, pepper' "
        "'-IPTC:Keywords=New York' -IPTC:Keywords=Café " +
        quoted(file));
    for (const char* added : {"red apple", "CAFÉ", "blue sky,café"})
        set(file, "Keywords", added);
    EXPECT_EQ(exiftoolValues(file, "-IPTC:Keywords -XMP-dc:Subject"),
              (std::vector<std::string>{"salt, pepper|New York|Café|red apple|blue sky",
                                        "salt, pepper|New York|Café|red apple|blue sky"}));
}

TEST(TextAndXmp, ExifCommentsShowWholeAndDecoded) {
    TempFolder folder;
    std::filesystem::path file = peerJpeg(folder, "photo.jpg");
    std::string comment(120, 'c');
    comment += " ü";
    run("exiftool -q -overwrite_original -EXIF:UserComment=" + shellQuoted(comment) +
        " '-EXIF:XPComment=Comment ü' '-EXIF:XPTitle=Τίτλος' " + quoted(file));
    std::map<std::string, std::string> rows;
    for (const std::string& line : run(tool() + " exif " + quoted(file)))
        rows[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    EXPECT_EQ(rows["UserComment"], comment);
    EXPECT_EQ(rows["Comments"], "Comment ü");
    EXPECT_EQ(rows["Title"], "Τίτλος");
}

TEST(TextAndXmp, AnXmpPacketThatCannotFitOneSegmentIsRefusedAndTheFileKept) {
    TempFolder folder;
    std::filesystem::path file = peerJpeg(folder, "photo.jpg");
    // Each value fits the IPTC block; the packet holds both twice over with
    // its markup and cannot fit.
    run("exiftool -q -overwrite_original -XMP-dc:Creator=" + shellQuoted(std::string(40000, 'a')) +
        " " + quoted(file));
    std::string before = readFile(file);
    CommandResult result = runCommand(tool() + " iptc-set ImageCaption " +
                                      shellQuoted(std::string(30000, 'b')) + " " + quoted(file));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("XMP packet"), std::string::npos) << result.output;
    EXPECT_EQ(readFile(file), before);
}

} // namespace
} // namespace orvella
