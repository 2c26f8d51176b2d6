#include "metadata/ImgData.h"

#include "metadata/IPTCData.h"
#include "metadata/ImageInfo.h"
#include "metadata/JpegImage.h"
#include "metadata/XmpPacket.h"
#include "shell/AtomicFile.h"

#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>

namespace orvella {

namespace fs = std::filesystem;

// Where the segment scan reads from: a file (only the headers and metadata
// segments are read) or bytes in memory. get() gives -1 at the end.
class SegmentSource {
public:
    virtual ~SegmentSource() = default;
    virtual int get() = 0;
    virtual bool read(std::string& out, size_t count) = 0;
    // Offset in the file of the next byte get() gives.
    virtual long position() const = 0;
};

namespace {

constexpr int kMarkerAPP0 = 0xE0;
constexpr int kMarkerAPP1 = 0xE1;
constexpr int kMarkerAPP13 = 0xED;
constexpr int kMarkerCOM = 0xFE;
constexpr int kMarkerSOS = 0xDA;
constexpr int kMarkerEOI = 0xD9;
// APP1 is taken as the EXIF segment only among the first five segments.
constexpr int kLastExifSlot = 5;
// The TIFF reader looks at this much of the file after its 8-byte header.
constexpr size_t kTiffBlockLength = 256000;

// JFIF 1.02, density in dots per inch, 300 by 300, no thumbnail.
constexpr std::string_view kDefaultHeader{
    "\xFF\xE0\x00\x10JFIF\x00\x01\x02\x01\x01\x2C\x01\x2C\x00\x00", 18};

class MemorySource : public SegmentSource {
public:
    // bytes start at the given offset of the file.
    MemorySource(std::string_view bytes, long start) : bytes_(bytes), start_(start) {}
    long position() const override { return start_ + static_cast<long>(position_); }
    int get() override {
        return position_ < bytes_.size() ? static_cast<unsigned char>(bytes_[position_++]) : -1;
    }
    bool read(std::string& out, size_t count) override {
        if (bytes_.size() - position_ < count)
            return false;
        out.append(bytes_.substr(position_, count));
        position_ += count;
        return true;
    }

private:
    std::string_view bytes_;
    long start_;
    size_t position_ = 0;
};

class FileSource : public SegmentSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    long position() const override { return std::ftell(file_); }
    int get() override { return std::fgetc(file_); }
    bool read(std::string& out, size_t count) override {
        size_t old = out.size();
        out.resize(old + count);
        return std::fread(out.data() + old, 1, count, file_) == count;
    }

private:
    std::FILE* file_;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Reads one segment after its marker: false when the file ends inside it or
// its length field is below 2 (counted as a failed read).
enum class SegmentRead { complete, truncated, malformed };

SegmentRead readSegment(SegmentSource& source, int type, tSection& section) {
    int high = source.get();
    int low = source.get();
    if (high < 0 || low < 0)
        return SegmentRead::truncated;
    int length = high << 8 | low;
    if (length < 2)
        return SegmentRead::malformed;
    section = tSection{};
    section.type = type;
    section.size = length;
    section.data.reserve(static_cast<size_t>(length));
    section.data.push_back(static_cast<char>(high));
    section.data.push_back(static_cast<char>(low));
    return source.read(section.data, static_cast<size_t>(length - 2)) ? SegmentRead::complete
                                                                      : SegmentRead::truncated;
}

constexpr std::string_view kExifSignature{"Exif\0", 5};

// APP1 also carries XMP; only an APP1 with the EXIF signature is the EXIF
// segment, so that clearing EXIF never takes an XMP packet with it.
bool isExifPayload(std::string_view payload) {
    return payload.substr(0, 5) == kExifSignature;
}

constexpr std::string_view kPhotoshopSignature{"Photoshop 3.0\0", 14};
// An APP1 with the XMP signature is the XMP packet; other APP1 namespaces
// (the extended XMP parts among them) are kept as they are.
bool isXmpPayload(std::string_view payload) {
    return payload.substr(0, kXmpSignature.size()) == kXmpSignature;
}

bool isPhotoshopPayload(std::string_view payload) {
    return payload.substr(0, kPhotoshopSignature.size()) == kPhotoshopSignature;
}

// One segment of the old file before its scan data: the FF marker at
// offset, length bytes in all.
struct OldSegment {
    int type;
    size_t offset;
    size_t length;
};

// The segments from after SOI up to the scan data (or up to whatever is not
// a well-formed segment), and the offset where the rest of the file starts.
std::vector<OldSegment> headerSegments(std::string_view bytes, size_t& bodyOffset) {
    std::vector<OldSegment> segments;
    size_t offset = std::min<size_t>(2, bytes.size());
    while (offset + 1 < bytes.size() && static_cast<unsigned char>(bytes[offset]) == 0xFF) {
        size_t marker = offset + 1;
        while (marker < bytes.size() && static_cast<unsigned char>(bytes[marker]) == 0xFF)
            ++marker;
        if (marker + 2 >= bytes.size())
            break;
        int type = static_cast<unsigned char>(bytes[marker]);
        if (type == kMarkerSOS || type == kMarkerEOI || type == 0x00 || type == 0x01 ||
            (type >= 0xD0 && type <= 0xD8))
            break;
        size_t length = static_cast<size_t>(static_cast<unsigned char>(bytes[marker + 1])) << 8 |
                        static_cast<unsigned char>(bytes[marker + 2]);
        if (length < 2 || marker + 1 + length > bytes.size())
            break;
        // Fill bytes before the marker are dropped with the segment.
        segments.push_back({type, marker - 1, length + 2});
        offset = marker + 1 + length;
    }
    bodyOffset = offset;
    return segments;
}

void appendSection(std::string& out, const tSection& section) {
    out.push_back('\xFF');
    out.push_back(static_cast<char>(section.type));
    out.append(section.data);
}

void writeBigEndianLength(std::string& data, size_t length) {
    data[0] = static_cast<char>((length >> 8) & 0xFF);
    data[1] = static_cast<char>(length & 0xFF);
}

void refuseReadOnly(const fs::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) == 0 && (status.st_mode & S_IWUSR) == 0)
        throw std::system_error(EACCES, std::generic_category(), file.string() + " is read-only");
}

} // namespace

TimgData::TimgData(int buildOptions) : buildOptions_(buildOptions) {}

TimgData::~TimgData() = default;

void TimgData::clear() {
    sectionCount_ = 0;
    exif_ = iptc_ = comment_ = header_ = xmp_ = -1;
    extraPhotoshop_.clear();
    exifCleared_ = false;
    fileName_.clear();
    fileDateTime_ = {};
    fileSize_ = 0;
    errorText_.clear();
    exifInfo_.reset();
    iptcData_.reset();
    motorolaOrder_ = false;
}

bool TimgData::ProcessFile(const fs::path& file) {
    clear();
    std::error_code error;
    if (!fs::exists(file, error))
        return false;
    fileName_ = file;
    fileDateTime_ = fs::last_write_time(file, error);
    bool regular = fs::is_regular_file(file, error);
    fileSize_ = regular ? fs::file_size(file, error) : 0;
    errorText_ = "Not an EXIF file";
    bool jpeg = hasJpegExtension(file);
    if (!jpeg && !hasTiffExtension(file))
        return false;
    // Only regular files are opened: a named pipe would block the read.
    FileHandle handle(regular ? std::fopen(file.c_str(), "rb") : nullptr);
    if (!handle) {
        errorText_ = "Illegal Exif construction";
        return false;
    }
    bool found = jpeg ? readJpegFile(handle.get()) : readTiffFile(handle.get());
    if (found)
        errorText_ = "<none>";
    return found;
}

bool TimgData::readJpegFile(std::FILE* file) {
    FileSource source(file);
    std::string head;
    if (!source.read(head, 2) || head != "\xFF\xD8")
        return false;
    return readSections(source);
}

bool TimgData::ReadJpegSections(std::string_view content) {
    clear();
    if (content.substr(0, 2) != "\xFF\xD8")
        return false;
    MemorySource source(content.substr(2), 2);
    return readSections(source);
}

bool TimgData::readSections(SegmentSource& source) {
    sectionCount_ = 0;
    while (sectionCount_ < kSectionSlots) {
        int type = source.get();
        while (type == 0xFF)
            type = source.get();
        if (type < 0)
            break;
        tSection& section = sections_[static_cast<size_t>(sectionCount_)];
        long markerOffset = source.position() - 2;
        SegmentRead outcome = readSegment(source, type, section);
        if (outcome == SegmentRead::malformed)
            return failedRead();
        if (outcome == SegmentRead::truncated)
            break; // what was read before the cut stays
        section.base = static_cast<int32_t>(markerOffset);
        ++sectionCount_;
        if (sectionCount_ == kLastExifSlot && !anyMetadataFound() && xmp_ < 0)
            break;
        if (!classifySection(sectionCount_ - 1))
            break;
    }
    return anyMetadataFound();
}

// Records the segment in its role; false for the end of the headers.
bool TimgData::classifySection(int index) {
    tSection& section = sections_[static_cast<size_t>(index)];
    switch (section.type) {
    case kMarkerEOI:
    case kMarkerSOS:
        return false;
    case kMarkerAPP1:
        if (index < kLastExifSlot && exif_ < 0 &&
            isExifPayload(std::string_view(section.data).substr(2))) {
            exif_ = index;
            exifInfo_ = std::make_unique<TImageInfo>(buildOptions_);
            exifInfo_->ReadJpegBlock(section.data);
            motorolaOrder_ = exifInfo_->MotorolaOrder();
        } else if (xmp_ < 0 && isXmpPayload(std::string_view(section.data).substr(2))) {
            xmp_ = index;
        } else {
            --sectionCount_; // the slot is reused by the next segment
        }
        return true;
    case kMarkerAPP0:
        header_ = index;
        return true;
    case kMarkerAPP13:
        if (iptc_ < 0) {
            iptc_ = index;
            iptcData_ = std::make_unique<TIPTCdata>(*this);
        } else if (isPhotoshopPayload(std::string_view(section.data).substr(2))) {
            extraPhotoshop_.push_back(index);
        } else {
            --sectionCount_;
        }
        return true;
    case kMarkerCOM:
        comment_ = index;
        return true;
    default:
        return true;
    }
}

bool TimgData::failedRead() {
    sectionCount_ = 0;
    exif_ = iptc_ = comment_ = header_ = xmp_ = -1;
    extraPhotoshop_.clear();
    exifInfo_.reset();
    iptcData_.reset();
    return false;
}

bool TimgData::readTiffFile(std::FILE* file) {
    FileSource source(file);
    std::string block;
    if (!source.read(block, 8) || (block.substr(0, 2) != "II" && block.substr(0, 2) != "MM"))
        return false;
    block.resize(8 + kTiffBlockLength);
    size_t got = std::fread(block.data() + 8, 1, kTiffBlockLength, file);
    block.resize(8 + got);
    exifInfo_ = std::make_unique<TImageInfo>(buildOptions_);
    exifInfo_->ReadTiffBlock(std::move(block));
    motorolaOrder_ = exifInfo_->MotorolaOrder();
    return true;
}

void TimgData::CreateEmptyIPTC() {
    SetIPTCSegment("");
    iptcData_ = std::make_unique<TIPTCdata>(*this);
}

void TimgData::SetIPTCSegment(std::string_view block) {
    if (block.size() > 65533)
        throw EIPTCTooLarge("an IPTC block of " + std::to_string(block.size()) +
                            " bytes does not fit one JPEG segment");
    if (iptc_ < 0) {
        if (sectionCount_ >= kSectionSlots)
            throw std::length_error("the file has too many header segments to add an IPTC block");
        iptc_ = sectionCount_++;
    }
    tSection& section = sections_[static_cast<size_t>(iptc_)];
    int32_t base = section.base;
    section = tSection{};
    section.base = base;
    section.type = kMarkerAPP13;
    section.size = static_cast<int32_t>(block.size() + 2);
    section.data.assign(2, '\0');
    writeBigEndianLength(section.data, block.size() + 2);
    section.data.append(block);
}

std::string_view TimgData::XmpPacket() const {
    const tSection* segment = XmpSegment();
    if (segment == nullptr)
        return {};
    return std::string_view(segment->data).substr(2 + kXmpSignature.size());
}

std::vector<std::string_view> TimgData::PhotoshopBlocks() const {
    std::vector<std::string_view> blocks;
    if (const tSection* iptc = IptcSegment())
        blocks.push_back(std::string_view(iptc->data).substr(2));
    for (int index : extraPhotoshop_)
        blocks.push_back(std::string_view(sections_[static_cast<size_t>(index)].data).substr(2));
    return blocks;
}

void TimgData::SetXmpPacket(std::string_view packet) {
    size_t length = 2 + kXmpSignature.size() + packet.size();
    if (length > 65535)
        throw EXmpTooLarge("the XMP packet would be " + std::to_string(packet.size()) +
                           " bytes, more than one JPEG segment holds (" +
                           std::to_string(65535 - 2 - kXmpSignature.size()) + ")");
    if (xmp_ < 0) {
        if (sectionCount_ >= kSectionSlots)
            throw std::length_error("the file has too many header segments to add an XMP packet");
        xmp_ = sectionCount_++;
        sections_[static_cast<size_t>(xmp_)] = tSection{};
    }
    tSection& section = sections_[static_cast<size_t>(xmp_)];
    section.type = kMarkerAPP1;
    section.size = static_cast<int32_t>(length);
    section.data.assign(2, '\0');
    writeBigEndianLength(section.data, length);
    section.data.append(kXmpSignature);
    section.data.append(packet);
}

void TimgData::ClearEXIF() {
    exifCleared_ = true;
    exif_ = -1;
    exifInfo_.reset();
}

void TimgData::AdjustExifSize(unsigned height, unsigned width) {
    if (exifInfo_ == nullptr || exif_ < 0)
        return;
    const TImageInfo::PixelSize& size = exifInfo_->RecordedPixelSize();
    if (size.width <= 0 || size.height <= 0)
        return;
    if (static_cast<unsigned>(size.width) == width && static_cast<unsigned>(size.height) == height)
        return;
    std::string& data = sections_[static_cast<size_t>(exif_)].data;
    exifInfo_->PatchValue(data, size.widthPosition, size.widthType, width);
    exifInfo_->PatchValue(data, size.heightPosition, size.heightType, height);
}

std::string TimgData::composeHead(const TJpegImage& image, bool adjustSize, size_t& bodyOffset) {
    if (adjustSize)
        AdjustExifSize(image.Height(), image.Width());
    std::string head("\xFF\xD8");
    const tSection* header = exif_ >= 0 ? ExifSegment() : HeaderSegment();
    if (header != nullptr)
        appendSection(head, *header);
    else
        head.append(kDefaultHeader);
    for (const tSection* kept : {XmpSegment(), IptcSegment(), CommentSegment()})
        if (kept != nullptr)
            appendSection(head, *kept);

    // The old header segments follow in their order, less those written
    // above and those they replace: every EXIF segment when one is written
    // or EXIF is cleared, every XMP packet when one is written, every
    // Photoshop APP13.
    auto wasRead = [](const tSection* section, size_t offset) {
        return section != nullptr && section->base > 0 &&
               static_cast<size_t>(section->base) == offset;
    };
    std::string_view old = image.Bytes();
    for (const OldSegment& segment : headerSegments(old, bodyOffset)) {
        std::string_view bytes = old.substr(segment.offset, segment.length);
        std::string_view payload = bytes.substr(4);
        bool drop = false;
        if (segment.type == kMarkerAPP1 && isExifPayload(payload))
            drop = exif_ >= 0 || exifCleared_;
        else if (segment.type == kMarkerAPP1 && isXmpPayload(payload))
            drop = xmp_ >= 0;
        else if (segment.type == kMarkerAPP13)
            drop = isPhotoshopPayload(payload) || wasRead(IptcSegment(), segment.offset);
        else if (segment.type == kMarkerAPP0)
            drop = wasRead(HeaderSegment(), segment.offset);
        else if (segment.type == kMarkerCOM)
            drop = wasRead(CommentSegment(), segment.offset);
        if (!drop)
            head.append(bytes);
    }
    return head;
}

std::string TimgData::ComposeJpeg(const TJpegImage& image, bool adjustSize) {
    size_t bodyOffset = 0;
    std::string head = composeHead(image, adjustSize, bodyOffset);
    return head.append(image.Bytes().substr(bodyOffset));
}

void TimgData::WriteJpegFile(const TJpegImage& image, const fs::path& file, bool adjustSize) {
    refuseReadOnly(file);
    size_t bodyOffset = 0;
    std::string head = composeHead(image, adjustSize, bodyOffset);
    // The old body is written straight from the loaded bytes, not copied.
    replaceFileAtomically(file, {head, std::string_view(image.Bytes()).substr(bodyOffset)});
}

} // namespace orvella
