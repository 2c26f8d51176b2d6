// What orvella-tool writes is read back by exiftool and exiv2, and what
// exiftool writes is read by orvella-tool, with the same values.
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
std::string quotedPath(const std::filesystem::path& file) {
    return shellQuoted(file.string());
}

struct Fields {
    std::string objectName, caption, copyright, contact;
    std::vector<std::string> keywords;
};

const Fields kFields{"Harbour at dawn",
                     "Boats in the harbour, early light",
                     "(c) 2024 Jane Example",
                     "jane@example.org",
                     {"harbour", "boats", "dawn"}};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// A real camera-like file: ImageMagick's JPEG with EXIF added by exiftool.
std::filesystem::path peerMadeJpeg(const TempFolder& folder, const char* name) {
    std::filesystem::path file = folder / name;
    std::string make =
        "convert -size 120x80 gradient:navy-orange -quality 85 " + quotedPath(file) +
        " && exiftool -q -overwrite_original -Make=Maker -Model=M1 -ExposureTime=0.01 " +
        quotedPath(file);
    CommandResult made = runCommand(make);
    EXPECT_EQ(made.status, 0) << made.output;
    return file;
}

std::string pictureData(const std::filesystem::path& file) {
    return std::string(scanData(readFile(file)));
}

TEST(PeerRoundTrip, ExiftoolAndExiv2ReadWhatOrvellaWrites) {
    TempFolder folder;
    std::filesystem::path file = peerMadeJpeg(folder, "photo.jpg");
    std::string picture = pictureData(file);
    std::string keywords =
        kFields.keywords[0] + "," + kFields.keywords[1] + "," + kFields.keywords[2];
    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"ObjectName", kFields.objectName},
                                                          {"ImageCaption", kFields.caption},
                                                          {"Keywords", keywords},
                                                          {"Copyright", kFields.copyright},
                                                          {"Contact", kFields.contact}}) {
        CommandResult set = runCommand(tool() + " iptc-set " + name + " " + shellQuoted(value) +
                                       " " + quotedPath(file));
        ASSERT_EQ(set.status, 0) << set.output;
    }
    EXPECT_EQ(pictureData(file), picture);

    CommandResult exiftool =
        runCommand("exiftool -s3 -sep '|' -IPTC:ObjectName -IPTC:Caption-Abstract "
                   "-IPTC:Keywords -IPTC:CopyrightNotice -IPTC:Contact -EXIF:Make " +
                   quotedPath(file));
    ASSERT_EQ(exiftool.status, 0) << exiftool.output;
    EXPECT_EQ(lines(exiftool.output),
              (std::vector<std::string>{kFields.objectName, kFields.caption, "harbour|boats|dawn",
                                        kFields.copyright, kFields.contact, "Maker"}));

    CommandResult exiv2 = runCommand("exiv2 -PIkv " + quotedPath(file));
    ASSERT_EQ(exiv2.status, 0) << exiv2.output;
    std::multimap<std::string, std::string> read;
    for (const std::string& line : lines(exiv2.output)) {
        size_t blank = line.find(' ');
        size_t value = line.find_first_not_of(' ', blank);
        read.emplace(line.substr(0, blank), value == std::string::npos ? "" : line.substr(value));
    }
    auto one = [&](const char* key) {
        return read.count(key) == 1 ? read.find(key)->second : "<missing>";
    };
    EXPECT_EQ(one("Iptc.Application2.ObjectName"), kFields.objectName);
    EXPECT_EQ(one("Iptc.Application2.Caption"), kFields.caption);
    EXPECT_EQ(one("Iptc.Application2.Copyright"), kFields.copyright);
    EXPECT_EQ(one("Iptc.Application2.Contact"), kFields.contact);
    std::vector<std::string> keywordsRead;
    for (auto [at, end] = read.equal_range("Iptc.Application2.Keywords"); at != end; ++at)
        keywordsRead.push_back(at->second);
    EXPECT_EQ(keywordsRead, kFields.keywords);
}

TEST(PeerRoundTrip, OrvellaReadsWhatExiftoolWrites) {
    TempFolder folder;
    std::filesystem::path file = peerMadeJpeg(folder, "photo.jpg");
    std::string write =
        "exiftool -q -overwrite_original -IPTC:ObjectName=" + shellQuoted(kFields.objectName) +
        " -IPTC:Caption-Abstract=" + shellQuoted(kFields.caption) +
        " -IPTC:CopyrightNotice=" + shellQuoted(kFields.copyright) +
        " -IPTC:Contact=" + shellQuoted(kFields.contact);
    for (const std::string& keyword : kFields.keywords)
        write += " -IPTC:Keywords=" + keyword;
    ASSERT_EQ(runCommand(write + " " + quotedPath(file)).status, 0);
    CommandResult read = runCommand(tool() + " iptc " + quotedPath(file));
    ASSERT_EQ(read.status, 0) << read.output;
    std::map<std::string, std::string> values;
    for (const std::string& line : lines(read.output))
        values[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    EXPECT_EQ(values["ObjectName"], kFields.objectName);
    EXPECT_EQ(values["ImageCaption"], kFields.caption);
    EXPECT_EQ(values["Copyright"], kFields.copyright);
    EXPECT_EQ(values["Contact"], kFields.contact);
    EXPECT_EQ(values["Keywords"], "harbour,boats,dawn");
}

TEST(PeerRoundTrip, RewritingAPeerFileKeepsItsPictureDataAndExif) {
    TempFolder folder;
    std::filesystem::path file = peerMadeJpeg(folder, "photo.jpg");
    ASSERT_EQ(runCommand("exiftool -q -overwrite_original -IPTC:Keywords=old -XMP:Title=kept " +
                         quotedPath(file))
                  .status,
              0);
    std::string picture = pictureData(file);
    ASSERT_EQ(runCommand(tool() + " iptc-set Keywords new " + quotedPath(file)).status, 0);
    EXPECT_EQ(pictureData(file), picture);
    CommandResult check = runCommand(
        "exiftool -s3 -sep '|' -IPTC:Keywords -EXIF:Model -XMP:Title " + quotedPath(file));
    EXPECT_EQ(lines(check.output), (std::vector<std::string>{"old|new", "M1", "kept"}));
    CommandResult verify = runCommand("exiv2 -pi " + quotedPath(file));
    EXPECT_EQ(verify.status, 0) << verify.output;
}

} // namespace
} // namespace orvella
