#include "MetadataFixtures.h"
#include "support/TempFolder.h"

#include "metadata/ExifGrid.h"
#include "metadata/ImageInfo.h"
#include "metadata/ImgData.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using namespace test;

std::string shown(const TImageInfo& info, const char* name) {
    const TTagEntry* entry = info.FindEntry(name);
    return entry ? entry->value : "<absent>";
}

TImageInfo readBlock(const TiffBuilder& tiff) {
    TImageInfo info;
    info.ReadJpegBlock(tiff.exifSegmentData());
    return info;
}

struct FormatCase {
    const char* name;
    TiffEntry entry;
    const char* expected;
};

std::string utf16(const std::string& text) {
    std::string out;
    for (char c : text)
        out += std::string{c, '\0'};
    return out + std::string(2, '\0');
}

TEST(ExifFormatting, DisplayFormatsDecodeListsAndFormattingFunctions) {
    for (bool bigEndian : {false, true}) {
        TiffBuilder t(bigEndian);
        const FormatCase cases[] = {
            {"ExposureTime", t.rationalEntry(0x829A, 1, 125), "1/125 sec"},
            {"FNumber", t.rationalEntry(0x829D, 56, 10), "F5.6"},
            {"FocalLength", t.rationalEntry(0x920A, 50, 1), "50.00 mm"},
            {"XResolution", t.rationalEntry(0x011A, 72, 1), "72.00"},
            {"ShutterSpeedValue", t.signedRationalEntry(0x9201, 7, 1), "0.0078 sec (1/128)"},
            {"ShutterSpeedValue", t.signedRationalEntry(0x9201, -1, 1), "2.0000 sec"},
            {"Flash", t.shortEntry(0x9209, 25), "On, auto mode"},
            {"Flash", t.shortEntry(0x9209, 16), "Off, surpressed"},
            {"Flash", t.shortEntry(0x9209, 95), "On, strobe return, auto mode, red-eye reduction"},
            {"Flash", t.shortEntry(0x9209, 32 + 2), "Off, UNKNOWN, no flash function"},
            {"Orientation", t.shortEntry(0x0112, 6), "CounterClockwise 90°"},
            {"Orientation", t.shortEntry(0x0112, 2), ""},
            {"ExposureProgram", t.shortEntry(0x8822, 3), "Aperture priority"},
            {"MeteringMode", t.shortEntry(0x9207, 5), "MultiSegment"},
            {"SensingMethod", t.shortEntry(0xA217, 2), "OneChipColorArea"},
            {"ImageDescription", TiffBuilder::asciiEntry(0x010E, std::string(80, 'd')),
             "dddddddddddddddddddddddddddddddddddddddddddddddddd"},
            {"Artist", TiffBuilder::asciiEntry(0x013B, "tab\there"), "tab.here"},
            {"ComponentsConfiguration",
             {0x9101, 7, 4, std::string("\x01\x02\x03\x00", 4)},
             "YCbCr"},
            {"ExifVersion", {0x9000, 7, 4, "0230"}, "\"0230\""},
            {"UserComment", {0x9286, 7, 13, std::string("ASCII\0\0\0Hello", 13)}, "Hello"},
            {"Title", {0x9C9B, 1, 8, utf16("Sky")}, "Sky"},
            {"BitsPerSample", {0x0102, 3, 3, t.u16(8) + t.u16(8) + t.u16(8)}, "8, 8, 8"},
            {"ImageNumber", {0xA211, 9, 1, t.u32(static_cast<uint32_t>(-5))}, "-5"},
            {"Gamma", {0x0301, 11, 1, t.u32(0x3F800000)}, "-9999.99"},
        };
        for (const FormatCase& c : cases) {
            TiffBuilder tiff(bigEndian);
            tiff.exif = {c.entry};
            EXPECT_EQ(shown(readBlock(tiff), c.name), c.expected)
                << c.name << " big-endian " << bigEndian;
        }
    }
}

TEST(ExifFormatting, GpsDirectoryEntries) {
    TiffBuilder t;
    t.gps = {{0x0000, 1, 4, std::string("\x02\x02\x00\x00", 4)},
             {0x0001, 2, 2, std::string("N\0", 2)},
             {0x0002, 5, 3, t.rational(40, 1) + t.rational(2655, 100) + t.rational(0, 1)},
             {0x0004, 5, 3, t.rational(3, 1) + t.rational(41, 1) + t.rational(4, 1)},
             {0x0007, 5, 3, t.rational(12, 1) + t.rational(30, 1) + t.rational(5, 1)}};
    TImageInfo info = readBlock(t);
    EXPECT_EQ(shown(info, "GPSLatitudeRef"), "N");
    EXPECT_EQ(shown(info, "GPSLatitude"), "40 Degrees 26 Minutes 33 Seconds");
    EXPECT_EQ(shown(info, "GPSLongitude"), "3 Degrees 41 Minutes 4 Seconds");
    EXPECT_EQ(shown(info, "GPSTimeStamp"), "12:30:5");
    EXPECT_EQ(shown(info, "GPSVersionID"), "<absent>");
}

TEST(ExifFormatting, DerivesThe35mmFocalLengthFromTheSensorSize) {
    struct Case {
        const char* what;
        uint16_t unit;
        uint32_t resolution; // pixels per unit for 3600 x 2400 pixels on 36 x 24 mm
        bool given;
        const char* expected;
    };
    const Case cases[] = {
        {"inch", 2, 2540, false, "50.00"},
        {"centimetre", 3, 1000, false, "50.00"},
        {"no unit", 1, 2540, false, "<absent>"},
        {"recorded by the camera", 2, 2540, true, "75.00 mm"},
    };
    for (const Case& c : cases) {
        TiffBuilder t;
        t.exif = {t.rationalEntry(0x920A, 50, 1),
                  t.longEntry(0xA002, 3600),
                  t.longEntry(0xA003, 2400),
                  t.rationalEntry(0xA20E, c.resolution, 1),
                  t.rationalEntry(0xA20F, c.resolution, 1),
                  t.shortEntry(0xA210, c.unit)};
        if (c.given)
            t.exif.push_back(t.shortEntry(0xA405, 75));
        EXPECT_EQ(shown(readBlock(t), "FocalLengthin35mmFilm"), c.expected) << c.what;
    }
}

TEST(ExifReader, RecordsCameraFactsAndTheThumbnailDirectory) {
    TiffBuilder t(true);
    t.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker Inc"),
              TiffBuilder::asciiEntry(0x0110, "Model 1"),
              TiffBuilder::asciiEntry(0x0132, "2024:01:02 03:04:05")};
    t.exif = {t.shortEntry(0x9209, 9), {0x9000, 7, 4, "0230"}};
    t.ifd1 = {t.shortEntry(0x0103, 6), t.longEntry(0x0201, 1234)};
    TImageInfo info = readBlock(t);
    EXPECT_TRUE(info.MotorolaOrder());
    EXPECT_EQ(info.CameraMake(), "Maker Inc");
    EXPECT_EQ(info.CameraModel(), "Model 1");
    EXPECT_EQ(info.DateTime(), "2024:01:02 03:04:05");
    EXPECT_EQ(info.ExifVersion(), "0230");
    EXPECT_EQ(info.FlashValue(), 9);
    EXPECT_EQ(info.ThumbnailCompression(), 6);
    ASSERT_EQ(info.ThumbnailEntries().size(), 2u);
    EXPECT_EQ(info.FindEntry("JPEGInterchangeFormat"), nullptr); // IFD1 is not in the shown list
    EXPECT_EQ(info.NumericValue("Flash"), 9);
}

TEST(ExifReader, RefusesBlocksWithoutTheExifHeaderOrByteOrder) {
    TImageInfo noHeader;
    noHeader.ReadJpegBlock(std::string("\x00\x10http://ns.adobe", 17));
    EXPECT_EQ(noHeader.ErrorText(), "Incorrect Exif header");
    TImageInfo noOrder;
    noOrder.ReadJpegBlock(std::string("\x00\x10"
                                      "Exif\0\0XX\x2A\x00",
                                      12));
    EXPECT_EQ(noOrder.ErrorText(), "Invalid Exif alignment marker");
    EXPECT_EQ(noOrder.Count(), 0);
}

// A maker note placed in the EXIF directory; notes whose offsets count from
// the EXIF base are built twice, the second time knowing where they landed.
struct MakerCase {
    const char* make;
    std::string (*note)(const TiffBuilder& t, uint32_t notePosition);
    const char* entryName;
    const char* expected;
};

std::string directoryAt(const TiffBuilder& t, const std::vector<TiffEntry>& entries,
                        uint32_t start) {
    return t.directory(entries, start);
}

const MakerCase kMakerCases[] = {
    {"NIKON",
     [](const TiffBuilder&, uint32_t) {
         TiffBuilder inner(true); // a note with its own big-endian TIFF header
         return std::string("Nikon\0\x02\x10\0\0", 10) + "MM" + inner.u16(42) + inner.u32(8) +
                inner.directory({{0x0002, 3, 2, inner.u16(0) + inner.u16(200)},
                                 TiffBuilder::asciiEntry(0x0004, "NORMAL")},
                                8);
     },
     "Quality", "NORMAL"},
    {"NIKON",
     [](const TiffBuilder& t, uint32_t at) {
         return std::string("Nikon\0\x01\x00", 8) +
                directoryAt(t, {TiffBuilder::asciiEntry(0x0004, "FINE JPEG")}, at + 8);
     },
     "Quality", "FINE JPEG"},
    {"OLYMPUS OPTICAL",
     [](const TiffBuilder& t, uint32_t at) {
         return std::string("OLYMP\0\x01\x00", 8) +
                directoryAt(t, {TiffBuilder::asciiEntry(0x0207, "SX756")}, at + 8);
     },
     "CameraType", "SX756"},
    {"OLYMPUS IMAGING",
     [](const TiffBuilder&, uint32_t) {
         TiffBuilder little(false); // the note's own byte order, offsets from the note
         return std::string("OLYMPUS\0II\x03\x00", 12) +
                little.directory({TiffBuilder::asciiEntry(0x0207, "NEWTYPE")}, 12);
     },
     "CameraType", "NEWTYPE"},
    {"SEIKO EPSON CORP.",
     [](const TiffBuilder& t, uint32_t at) {
         return std::string("EPSON\0\x01\x00", 8) +
                directoryAt(t, {t.shortEntry(0x0201, 2)}, at + 8);
     },
     "Quality", "2"},
    {"CASIO",
     [](const TiffBuilder& t, uint32_t at) {
         return directoryAt(t, {t.shortEntry(0x0014, 100)}, at);
     },
     "ISO", "100"},
    {"CASIO COMPUTER",
     [](const TiffBuilder& t, uint32_t at) {
         return std::string("QVC\0\0\0", 6) + directoryAt(t, {t.longEntry(0x001D, 72)}, at + 6);
     },
     "FocalLength", "72"},
    {"FUJIFILM",
     [](const TiffBuilder&, uint32_t) {
         TiffBuilder little(false); // always little-endian, offsets from the note
         return std::string("FUJIFILM\x0C\0\0\0", 12) +
                little.directory({TiffBuilder::asciiEntry(0x1000, "NORMAL ")}, 12);
     },
     "Quality", "NORMAL "},
    {"Canon",
     [](const TiffBuilder& t, uint32_t at) {
         return directoryAt(t, {TiffBuilder::asciiEntry(0x0009, "Jane Example")}, at);
     },
     "OwnerName", "Jane Example"},
    {"SANYO Electric",
     [](const TiffBuilder& t, uint32_t at) {
         return std::string("SANYO\0\x01\x00", 8) +
                directoryAt(t, {t.shortEntry(0x0201, 7)}, at + 8);
     },
     "SanyoQuality", "7"},
    {"Minolta Co., Ltd.",
     [](const TiffBuilder& t, uint32_t at) {
         return directoryAt(t, {TiffBuilder::asciiEntry(0x010C, "LENS 50")}, at);
     },
     "LensType", "LENS 50"},
};

TImageInfo readWithMakerNote(const MakerCase& c, bool bigEndian) {
    TiffBuilder t(bigEndian);
    t.ifd0 = {TiffBuilder::asciiEntry(0x010F, c.make)};
    std::string note = c.note(t, 0);
    t.exif = {t.shortEntry(0x9209, 0), {0x927C, 7, static_cast<uint32_t>(note.size()), note}};
    auto position = static_cast<uint32_t>(t.tiff().find(note.substr(0, 6)));
    if (note.substr(0, 6) == std::string(6, '\0') ||
        position == static_cast<uint32_t>(std::string::npos))
        ADD_FAILURE() << "note not found";
    note = c.note(t, position);
    t.exif.back().value = note;
    return readBlock(t);
}

TEST(MakerNotes, DecodesTheNotesOfEachKnownMaker) {
    for (const MakerCase& c : kMakerCases) {
        for (bool bigEndian : {false, true}) {
            TImageInfo info = readWithMakerNote(c, bigEndian);
            const TTagEntry* entry = nullptr;
            for (const TTagEntry& candidate : info.Entries())
                if (candidate.tableId == 1 && candidate.name == c.entryName)
                    entry = &candidate;
            ASSERT_NE(entry, nullptr) << c.make << " big-endian " << bigEndian;
            EXPECT_EQ(entry->value, c.expected) << c.make;
        }
    }
}

TEST(MakerNotes, OtherMakersGiveNoMakerEntries) {
    MakerCase other = kMakerCases[8];
    other.make = "PENTAX Corporation";
    TImageInfo info = readWithMakerNote(other, false);
    for (const TTagEntry& entry : info.Entries())
        EXPECT_EQ(entry.tableId, 0) << entry.name;
    EXPECT_NE(info.FindEntry("MakerNote"), nullptr);
}

TEST(TiffFiles, AreReadFromTheFirstDirectoryAtOffsetEight) {
    TempFolder folder;
    TiffBuilder t(true);
    t.ifd0 = {t.longEntry(0x0100, 300), t.longEntry(0x0101, 200),
              TiffBuilder::asciiEntry(0x010F, "NIKON")};
    writeFile(folder / "camera.nef", t.tiff());
    writeFile(folder / "bad.tif", "XX not a tiff");
    TimgData data;
    ASSERT_TRUE(data.ProcessFile(folder / "camera.nef"));
    ASSERT_TRUE(data.HasEXIF());
    EXPECT_TRUE(data.MotorolaOrder());
    EXPECT_EQ(ExifGridRows(folder / "camera.nef"),
              (std::vector<ExifGridRow>{
                  {"ImageWidth", "300"}, {"ImageLength", "200"}, {"Make", "NIKON"}}));
    TimgData bad;
    EXPECT_FALSE(bad.ProcessFile(folder / "bad.tif"));
}

TEST(ExifGrid, ShowsEntriesInOrderWithTheFirstValueOfEachName) {
    TempFolder folder;
    TiffBuilder t;
    t.ifd0 = {TiffBuilder::asciiEntry(0x010F, "Maker"), t.shortEntry(0x0112, 1)};
    t.exif = {t.rationalEntry(0x829A, 1, 60), t.rationalEntry(0x920E, 300, 1),
              t.rationalEntry(0xA20E, 400, 1)};
    writeFile(folder / "a.jpg", withSegments(plainJpeg(), jpegSegment(0xE1, t.exifPayload())));
    writeFile(folder / "none.jpg", plainJpeg());
    EXPECT_EQ(ExifGridRows(folder / "a.jpg"),
              (std::vector<ExifGridRow>{{"Make", "Maker"},
                                        {"Orientation", "Normal"},
                                        {"ExifOffset", "56"},
                                        {"ExposureTime", "1/60 sec"},
                                        {"FocalPlaneXResolution", "300/1"},
                                        {"FocalPlaneXResolution", "300/1"}}));
    EXPECT_EQ(ExifGridRows(folder / "none.jpg"),
              (std::vector<ExifGridRow>{{"EXIF data", "No EXIF data"}}));
    EXPECT_TRUE(ExifGridRows(folder / "missing.jpg").empty());
}

} // namespace
} // namespace orvella
