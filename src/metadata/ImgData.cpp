#include "metadata/ImgData.h"

#include "metadata/IPTCData.h"
#include "metadata/ImageInfo.h"
#include "metadata/JpegImage.h"
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
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
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
    size_t position_ = 0;
};

class FileSource : public SegmentSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
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

// Offset of the rest of the old file: after SOI, at most one APP0, then one
// EXIF APP1, one APP13 and one COM segment are passed over, in that order.
size_t remainderOffset(std::string_view bytes) {
    size_t offset = 2;
    for (int type : {kMarkerAPP0, kMarkerAPP1, kMarkerAPP13, kMarkerCOM}) {
        if (offset + 3 >= bytes.size() || static_cast<unsigned char>(bytes[offset + 1]) != type)
            continue;
        if (type == kMarkerAPP1 && !isExifPayload(bytes.substr(offset + 4)))
            continue;
        size_t length = static_cast<size_t>(static_cast<unsigned char>(bytes[offset + 2])) << 8 |
                        static_cast<unsigned char>(bytes[offset + 3]);
        offset = std::min(bytes.size(), offset + length + 2);
    }
    return std::min(offset, bytes.size());
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
    exif_ = iptc_ = comment_ = header_ = -1;
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
    MemorySource source(content.substr(2));
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
        SegmentRead outcome = readSegment(source, type, section);
        if (outcome == SegmentRead::malformed)
            return failedRead();
        if (outcome == SegmentRead::truncated)
            break; // what was read before the cut stays
        ++sectionCount_;
        if (sectionCount_ == kLastExifSlot && !anyMetadataFound())
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
    exif_ = iptc_ = comment_ = header_ = -1;
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
    section = tSection{};
    section.type = kMarkerAPP13;
    section.size = static_cast<int32_t>(block.size() + 2);
    section.data.assign(2, '\0');
    writeBigEndianLength(section.data, block.size() + 2);
    section.data.append(block);
}

void TimgData::ClearEXIF() {
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

std::string TimgData::composeHead(const TJpegImage& image, bool adjustSize) {
    if (adjustSize)
        AdjustExifSize(image.Height(), image.Width());
    std::string head("\xFF\xD8");
    if (const tSection* header = exif_ >= 0 ? ExifSegment() : HeaderSegment())
        appendSection(head, *header);
    else
        head.append(kDefaultHeader);
    if (const tSection* iptc = IptcSegment())
        appendSection(head, *iptc);
    if (const tSection* comment = CommentSegment())
        appendSection(head, *comment);
    return head;
}

std::string TimgData::ComposeJpeg(const TJpegImage& image, bool adjustSize) {
    std::string_view old = image.Bytes();
    return composeHead(image, adjustSize).append(old.substr(remainderOffset(old)));
}

void TimgData::WriteJpegFile(const TJpegImage& image, const fs::path& file, bool adjustSize) {
    refuseReadOnly(file);
    std::string_view old = image.Bytes();
    // The old body is written straight from the loaded bytes, not copied.
    replaceFileAtomically(file, {composeHead(image, adjustSize), old.substr(remainderOffset(old))});
}

} // namespace orvella
