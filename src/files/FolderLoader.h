#pragma once

#include "catalogue/Connection.h"
#include "catalogue/FileRecords.h"
#include "catalogue/StockDB.h"

#include <QImage>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvella {

// One file as the folder loader hands it to its view.
struct ListedFile {
    enum class Picture { Thumbnail, LoadingError, Archive };

    THashData file;      // with its image key; ImageIndex is its position in the listing
    std::string caption; // the name, with " (copy)" for a copy of a catalogued image elsewhere,
                         // " (catalogue error)" when the catalogue refused the file's row
    bool copy = false;
    std::string catalogueError; // what the catalogue said when it refused; empty when all went well
    Picture pictureKind = Picture::Thumbnail;
    QImage picture; // 96 x 96, for Picture::Thumbnail
};

// Where a loader delivers its results. The calls come from the loader's own
// thread, in listing order; a view that shows them hands them to its window
// thread and drops whatever arrives after it asked the loader to stop.
class FolderListing {
public:
    virtual ~FolderListing() = default;
    virtual void beginListing() = 0;              // "Reading files..."
    virtual void addFile(ListedFile file) = 0;    // the item and its picture
    virtual void endListing(int listedCount) = 0; // "Files (n)"; only after a complete run
};

struct FolderLoaderSettings {
    std::filesystem::path folder;
    std::filesystem::path previewCacheFolder;
    bool jpegPreview = false;
    // Files read ahead of the one being registered, hashed and thumbnailed on
    // worker threads; 0 chooses by the number of processors.
    int readAheadThreads = 0;
};

// The folder loader: lists a folder's catalogue material and reconciles each
// file with the catalogue. A known file of unchanged size keeps its row and is
// never read; a changed size gives the row a fresh key; a file moved or
// renamed here takes its row along; a file whose content is catalogued at a
// place that still exists is a copy; anything else is registered. Hashing and
// thumbnails run ahead on worker threads, while the catalogue decisions are
// made one file at a time in listing order.
class TDirectoryProcessor {
public:
    TDirectoryProcessor(TCatalogueConnection& connection, FolderLoaderSettings settings,
                        FolderListing& listing);
    ~TDirectoryProcessor();

    // The whole run on the calling thread.
    void Execute();
    // Cooperative stop: the run ends after the file in hand and delivers nothing more.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    int LoadedCount() const { return loaded_; }

private:
    struct Prepared;
    class ReadAhead;

    std::vector<THashData> listCatalogueFiles() const;
    void processFile(TStockDBObject& catalogue, THashData& file, Prepared& prepared);
    void reconcile(TStockDBObject& catalogue, THashData& file, const Prepared& prepared,
                   ListedFile& listed);
    void writeStatistics(double seconds) const;

    TCatalogueConnection& connection_;
    FolderLoaderSettings settings_;
    FolderListing& listing_;
    std::atomic<bool> terminated_{false};
    int loaded_ = 0;
};

// A folder loader on a thread of its own. Destroying it asks the run to stop
// and waits for the file in hand to finish.
class FolderLoaderThread {
public:
    FolderLoaderThread(TCatalogueConnection& connection, FolderLoaderSettings settings,
                       std::shared_ptr<FolderListing> listing);
    ~FolderLoaderThread();
    FolderLoaderThread(const FolderLoaderThread&) = delete;
    FolderLoaderThread& operator=(const FolderLoaderThread&) = delete;

    void Terminate() { processor_.Terminate(); }
    bool Finished() const { return finished_; }

private:
    std::shared_ptr<FolderListing> listing_;
    TDirectoryProcessor processor_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Set while a loader runs; feeds nothing but diagnostics.
extern std::atomic<int> FolderLoadersRunning;

} // namespace orvella
