#include "metadata/ImageInfo.h"

#include "metadata/ExifFormat.h"
#include "metadata/ExifTables.h"
#include "metadata/MakerNotes.h"
#include "shell/TextUtil.h"

#include <cmath>
#include <stdexcept>

namespace orvella {

namespace {

constexpr uint16_t kTagImageWidth = 0x0100;
constexpr uint16_t kTagImageLength = 0x0101;
constexpr uint16_t kTagCompression = 0x0103;
constexpr uint16_t kTagMake = 0x010F;
constexpr uint16_t kTagModel = 0x0110;
constexpr uint16_t kTagDateTime = 0x0132;
constexpr uint16_t kTagSubIFDs = 0x014A;
constexpr uint16_t kTagExifOffset = 0x8769;
constexpr uint16_t kTagGPSInfo = 0x8825;
constexpr uint16_t kTagExifVersion = 0x9000;
constexpr uint16_t kTagDateTimeOriginal = 0x9003;
constexpr uint16_t kTagDateTimeDigitized = 0x9004;
constexpr uint16_t kTagFlash = 0x9209;
constexpr uint16_t kTagMakerNote = 0x927C;
constexpr uint16_t kTagExifImageWidth = 0xA002;
constexpr uint16_t kTagExifImageLength = 0xA003;
constexpr uint16_t kTagInteroperabilityOffset = 0xA005;
constexpr uint16_t kTagFocalLength35mm = 0xA405;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;

// Bounds on the work one block can cause, whatever its bytes: nested links,
// directories and entries read.
constexpr int kMaxDepth = 16;
constexpr size_t kMaxDirectories = 256;
constexpr size_t kMaxEntries = 20000;

constexpr double kFullFrameDiagonal = 43.26661531;
constexpr const char* kIllegalDirectory = "Illegally sized directory";

std::string asciiText(const std::string& raw, size_t maximum) {
    std::string text = raw.substr(0, raw.find('\0'));
    return text.substr(0, maximum);
}

} // namespace

uint16_t TImageInfo::u16(size_t position, bool bigEndian) const {
    return readUnsigned16(reinterpret_cast<const unsigned char*>(block_.data()) + position,
                          bigEndian);
}

uint32_t TImageInfo::u32(size_t position, bool bigEndian) const {
    return readUnsigned32(reinterpret_cast<const unsigned char*>(block_.data()) + position,
                          bigEndian);
}

void TImageInfo::ReadJpegBlock(std::string segmentData) {
    block_ = std::move(segmentData);
    if (std::string_view(block_).substr(std::min<size_t>(2, block_.size()), 5) !=
        std::string_view("Exif\0", 5)) {
        errorText_ = "Incorrect Exif header";
        return;
    }
    constexpr size_t base = 8;
    std::string_view mark = std::string_view(block_).substr(std::min(base, block_.size()), 2);
    if (mark != "II" && mark != "MM") {
        errorText_ = "Invalid Exif alignment marker";
        return;
    }
    bigEndian_ = mark == "MM";
    if (!has(12, 4))
        return;
    uint32_t offset = u32(12, bigEndian_);
    Directory first;
    first.position = offset == 0 ? 16 : base + offset;
    first.base = base;
    first.limit = block_.size() >= 6 ? block_.size() - 6 : 0;
    first.table = &mainTagTable();
    first.bigEndian = bigEndian_;
    readDirectory(first, EntryList::main, true, 0);
    deriveFocalLength35mm();
}

void TImageInfo::ReadTiffBlock(std::string block) {
    block_ = std::move(block);
    std::string_view mark = std::string_view(block_).substr(0, 2);
    if (mark != "II" && mark != "MM")
        return;
    bigEndian_ = mark == "MM";
    Directory first;
    first.position = 8;
    first.base = 0;
    first.limit = block_.size();
    first.table = &mainTagTable();
    first.bigEndian = bigEndian_;
    readDirectory(first, EntryList::main, false, 0);
    deriveFocalLength35mm();
}

void TImageInfo::readDirectory(const Directory& directory, EntryList list, bool firstOfJpeg,
                               int depth) {
    if (depth > kMaxDepth || directoriesRead_.size() >= kMaxDirectories)
        return;
    if (!directoriesRead_.insert({directory.position, directory.base}).second)
        return; // read before: a cycle or a shared directory
    if (!has(directory.position, 2)) {
        errorText_ = kIllegalDirectory;
        return;
    }
    uint64_t count = u16(directory.position, directory.bigEndian);
    uint64_t entriesLength = 12 * count;
    if (entriesLength + 2 > directory.base + directory.limit ||
        !has(directory.position + 2, entriesLength)) {
        errorText_ = kIllegalDirectory;
        return;
    }
    for (uint64_t i = 0; i < count && entriesSeen_ < kMaxEntries; ++i)
        readEntry(directory, directory.position + 2 + 12 * i, list, depth);

    size_t nextLink = directory.position + 2 + entriesLength;
    if (firstOfJpeg && has(nextLink, 4)) {
        uint32_t next = u32(nextLink, directory.bigEndian);
        if (next != 0) {
            Directory thumbnail = directory;
            thumbnail.position = directory.base + next;
            readDirectory(thumbnail, EntryList::thumbnail, false, depth + 1);
        }
    }
}

void TImageInfo::readEntry(const Directory& directory, size_t at, EntryList list, int depth) {
    ++entriesSeen_;
    uint16_t tag = u16(at, directory.bigEndian);
    uint16_t type = u16(at + 2, directory.bigEndian);
    uint64_t length = uint64_t{u32(at + 4, directory.bigEndian)} * exifTypeSize(type);
    if (length == 0)
        return;
    size_t valuePosition = at + 8;
    if (length > 4) {
        uint64_t offsetPosition = uint64_t{directory.base} + u32(at + 8, directory.bigEndian);
        if (offsetPosition > block_.size() || !has(static_cast<size_t>(offsetPosition), length))
            return; // the value lies outside the block
        valuePosition = static_cast<size_t>(offsetPosition);
    }
    const ExifTagRow* row = findTagRow(*directory.table, tag);
    if (row == nullptr || row->tag == 0)
        return;

    TTagEntry entry;
    entry.tableId = directory.tableId;
    entry.type = type;
    entry.tag = tag;
    entry.name = entry.description = row->name;
    entry.code = row->decode;
    entry.format = row->format;
    entry.callback = row->callback;
    entry.raw = block_.substr(valuePosition, static_cast<size_t>(length));
    entry.rawPosition = static_cast<int32_t>(at + 8);
    std::string text = formatExifValue(type, entry.raw, directory.bigEndian, entry.code);
    if (!entry.format.empty())
        text = applyDisplayFormat(entry.format, text,
                                  firstExifNumber(type, entry.raw, directory.bigEndian));
    entry.value = entry.callback != nullptr ? entry.callback(entry, text) : plainShownValue(text);

    bool mainEntry = directory.tableId == 0;
    if (mainEntry)
        rememberEntry(entry, list, directory.bigEndian);
    std::vector<TTagEntry>& target = list == EntryList::main ? entries_ : thumbnailEntries_;
    if (list == EntryList::main)
        entryBigEndian_.push_back(directory.bigEndian);
    target.push_back(entry);
    if (mainEntry)
        followLink(directory, target.back(), valuePosition, depth);
}

void TImageInfo::followLink(const Directory& directory, const TTagEntry& entry,
                            size_t valuePosition, int depth) {
    Directory linked = directory;
    switch (entry.tag) {
    case kTagSubIFDs:
    case kTagExifOffset:
    case kTagInteroperabilityOffset:
        linked.table = &mainTagTable();
        break;
    case kTagGPSInfo:
        linked.table = &gpsTagTable();
        break;
    case kTagMakerNote:
        readMakerNote(directory, valuePosition, entry.raw.size(), depth);
        return;
    default:
        return;
    }
    linked.position = directory.base + static_cast<size_t>(firstItem(entry, directory.bigEndian));
    readDirectory(linked, EntryList::main, false, depth + 1);
}

uint64_t TImageInfo::firstItem(const TTagEntry& entry, bool bigEndian) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(entry.raw.data());
    if (entry.type == kTypeShort && entry.raw.size() >= 2)
        return readUnsigned16(bytes, bigEndian);
    if (entry.raw.size() >= 4)
        return readUnsigned32(bytes, bigEndian);
    return 0;
}

// A pixel count the IPTC writer may correct: one SHORT or LONG value.
void TImageInfo::recordDimension(const TTagEntry& entry, bool bigEndian, int64_t& value,
                                 int32_t& position, uint16_t& type) const {
    bool single = (entry.type == kTypeShort && entry.raw.size() == 2) ||
                  (entry.type == kTypeLong && entry.raw.size() == 4);
    if (!single)
        return;
    value = static_cast<int64_t>(firstItem(entry, bigEndian));
    position = entry.rawPosition;
    type = entry.type;
}

void TImageInfo::rememberEntry(const TTagEntry& entry, EntryList list, bool bigEndian) {
    if (list == EntryList::thumbnail) {
        if (entry.tag == kTagCompression)
            thumbnailCompression_ = static_cast<int64_t>(firstItem(entry, bigEndian));
        return;
    }
    switch (entry.tag) {
    case kTagImageWidth:
    case kTagExifImageWidth:
        recordDimension(entry, bigEndian, pixelSize_.width, pixelSize_.widthPosition,
                        pixelSize_.widthType);
        break;
    case kTagImageLength:
    case kTagExifImageLength:
        recordDimension(entry, bigEndian, pixelSize_.height, pixelSize_.heightPosition,
                        pixelSize_.heightType);
        break;
    case kTagMake:
        make_ = asciiText(entry.raw, 32);
        break;
    case kTagModel:
        model_ = asciiText(entry.raw, 40);
        break;
    case kTagDateTime:
        dateTime_ = asciiText(entry.raw, 20);
        break;
    case kTagExifVersion:
        exifVersion_ = entry.raw.substr(0, 6);
        break;
    case kTagDateTimeOriginal:
        dateTimeOriginalPosition_ = entry.rawPosition;
        break;
    case kTagDateTimeDigitized:
        dateTimeDigitizedPosition_ = entry.rawPosition;
        break;
    case kTagFlash:
        flash_ = static_cast<int64_t>(firstItem(entry, bigEndian));
        break;
    case kTagMakerNote:
        makerNote_ = entry.raw;
        makerNotePosition_ = entry.rawPosition;
        break;
    default:
        break;
    }
}

void TImageInfo::readMakerNote(const Directory& parent, size_t position, size_t length, int depth) {
    std::string maker = toUpperAscii(make_.substr(0, 5));
    std::string_view note = std::string_view(block_).substr(position, length);
    std::optional<MakerNoteLayout> layout = makerNoteLayout(maker, note);
    if (!layout)
        return;
    try {
        Directory directory;
        directory.position = position + layout->directoryOffset;
        directory.base = layout->offsetsFromNote ? position + layout->baseInNote : parent.base;
        directory.limit = parent.limit;
        directory.table = layout->table;
        directory.tableId = 1;
        directory.bigEndian = layout->bigEndian.value_or(parent.bigEndian);
        readDirectory(directory, EntryList::main, false, depth + 1);
    } catch (const std::exception& error) {
        errorText_ = std::string("Error Detected = ") + error.what();
    }
}

const TTagEntry* TImageInfo::FindEntry(std::string_view name) const {
    for (const TTagEntry& entry : entries_)
        if (equalsIgnoringCase(entry.name, name))
            return &entry;
    return nullptr;
}

double TImageInfo::NumericValue(std::string_view name) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (equalsIgnoringCase(entries_[i].name, name))
            return firstExifNumber(entries_[i].type, entries_[i].raw, entryBigEndian_[i]);
    return 0;
}

// Cameras that do not record the 35 mm equivalent: derive it from the
// sensor size given by the pixel counts and the focal plane resolutions.
void TImageInfo::deriveFocalLength35mm() {
    if (FindEntry("FocalLengthin35mmFilm") != nullptr)
        return;
    const char* unitName = FindEntry("FocalPlaneResolutionUnit") != nullptr
                               ? "FocalPlaneResolutionUnit"
                               : "ResolutionUnit";
    double unit = NumericValue(unitName);
    double unitLength = unit == 2 ? 25.4 : unit == 3 ? 10 : 0;
    double focalLength = NumericValue("FocalLength");
    if (unitLength == 0 || focalLength == 0)
        return;
    double xResolution = NumericValue("FocalPlaneXResolution");
    double yResolution = NumericValue("FocalPlaneYResolution");
    double width = xResolution > 0 ? NumericValue("ExifImageWidth") * unitLength / xResolution : 0;
    double height =
        yResolution > 0 ? NumericValue("ExifImageLength") * unitLength / yResolution : 0;
    if (width <= 0 || height <= 0)
        return;
    TTagEntry entry;
    entry.tag = kTagFocalLength35mm;
    entry.name = entry.description = "FocalLengthin35mmFilm";
    entry.value =
        formatNumber("%5.2f", focalLength * kFullFrameDiagonal / std::hypot(width, height));
    entries_.push_back(entry);
    entryBigEndian_.push_back(bigEndian_);
}

void TImageInfo::PatchValue(std::string& block, int32_t position, uint16_t type,
                            unsigned value) const {
    if (position < 0)
        return;
    auto at = static_cast<size_t>(position);
    size_t size = type == kTypeShort ? 2 : type == kTypeLong ? 4 : 0;
    if (size == 0 || at > block.size() || block.size() - at < size)
        return;
    for (size_t i = 0; i < size; ++i) {
        size_t shift = 8 * (bigEndian_ ? size - 1 - i : i);
        block[at + i] = static_cast<char>((value >> shift) & 0xFF);
    }
}

} // namespace orvella
