// Malformed and hostile metadata: every case must end quickly with no or
// partial metadata, without a crash (the sanitizer build runs these too).
#include "MetadataFixtures.h"

#include "metadata/IPTCData.h"
#include "metadata/ImageInfo.h"
#include "metadata/ImgData.h"
#include "metadata/JpegImage.h"

#include <chrono>
#include <gtest/gtest.h>

namespace orvella {
namespace {

using namespace test;

struct HostileExif {
    const char* what;
    std::string segmentData;    // what the reader is given
    const char* survivingEntry; // an entry that must still be read, or nullptr
};

std::string lengthBytes(size_t length) {
    return std::string{static_cast<char>((length >> 8) & 0xFF), static_cast<char>(length & 0xFF)};
}

// IFD0 at TIFF offset 8 with the given raw entries (12 bytes each).
std::string rawBlock(const TiffBuilder& t, const std::vector<std::string>& entries,
                     const std::string& after = "") {
    std::string tiff = "II" + t.u16(42) + t.u32(8) + t.u16(static_cast<uint16_t>(entries.size()));
    for (const std::string& entry : entries)
        tiff += entry;
    tiff += t.u32(0) + after;
    std::string payload = std::string("Exif\0\0", 6) + tiff;
    return lengthBytes(payload.size() + 2) + payload;
}

std::string rawEntry(const TiffBuilder& t, uint16_t tag, uint16_t type, uint32_t count,
                     uint32_t value) {
    return t.u16(tag) + t.u16(type) + t.u32(count) + t.u32(value);
}

std::vector<HostileExif> hostileExifBlocks() {
    TiffBuilder t;
    std::string make = rawEntry(t, 0x010F, 2, 4, 0x0041424D); // "MBA\0" inline
    std::vector<HostileExif> cases = {
        {"IFD pointing to itself", rawBlock(t, {make, rawEntry(t, 0x8769, 4, 1, 8)}), "Make"},
        {"two-IFD cycle",
         rawBlock(t, {make, rawEntry(t, 0x8769, 4, 1, 38)},
                  t.u16(1) + rawEntry(t, 0x8769, 4, 1, 8) + t.u32(0)),
         "Make"},
        {"IFD1 pointing back to IFD0",
         [&] {
             std::string block = rawBlock(t, {make});
             block.replace(block.size() - 4, 4, t.u32(8));
             return block;
         }(),
         "Make"},
        {"value offset past the end", rawBlock(t, {make, rawEntry(t, 0x010E, 2, 100, 0xFFFFFF00)}),
         "Make"},
        {"byte length overflowing 32 bits",
         rawBlock(t, {make, rawEntry(t, 0x829A, 5, 0x20000001, 20)}), "Make"},
        {"count of 0xFFFFFFFF", rawBlock(t, {make, rawEntry(t, 0x010E, 2, 0xFFFFFFFF, 20)}),
         "Make"},
        {"directory count beyond the block",
         rawBlock(t, {make, rawEntry(t, 0x8769, 4, 1, 38)}, t.u16(0xFFFF)), "Make"},
        {"link past the end", rawBlock(t, {make, rawEntry(t, 0x8825, 4, 1, 0xFFFFFFF0)}), "Make"},
        {"first directory past the end",
         [&] {
             std::string block = rawBlock(t, {make});
             block.replace(14, 4, t.u32(0x7FFFFFFF));
             return block;
         }(),
         nullptr},
        {"block cut inside the header",
         std::string("\x00\x0A"
                     "Exif\0\0II",
                     10),
         nullptr},
        {"block cut inside an entry", rawBlock(t, {make, make}).substr(0, 30), nullptr},
        {"unknown field type", rawBlock(t, {make, rawEntry(t, 0x010E, 99, 4, 0)}), "Make"},
    };
    // A chain of SubIFDs links deeper than any real file: reading stops.
    std::string chain;
    uint32_t at = 8 + 2 + 12 + 4;
    for (int i = 0; i < 200; ++i, at += 18)
        chain += t.u16(1) + rawEntry(t, 0x014A, 4, 1, at + 18) + t.u32(0);
    cases.push_back({"long chain of linked directories",
                     rawBlock(t, {rawEntry(t, 0x014A, 4, 1, 26)}, chain), nullptr});
    // A maker note whose offsets are shifted past the block.
    std::string note = t.u16(1) + rawEntry(t, 0x0009, 2, 40, 0x00FFFF00) + t.u32(0);
    std::string makeCanon = rawEntry(t, 0x010F, 2, 6, 8 + 2 + 12 * 2 + 4);
    cases.push_back({"maker note with shifted offsets",
                     rawBlock(t,
                              {makeCanon, rawEntry(t, 0x927C, 7, static_cast<uint32_t>(note.size()),
                                                   8 + 2 + 24 + 4 + 6)},
                              std::string("Canon\0", 6) + note),
                     "Make"});
    // A maker note whose directory claims more entries than it holds.
    std::string bigNote = t.u16(0x4000) + rawEntry(t, 0x0001, 3, 1, 1);
    cases.push_back(
        {"maker note directory overrunning the block",
         rawBlock(t,
                  {makeCanon, rawEntry(t, 0x927C, 7, static_cast<uint32_t>(bigNote.size()),
                                       8 + 2 + 24 + 4 + 6)},
                  std::string("Canon\0", 6) + bigNote),
         "Make"});
    return cases;
}

template <typename Work> void expectQuick(const char* what, Work work) {
    auto start = std::chrono::steady_clock::now();
    work();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(2)) << what;
}

TEST(HostileInput, ExifBlocksEndQuicklyWithPartialMetadata) {
    for (const HostileExif& c : hostileExifBlocks()) {
        expectQuick(c.what, [&] {
            TImageInfo info;
            info.ReadJpegBlock(c.segmentData);
            if (c.survivingEntry != nullptr) {
                EXPECT_NE(info.FindEntry(c.survivingEntry), nullptr) << c.what;
            }
            EXPECT_LE(info.Count(), 300) << c.what;

            // The same bytes inside a JPEG, read and rewritten in memory.
            TimgData data;
            std::string jpeg = withSegments(plainJpeg(), "\xFF\xE1" + c.segmentData);
            data.ReadJpegSections(jpeg);
            data.CreateEmptyIPTC();
            data.IptcObj()->SetTag("ObjectName", "x");
            data.SetIPTCSegment(data.IptcObj()->BuildIPTCBlock());
            std::string rewritten = data.ComposeJpeg(TJpegImage::FromBytes(jpeg), true);
            EXPECT_EQ(scanData(rewritten), scanData(jpeg)) << c.what;
        });
    }
}

TEST(HostileInput, JpegSegmentsEndQuicklyWithPartialMetadata) {
    std::string iptc = jpegSegment(0xED, photoshopPayload(iptcDataset(2, 5, "Name")));
    std::string longDataset =
        jpegSegment(0xED, std::string("Photoshop 3.0\0", 14) + "8BIM\x04\x04" +
                              std::string(6, '\0') + std::string("\x1C\x02\x05\xFF\xFFshort", 10));
    struct Case {
        const char* what;
        std::string bytes;
        bool found;
    };
    const Case cases[] = {
        {"IPTC dataset longer than the segment", withSegments(plainJpeg(), longDataset), true},
        {"segment length below 2",
         withSegments(plainJpeg(), iptc + std::string("\xFF\xFE\x00\x00", 4)), false},
        {"file ending inside a segment",
         std::string("\xFF\xD8", 2) + iptc.substr(0, iptc.size() - 3), false},
        {"file ending after the markers' FF bytes", std::string("\xFF\xD8\xFF\xFF\xFF", 5), false},
        {"only SOI", std::string("\xFF\xD8", 2), false},
        {"empty file", "", false},
    };
    for (const Case& c : cases) {
        expectQuick(c.what, [&] {
            TimgData data;
            EXPECT_EQ(data.ReadJpegSections(c.bytes), c.found) << c.what;
            if (data.IptcObj() != nullptr) {
                data.IptcObj()->ParseIPTC();
                EXPECT_EQ(data.IptcObj()->GetEntry(0).value, "short") << c.what;
            }
            EXPECT_ANY_THROW(TJpegImage::FromBytes(c.bytes.substr(0, 40))) << c.what;
        });
    }
}

} // namespace
} // namespace orvella
