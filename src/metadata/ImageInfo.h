#pragma once

#include "metadata/TagEntry.h"

#include <optional>

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvella {

struct ExifTagRow;

// The EXIF reader: walks the TIFF directories of an EXIF block (or of the
// first bytes of a TIFF file) and keeps one formatted entry per recognised
// tag. Every offset and count taken from the block is checked against it
// before use, and each directory is read at most once.
class TImageInfo {
public:
    // What the IPTC writer corrects when the frame size differs.
    struct PixelSize {
        int64_t width = 0;
        int32_t widthPosition = -1;
        uint16_t widthType = 0;
        int64_t height = 0;
        int32_t heightPosition = -1;
        uint16_t heightType = 0;
    };

    explicit TImageInfo(int buildOptions = 255) : buildOptions_(buildOptions) {}

    // The APP1 segment's data (two length bytes, "Exif\0\0", TIFF header...).
    void ReadJpegBlock(std::string segmentData);
    // The first bytes of a TIFF file; the first directory is at offset 8.
    void ReadTiffBlock(std::string block);

    int Count() const { return static_cast<int>(entries_.size()); }
    const TTagEntry& Entry(int index) const { return entries_.at(static_cast<size_t>(index)); }
    const std::vector<TTagEntry>& Entries() const { return entries_; }
    const std::vector<TTagEntry>& ThumbnailEntries() const { return thumbnailEntries_; }
    // The first entry of that name (ignoring case), or nullptr.
    const TTagEntry* FindEntry(std::string_view name) const;
    // The first item of the named entry as a number (a rational divided
    // out); 0 when there is no such entry.
    double NumericValue(std::string_view name) const;

    const PixelSize& RecordedPixelSize() const { return pixelSize_; }
    // Overwrites the value field at position with value, in the block's byte
    // order and the entry's own type (SHORT or LONG).
    void PatchValue(std::string& block, int32_t position, uint16_t type, unsigned value) const;

    bool MotorolaOrder() const { return bigEndian_; }
    const std::string& ErrorText() const { return errorText_; }
    const std::string& CameraMake() const { return make_; }
    const std::string& CameraModel() const { return model_; }
    const std::string& DateTime() const { return dateTime_; }
    const std::string& ExifVersion() const { return exifVersion_; }
    int32_t DateTimeOriginalPosition() const { return dateTimeOriginalPosition_; }
    int32_t DateTimeDigitizedPosition() const { return dateTimeDigitizedPosition_; }
    int64_t FlashValue() const { return flash_; }
    int64_t ThumbnailCompression() const { return thumbnailCompression_; }
    const std::string& MakerNote() const { return makerNote_; }
    int32_t MakerNotePosition() const { return makerNotePosition_; }

    // How one directory is read: where offsets count from, how far the
    // directory may reach, which table names its tags, and the byte order.
    struct Directory {
        size_t position = 0;
        size_t base = 0;
        size_t limit = 0;
        const std::vector<ExifTagRow>* table = nullptr;
        int tableId = 0;
        bool bigEndian = false;
    };

private:
    enum class EntryList { main, thumbnail };

    void readDirectory(const Directory& directory, EntryList list, bool firstOfJpeg, int depth);
    void readEntry(const Directory& directory, size_t at, EntryList list, int depth);
    void followLink(const Directory& directory, const TTagEntry& entry, size_t valuePosition,
                    int depth);
    void recordDimension(const TTagEntry& entry, bool bigEndian, int64_t& value, int32_t& position,
                         uint16_t& type) const;
    void rememberEntry(const TTagEntry& entry, EntryList list, bool bigEndian);
    void readMakerNote(const Directory& parent, size_t position, size_t length, int depth);
    void deriveFocalLength35mm();

    bool has(size_t position, uint64_t length) const {
        return position <= block_.size() && length <= block_.size() - position;
    }
    uint16_t u16(size_t position, bool bigEndian) const;
    uint32_t u32(size_t position, bool bigEndian) const;
    uint64_t firstItem(const TTagEntry& entry, bool bigEndian) const;

    int buildOptions_;
    std::string block_;
    bool bigEndian_ = false;
    std::vector<TTagEntry> entries_;
    std::vector<TTagEntry> thumbnailEntries_;
    std::vector<bool> entryBigEndian_; // byte order of each main entry
    std::set<std::pair<size_t, size_t>> directoriesRead_;
    size_t entriesSeen_ = 0;
    PixelSize pixelSize_;
    std::string make_, model_, dateTime_, exifVersion_;
    int32_t dateTimeOriginalPosition_ = -1;
    int32_t dateTimeDigitizedPosition_ = -1;
    int64_t flash_ = -1;
    int64_t thumbnailCompression_ = -1;
    std::string makerNote_;
    int32_t makerNotePosition_ = -1;
    std::string errorText_;
};

} // namespace orvella
