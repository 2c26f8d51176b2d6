#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvella {

class TIPTCdata;
class TImageInfo;
class TJpegImage;
class SegmentSource;

// One JPEG segment: data holds the two length bytes and the payload exactly
// as in the file (without the FF marker prefix and the type byte).
struct tSection {
    std::string data;
    int32_t type = 0;
    int32_t size = 0; // the length field, counting its own two bytes
    int32_t base = 0; // offset of the segment's FF marker in the file (0 for a new one)
};

// The metadata segments of one JPEG file (EXIF APP1, IPTC APP13, JFIF APP0
// and a comment), and the rewrite of the file from them plus the rest of the
// file as it was. Lives for one operation on one file.
class TimgData {
public:
    static constexpr int kSectionSlots = 20;

    explicit TimgData(int buildOptions = 255);
    ~TimgData();
    TimgData(const TimgData&) = delete;
    TimgData& operator=(const TimgData&) = delete;

    // Reads the metadata of a JPEG or TIFF file (by extension). True when an
    // EXIF, IPTC or comment segment was found, or a TIFF header was read.
    bool ProcessFile(const std::filesystem::path& file);
    // The segment scan of a JPEG held in memory (what ProcessFile runs for a
    // JPEG file after opening it).
    bool ReadJpegSections(std::string_view content);

    void CreateEmptyIPTC();
    void SetIPTCSegment(std::string_view block);
    // Replaces (or adds) the XMP packet written by the next rewrite. Throws
    // EXmpTooLarge when the packet does not fit one APP1 segment.
    void SetXmpPacket(std::string_view packet);
    // Writes the file from the kept segments and the loaded image, through a
    // temporary file in the same folder and a rename. Refuses a file whose
    // owner lacks write permission (the read-only attribute). The written
    // file has one IPTC APP13 segment, at most one EXIF segment (none after
    // ClearEXIF) and at most one XMP packet, wherever the old ones stood;
    // every other segment keeps its order.
    void WriteJpegFile(const TJpegImage& image, const std::filesystem::path& file, bool adjustSize);
    void ClearEXIF();

    bool HasEXIF() const { return exifInfo_ != nullptr; }
    const tSection* ExifSegment() const { return slot(exif_); }
    const tSection* IptcSegment() const { return slot(iptc_); }
    const tSection* CommentSegment() const { return slot(comment_); }
    const tSection* HeaderSegment() const { return slot(header_); }
    const tSection* XmpSegment() const { return slot(xmp_); }
    // The XMP packet (after the namespace signature), empty without one.
    std::string_view XmpPacket() const;
    // The payloads (after the length field) of every Photoshop APP13
    // segment read, the IPTC one first.
    std::vector<std::string_view> PhotoshopBlocks() const;
    int SectionCount() const { return sectionCount_; }
    const tSection& Section(int index) const { return sections_.at(static_cast<size_t>(index)); }

    TImageInfo* ExifObj() const { return exifInfo_.get(); }
    TIPTCdata* IptcObj() const { return iptcData_.get(); }

    const std::string& ErrorText() const { return errorText_; }
    const std::filesystem::path& FileName() const { return fileName_; }
    std::filesystem::file_time_type FileDateTime() const { return fileDateTime_; }
    uintmax_t FileSize() const { return fileSize_; }
    bool MotorolaOrder() const { return motorolaOrder_; }

    // The bytes the rewrite would produce (what WriteJpegFile stores).
    std::string ComposeJpeg(const TJpegImage& image, bool adjustSize);

private:
    void clear();
    bool readJpegFile(std::FILE* file);
    bool readTiffFile(std::FILE* file);
    bool readSections(SegmentSource& source);
    bool failedRead();
    bool anyMetadataFound() const { return exif_ >= 0 || iptc_ >= 0 || comment_ >= 0; }
    bool classifySection(int index);
    void AdjustExifSize(unsigned height, unsigned width);
    // SOI and the kept segments: everything the rewrite puts before the
    // rest of the old file.
    std::string composeHead(const TJpegImage& image, bool adjustSize, size_t& bodyOffset);
    const tSection* slot(int index) const {
        return index >= 0 ? &sections_[static_cast<size_t>(index)] : nullptr;
    }

    std::array<tSection, kSectionSlots> sections_;
    int sectionCount_ = 0;
    int buildOptions_;
    int exif_ = -1;
    int iptc_ = -1;
    int comment_ = -1;
    int header_ = -1;
    int xmp_ = -1;
    std::vector<int> extraPhotoshop_; // further APP13 segments after iptc_
    bool exifCleared_ = false;
    std::filesystem::path fileName_;
    std::filesystem::file_time_type fileDateTime_{};
    uintmax_t fileSize_ = 0;
    std::string errorText_;
    std::unique_ptr<TImageInfo> exifInfo_;
    std::unique_ptr<TIPTCdata> iptcData_;
    bool motorolaOrder_ = false;
};

} // namespace orvella
