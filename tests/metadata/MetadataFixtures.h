#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvella::test {

// A small baseline JPEG (SOI, DQT, SOF, DHT, SOS, data, EOI) encoded by
// libjpeg, without any APPn or COM segment.
std::string plainJpeg(unsigned width = 16, unsigned height = 8);

// FF, the marker and a length field in front of the payload.
std::string jpegSegment(unsigned char marker, std::string_view payload);
// Inserts segments right after SOI.
std::string withSegments(const std::string& jpeg, const std::string& segments);
// The marker bytes of the segments before the scan data, in file order.
std::vector<unsigned char> segmentMarkers(std::string_view jpeg);
// The bytes from the first SOS marker on (the picture data).
std::string_view scanData(std::string_view jpeg);

// An IIM dataset: 1C, record, number, 16-bit length, value.
std::string iptcDataset(uint8_t record, uint8_t number, std::string_view value);
// An APP13 payload: "Photoshop 3.0", an 8BIM 0x0404 resource holding the
// datasets as given (no record version is added).
std::string photoshopPayload(std::string_view datasets);

// An APP1 payload holding an XMP packet with the x-default dc:title and
// xmp:CreatorTool properties.
std::string xmpPayload(std::string_view title, std::string_view creatorTool = "kept tool");

// One TIFF directory entry to lay out.
struct TiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::string value; // the value bytes, already in the block's byte order
};

// Builds the TIFF structure of an EXIF block: IFD0, and when given an EXIF
// directory, a GPS directory and IFD1, linked from IFD0.
class TiffBuilder {
public:
    explicit TiffBuilder(bool bigEndian = false) : bigEndian_(bigEndian) {}

    std::string u16(uint16_t value) const;
    std::string u32(uint32_t value) const;
    std::string rational(uint32_t numerator, uint32_t denominator) const;
    TiffEntry shortEntry(uint16_t tag, uint16_t value) const { return {tag, 3, 1, u16(value)}; }
    TiffEntry longEntry(uint16_t tag, uint32_t value) const { return {tag, 4, 1, u32(value)}; }
    TiffEntry rationalEntry(uint16_t tag, uint32_t numerator, uint32_t denominator) const {
        return {tag, 5, 1, rational(numerator, denominator)};
    }
    TiffEntry signedRationalEntry(uint16_t tag, int32_t numerator, int32_t denominator) const {
        return {tag, 10, 1,
                rational(static_cast<uint32_t>(numerator), static_cast<uint32_t>(denominator))};
    }
    static TiffEntry asciiEntry(uint16_t tag, const std::string& text) {
        return {tag, 2, static_cast<uint32_t>(text.size() + 1), text + '\0'};
    }

    std::vector<TiffEntry> ifd0, exif, gps, ifd1;

    // "II"/"MM", 42, offset 8, then the directories.
    std::string tiff() const;
    // The APP1 payload: "Exif\0\0" and the TIFF structure.
    std::string exifPayload() const { return std::string("Exif\0\0", 6) + tiff(); }
    // The APP1 segment's data as the reader sees it (length bytes first).
    std::string exifSegmentData() const;

    // A directory at offset `start` with its long values after it.
    std::string directory(const std::vector<TiffEntry>& entries, uint32_t start,
                          uint32_t next = 0) const;

private:
    bool bigEndian_;
};

// Runs a shell command line; returns its exit status (or -1 when killed by
// a signal) and collects its standard output and error.
struct CommandResult {
    int status;
    std::string output;
};
CommandResult runCommand(const std::string& commandLine);
std::string shellQuoted(const std::string& text);
std::string toolPath();

} // namespace orvella::test
