#pragma once

#include "catalogue/FileRecords.h"
#include "catalogue/StockDB.h"

#include <QImage>
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvella {

inline constexpr const char* kScanHistoryFileName = "ScanHistory.dat";

// The folders scanned so far, one per line, as found on disk.
std::vector<std::string> ReadScanHistory(const std::filesystem::path& historyFile);
bool IsFolderInScanHistory(const std::filesystem::path& historyFile,
                           const std::filesystem::path& folder);
// Adds the folder as the last line. The file is rewritten whole through a
// temporary file and a rename.
void AppendScanHistory(const std::filesystem::path& historyFile,
                       const std::filesystem::path& folder);

struct FullScanSettings {
    std::filesystem::path previewCacheFolder;
    std::filesystem::path historyFile; // ScanHistory.dat in the program folder
    bool clearReadOnly = true;         // ClearRO
    bool jpegPreview = false;          // JPEGPreview, for the thumbnails
};

// What the wizard shows while a scan runs. processEvents lets the window
// repaint and take a press of Cancel between steps.
class FullScanObserver {
public:
    virtual ~FullScanObserver() = default;
    virtual void folderEntered(const std::filesystem::path& /*folder*/, int /*fileCount*/) {}
    virtual void fileStarted(const std::string& /*name*/) {}
    virtual void thumbnailMade(const QImage& /*picture*/) {}
    virtual void fileImported(const THashData& /*file*/, int /*positionInFolder*/) {}
    virtual void processEvents() {}
};

// The full scan: every catalogue file of a folder, and optionally of its
// sub-folders, is hashed and registered, gets its preview, and a JPEG or TIFF
// file's keywords, EXIF tags and other IPTC datasets go into the catalogue's
// metadata cache. Values are stored exactly as read.
//
// Only real directories are entered: not symbolic links, not hidden, not
// read-only, so a link loop cannot trap the scan. Cancel stops every level
// after the file in hand; each folder entered is added to the scan history,
// also when it was cut short. Files are read (hashed, thumbnailed, their
// metadata parsed) a few places ahead on worker threads, while the catalogue
// and the preview cache are written on the calling thread in listing order.
class TFullScan {
public:
    TFullScan(TStockDBObject& catalogue, FullScanSettings settings, FullScanObserver& observer);

    void Scan(const std::filesystem::path& folder, bool subfolders);
    // May be called from the observer or another thread.
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }

    int ImportedFiles() const { return imported_; }
    int ScannedFolders() const { return folders_; }

    // The catalogue files directly in the folder.
    static int CountFolder(const std::filesystem::path& folder);

private:
    struct PreparedFile;
    class ReadAhead;

    void scanFolder(const std::filesystem::path& folder, bool subfolders);
    PreparedFile prepareFile(const std::filesystem::path& file) const;
    static void readMetadata(const std::filesystem::path& file, PreparedFile& prepared);
    bool recordFile(const PreparedFile& file, int position);

    TStockDBObject& catalogue_;
    FullScanSettings settings_;
    FullScanObserver& observer_;
    std::vector<std::string> decoders_;
    std::atomic<bool> cancelled_{false};
    int imported_ = 0;
    int folders_ = 0;
};

// The IPTC-IIM datasets a TIFF file keeps in its first directory (tag 33723),
// or empty text when it has none. Every offset is checked against the file.
std::string ReadTiffIptc(const std::filesystem::path& file);

} // namespace orvella
