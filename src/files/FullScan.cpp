#include "files/FullScan.h"

#include "catalogue/Transaction.h"
#include "files/FileIdentity.h"
#include "files/FileKinds.h"
#include "files/PreviewCache.h"
#include "files/Thumbnail.h"
#include "metadata/IPTCData.h"
#include "metadata/ImageInfo.h"
#include "metadata/ImgData.h"
#include "shell/AtomicFile.h"
#include "shell/IgnoredError.h"
#include "shell/TextUtil.h"

#include <fstream>
#include <future>
#include <sys/stat.h>
#include <thread>

namespace orvella {

namespace fs = std::filesystem;

namespace {

constexpr int kFilesPerBatch = 64;

bool isHidden(const fs::path& entry) {
    return entry.filename().string().starts_with('.');
}

// A folder whose attributes are exactly "directory": a real directory, not a
// link to one, neither hidden nor read-only.
bool isPlainFolder(const fs::path& entry) {
    struct stat status {};
    return ::lstat(entry.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           (status.st_mode & S_IWUSR) && !isHidden(entry);
}

// A file whose attributes are exactly "read-only" gets its owner's write
// permission back; anything else is left as it is.
void clearReadOnly(const fs::path& entry) {
    struct stat status {};
    if (::lstat(entry.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        !(status.st_mode & S_IWUSR) && !isHidden(entry))
        ::chmod(entry.c_str(), (status.st_mode & 07777) | S_IWUSR);
}

bool isDirectory(const fs::path& entry) {
    std::error_code error;
    return fs::is_directory(entry, error);
}

// The APP13 block a JPEG file would carry for these IIM datasets, so the one
// IPTC reader serves TIFF files as well.
std::string photoshopBlockFor(const std::string& datasets) {
    std::string block("Photoshop 3.0\0008BIM\x04\x04\0\0", 20);
    uint32_t size = static_cast<uint32_t>(datasets.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        block.push_back(static_cast<char>((size >> shift) & 0xFF));
    block += datasets;
    if (datasets.size() % 2)
        block.push_back('\0');
    return block;
}

} // namespace

std::vector<std::string> ReadScanHistory(const fs::path& historyFile) {
    std::vector<std::string> lines;
    std::ifstream in(historyFile, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

bool IsFolderInScanHistory(const fs::path& historyFile, const fs::path& folder) {
    for (const std::string& line : ReadScanHistory(historyFile))
        if (line == folder.string())
            return true;
    return false;
}

void AppendScanHistory(const fs::path& historyFile, const fs::path& folder) {
    // A history that exists but cannot be read is never replaced by one line.
    std::error_code missing;
    std::string content =
        fs::exists(historyFile, missing) ? readWholeFile(historyFile) : std::string();
    if (!content.empty() && content.back() != '\n')
        content += "\r\n";
    content += folder.string() + "\r\n";
    replaceFileAtomically(historyFile, content);
}

TFullScan::TFullScan(TStockDBObject& catalogue, FullScanSettings settings,
                     FullScanObserver& observer)
    : catalogue_(catalogue), settings_(std::move(settings)), observer_(observer),
      decoders_(PictureDecoderList()) {}

int TFullScan::CountFolder(const fs::path& folder) {
    int count = 0;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (!isDirectory(entry->path()) &&
            IsCatalogueFile(entry->path().filename().string(), PictureDecoderList()))
            ++count;
    return count;
}

void TFullScan::Scan(const fs::path& folder, bool subfolders) {
    scanFolder(folder, subfolders);
}

// What reading a file gives, worked out ahead of its turn on another
// thread: everything but the catalogue writes, which stay in listing order.
struct TFullScan::PreparedFile {
    bool ok = false;
    THashData data;
    std::optional<QImage> thumbnail; // only when the preview cache lacks it
    std::optional<std::string> keywords;
    std::vector<std::pair<std::string, std::string>> exif, iptc;
};

TFullScan::PreparedFile TFullScan::prepareFile(const fs::path& file) const {
    PreparedFile prepared;
    ignoringErrors("TFullScan::prepareFile", [&] {
        prepared.data = ReadHashData(file);
        prepared.data.MD5 = FileMD5(file);
        std::error_code error;
        if (!IsZipFile(prepared.data.FileName) &&
            !fs::exists(PreviewCacheFile(settings_.previewCacheFolder, prepared.data.MD5), error))
            prepared.thumbnail = MakeThumbnail(file, kPreviewSize, {settings_.jpegPreview});
        if (IsJpegFile(prepared.data.FileName) || IsTiffFile(prepared.data.FileName))
            readMetadata(file, prepared);
        prepared.ok = true;
    });
    return prepared;
}

void TFullScan::readMetadata(const fs::path& file, PreparedFile& prepared) {
    TimgData data;
    data.ProcessFile(file);
    if (IsTiffFile(file.string())) {
        std::string datasets = ReadTiffIptc(file);
        if (!datasets.empty()) {
            data.CreateEmptyIPTC();
            data.SetIPTCSegment(photoshopBlockFor(datasets));
        }
    }
    TIPTCdata* iptc = data.IptcObj();
    if (iptc)
        iptc->ParseIPTC();
    if (const TImageInfo* exif = data.ExifObj())
        for (const TTagEntry& entry : exif->Entries())
            prepared.exif.emplace_back(entry.name, entry.value);
    for (int i = 0; iptc && i < iptc->Count(); ++i) {
        TTagEntry entry = iptc->GetEntry(i);
        if (!equalsIgnoringCase(entry.name, "keywords"))
            prepared.iptc.emplace_back(entry.name, entry.value);
        else if (!prepared.keywords)
            prepared.keywords = entry.value;
    }
}

// The files of one folder read a few places ahead of the one being recorded.
class TFullScan::ReadAhead {
public:
    ReadAhead(const TFullScan& scan, std::vector<fs::path> files)
        : scan_(scan), files_(std::move(files)) {
        unsigned processors = std::max(2u, std::thread::hardware_concurrency());
        window_ = processors * 2;
    }
    ~ReadAhead() {
        for (auto& pending : pending_)
            if (pending.valid())
                pending.wait();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    PreparedFile take(size_t index) {
        while (pending_.size() < files_.size() && pending_.size() <= index + window_)
            pending_.push_back(std::async(std::launch::async, [this, i = pending_.size()] {
                return scan_.prepareFile(files_[i]);
            }));
        return pending_[index].get();
    }

private:
    const TFullScan& scan_;
    std::vector<fs::path> files_;
    std::vector<std::future<PreparedFile>> pending_;
    size_t window_;
};

void TFullScan::scanFolder(const fs::path& folder, bool subfolders) {
    ++folders_;
    RemoveStaleTemporaries(folder);
    observer_.folderEntered(folder, CountFolder(folder));
    observer_.processEvents();
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        entries.push_back(entry->path());
    std::vector<fs::path> files;
    for (const fs::path& path : entries)
        if (!(subfolders && isPlainFolder(path)) && !isDirectory(path) &&
            IsCatalogueFile(path.filename().string(), decoders_))
            files.push_back(path);

    ReadAhead readAhead(*this, files);
    std::optional<CatalogueBatch> batch;
    size_t next = 0;
    int position = 0;
    for (const fs::path& path : entries) {
        if (cancelled_)
            break;
        if (subfolders && isPlainFolder(path)) {
            batch.reset();
            scanFolder(path, subfolders);
            observer_.folderEntered(folder, CountFolder(folder));
            continue;
        }
        if (settings_.clearReadOnly)
            clearReadOnly(path);
        if (next >= files.size() || files[next] != path)
            continue;
        // The catalogue writes its log once for a run of files.
        if (!batch || position % kFilesPerBatch == 0)
            batch.emplace(catalogue_.Connection());
        if (recordFile(readAhead.take(next++), position + 1)) {
            ++position;
            observer_.processEvents();
        }
    }
    batch.reset();
    ignoringErrors("TFullScan::scanFolder",
                   [&] { AppendScanHistory(settings_.historyFile, folder); });
}

// Any failure abandons this file only.
bool TFullScan::recordFile(const PreparedFile& file, int position) {
    if (!file.ok)
        return false;
    return ignoringErrors("TFullScan::recordFile", [&] {
        observer_.fileStarted(file.data.FileName);
        observer_.processEvents();
        // A file edited since its row was made: the row takes the new key
        // instead of a second row being added for the same file.
        const THashData& data = file.data;
        std::string atPlace = catalogue_.ImageKeyAt(data.FilePath, data.FileName);
        if (!atPlace.empty() && atPlace != data.MD5 && catalogue_.GetImagePath(data.MD5).empty())
            catalogue_.SetImageKeyAt(data.FilePath, data.FileName, data.MD5, data.FileSize);
        catalogue_.AddImage(file.data);
        if (file.keywords)
            catalogue_.AddKeywordTextToImage(file.data.MD5, *file.keywords);
        for (const auto& [name, value] : file.exif)
            catalogue_.StoreExifValue(file.data.MD5, name, value);
        for (const auto& [name, value] : file.iptc)
            catalogue_.StoreIptcValue(file.data.MD5, name, value);
        if (file.thumbnail) {
            WriteBitmapFile(PreviewCacheFile(settings_.previewCacheFolder, file.data.MD5),
                            *file.thumbnail);
            observer_.thumbnailMade(*file.thumbnail);
            observer_.processEvents();
        }
        ++imported_;
        observer_.fileImported(file.data, position);
    });
}

namespace {

// A bounded reader of the first TIFF directory.
class TiffReader {
public:
    explicit TiffReader(const fs::path& file) : in_(file, std::ios::binary) {
        in_.seekg(0, std::ios::end);
        size_ = static_cast<uint64_t>(std::max<std::streamoff>(0, in_.tellg()));
    }

    bool bytes(uint64_t offset, uint64_t length, std::string& out) {
        if (offset > size_ || length > size_ - offset)
            return false;
        out.resize(length);
        in_.seekg(static_cast<std::streamoff>(offset));
        return static_cast<bool>(in_.read(out.data(), static_cast<std::streamsize>(length)));
    }
    uint32_t number(std::string_view data, size_t at, size_t width) const {
        uint32_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            auto byte = static_cast<uint8_t>(data[bigEndian_ ? at + i : at + width - 1 - i]);
            value = value << 8 | byte;
        }
        return value;
    }
    void setBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }

private:
    std::ifstream in_;
    uint64_t size_ = 0;
    bool bigEndian_ = false;
};

size_t tiffTypeSize(uint32_t type) {
    switch (type) {
    case 1:
    case 2:
    case 6:
    case 7:
        return 1;
    case 3:
    case 8:
        return 2;
    case 4:
    case 9:
    case 11:
        return 4;
    case 5:
    case 10:
    case 12:
        return 8;
    default:
        return 0;
    }
}

constexpr uint32_t kIptcTag = 33723;
constexpr uint64_t kLargestIptcBlock = 1 << 24;

} // namespace

std::string ReadTiffIptc(const fs::path& file) {
    TiffReader tiff(file);
    std::string header;
    if (!tiff.bytes(0, 8, header) || (header.substr(0, 2) != "II" && header.substr(0, 2) != "MM"))
        return {};
    tiff.setBigEndian(header[0] == 'M');
    uint64_t directory = tiff.number(header, 4, 4);
    std::string countBytes;
    if (!tiff.bytes(directory, 2, countBytes))
        return {};
    uint32_t count = tiff.number(countBytes, 0, 2);
    std::string entries;
    if (!tiff.bytes(directory + 2, uint64_t{count} * 12, entries))
        return {};
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = size_t{i} * 12;
        if (tiff.number(entries, at, 2) != kIptcTag)
            continue;
        uint64_t length = uint64_t{tiff.number(entries, at + 4, 4)} *
                          tiffTypeSize(tiff.number(entries, at + 2, 2));
        if (length == 0 || length > kLargestIptcBlock)
            return {};
        if (length <= 4)
            return entries.substr(at + 8, length);
        std::string datasets;
        return tiff.bytes(tiff.number(entries, at + 8, 4), length, datasets) ? datasets
                                                                             : std::string();
    }
    return {};
}

} // namespace orvella
