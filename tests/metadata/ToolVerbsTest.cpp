// The metadata verbs of orvella-tool, run as a process.
#include "MetadataFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using namespace test;

CommandResult tool(const std::string& arguments) {
    return runCommand(shellQuoted(toolPath()) + " " + arguments);
}

std::string quotedPath(const std::filesystem::path& file) {
    return shellQuoted(file.string());
}

TEST(IptcVerbs, SetThenPrintEscapesControlBytes) {
    TempFolder folder;
    std::filesystem::path file = folder / "a.jpg";
    writeFile(file, plainJpeg());
    EXPECT_EQ(tool("iptc " + quotedPath(file)).output, ""); // no IPTC: nothing
    std::string caption = "line one\r\nback\\slash\x01"
                          "end";
    ASSERT_EQ(tool("iptc-set ImageCaption " + shellQuoted(caption) + " " + quotedPath(file)).status,
              0);
    ASSERT_EQ(tool("iptc-set Keywords 'sky, blue sky, Sky' " + quotedPath(file)).status, 0);
    CommandResult printed = tool("iptc " + quotedPath(file));
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.output,
              "ImageCaption=line one\\r\\nback\\\\slash\\x01end\nKeywords=sky,blue sky\n");
}

TEST(IptcVerbs, SetsEveryFileGivenAndReportsFailuresWithStatusOne) {
    TempFolder folder;
    writeFile(folder / "a.jpg", plainJpeg());
    writeFile(folder / "b.jpg", "not a jpeg");
    writeFile(folder / "c.jpg", plainJpeg());
    CommandResult result = tool("iptc-set ObjectName Name " + quotedPath(folder / "a.jpg") + " " +
                                quotedPath(folder / "b.jpg") + " " + quotedPath(folder / "c.jpg"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("b.jpg is not a readable JPEG file"), std::string::npos)
        << result.output;
    EXPECT_EQ(readFile(folder / "b.jpg"), "not a jpeg");
    EXPECT_EQ(tool("iptc " + quotedPath(folder / "a.jpg")).output, "ObjectName=Name\n");
    EXPECT_EQ(tool("iptc " + quotedPath(folder / "c.jpg")).output, "ObjectName=Name\n");
}

TEST(IptcVerbs, SetsSeveralFieldsInOneCallAsTheSingleCallsWould) {
    TempFolder folder;
    for (const char* name : {"a.jpg", "b.jpg", "single.jpg"})
        writeFile(folder / name, plainJpeg());
    CommandResult result = tool("iptc-set ObjectName Harbour Keywords 'sea, sky' Keywords -- -- " +
                                quotedPath(folder / "a.jpg") + " " + quotedPath(folder / "b.jpg"));
    EXPECT_EQ(result.status, 0) << result.output;
    for (const char* arguments : {"ObjectName Harbour", "Keywords 'sea, sky'", "Keywords --"})
        ASSERT_EQ(
            tool(std::string("iptc-set ") + arguments + " " + quotedPath(folder / "single.jpg"))
                .status,
            0);
    EXPECT_EQ(readFile(folder / "a.jpg"), readFile(folder / "single.jpg"));
    EXPECT_EQ(readFile(folder / "b.jpg"), readFile(folder / "single.jpg"));
}

// With several files each line starts with its file and a tab; a file that
// fails is reported and the others are still done.
TEST(MetadataVerbs, TakeManyFilesAndGoOnPastAFailure) {
    TempFolder folder;
    std::string a = (folder / "a.jpg").string(), b = (folder / "b.jpg").string();
    std::string missing = (folder / "missing.jpg").string();
    writeFile(a, plainJpeg());
    writeFile(b, plainJpeg());
    ASSERT_EQ(tool("iptc-set ObjectName Name " + shellQuoted(a) + " " + shellQuoted(b)).status, 0);
    CommandResult printed =
        tool("iptc " + shellQuoted(a) + " " + shellQuoted(missing) + " " + shellQuoted(b));
    EXPECT_EQ(printed.status, 1);
    EXPECT_NE(printed.output.find(a + "\tObjectName=Name\n"), std::string::npos) << printed.output;
    EXPECT_NE(printed.output.find(b + "\tObjectName=Name\n"), std::string::npos) << printed.output;
    EXPECT_NE(printed.output.find("orvella-tool iptc: " + missing), std::string::npos)
        << printed.output;
    CommandResult exif = tool("exif " + shellQuoted(a) + " " + shellQuoted(b));
    EXPECT_EQ(exif.status, 0);
    EXPECT_EQ(exif.output, a + "\tEXIF data=No EXIF data\n" + b + "\tEXIF data=No EXIF data\n");
    EXPECT_EQ(tool("clear-exif " + shellQuoted(a) + " " + shellQuoted(b)).status, 0);
}

TEST(IptcVerbs, RefusesUnknownNamesMissingFilesAndWrongArguments) {
    TempFolder folder;
    writeFile(folder / "a.jpg", plainJpeg());
    const std::pair<std::string, const char*> cases[] = {
        {"iptc-set NoSuchName x " + quotedPath(folder / "a.jpg"),
         "unknown IPTC dataset name NoSuchName"},
        {"iptc " + quotedPath(folder / "missing.jpg"), "No such file"},
        {"iptc-set ObjectName x " + quotedPath(folder / "missing.jpg"), "No such file"},
        {"exif " + quotedPath(folder / "missing.jpg"), "No such file"},
        {"iptc-set ObjectName", "usage: orvella-tool iptc-set NAME VALUE FILE..."},
        {"iptc", "usage: orvella-tool iptc FILE"},
        {"iptc-set ObjectName x Keywords -- " + quotedPath(folder / "a.jpg"),
         "usage: orvella-tool iptc-set"},
        {"iptc-set ObjectName x --", "usage: orvella-tool iptc-set"},
        {"iptc-set ObjectName x Keywords y NoSuchName z -- " + quotedPath(folder / "a.jpg"),
         "unknown IPTC dataset name NoSuchName"},
    };
    for (const auto& [arguments, message] : cases) {
        CommandResult result = tool(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_NE(result.output.find(message), std::string::npos)
            << arguments << ": " << result.output;
    }
    EXPECT_EQ(readFile(folder / "a.jpg"), plainJpeg());
}

TEST(ExifVerbs, PrintTheGridRowsAndClearTheExifSegment) {
    TempFolder folder;
    TiffBuilder t;
    t.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker"), t.shortEntry(0x0112, 6)};
    t.exif = {t.rationalEntry(0x829D, 28, 10)};
    std::filesystem::path file = folder / "a.jpg";
    writeFile(file, withSegments(plainJpeg(), jpegSegment(0xE1, t.exifPayload())));
    CommandResult shown = tool("exif " + quotedPath(file));
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.output,
              "Make=Maker\nOrientation=CounterClockwise 90°\nExifOffset=56\nFNumber=F2.8\n");
    EXPECT_EQ(tool("clear-exif " + quotedPath(file)).status, 0);
    EXPECT_EQ(tool("exif " + quotedPath(file)).output, "EXIF data=No EXIF data\n");
    EXPECT_EQ(tool("clear-exif " + quotedPath(file)).status, 0); // nothing left to clear
}

TEST(ExifVerbs, ClearExifReportsAFileItCannotRewrite) {
    TempFolder folder;
    TiffBuilder t;
    t.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker")};
    writeFile(folder / "a.tif", t.tiff());
    CommandResult result = tool("clear-exif " + quotedPath(folder / "a.tif"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("not a readable JPEG file"), std::string::npos) << result.output;
    EXPECT_EQ(readFile(folder / "a.tif"), t.tiff());
}

} // namespace
} // namespace orvella
