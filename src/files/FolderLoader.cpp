#include "files/FolderLoader.h"

#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "files/FileKinds.h"
#include "files/FileRegistration.h"
#include "files/PreviewCache.h"
#include "shell/AtomicFile.h"
#include "shell/ErrorRecords.h"
#include "shell/IgnoredError.h"
#include "shell/Log.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace orvella {

namespace fs = std::filesystem;

std::atomic<int> FolderLoadersRunning{0};

namespace {

// The folder's catalogue rows by file name. Names compare exactly, as the
// file system tells letter case apart.
using FolderRows = std::unordered_map<std::string, TFolderImage>;

const TFolderImage* matchingRow(const FolderRows& rows, const THashData& file) {
    auto row = rows.find(file.FileName);
    return row != rows.end() && row->second.FilePath == file.FilePath ? &row->second : nullptr;
}

// A statement the catalogue refused: the error record names it, and the run
// goes on with the next file.
std::string reportCatalogueError(const TStockDBObject& catalogue, const std::exception& error) {
    writeErrorRecord(exceptionClassName(error), error.what(), catalogue.LatestStatement());
    return error.what();
}

double averageSpeed = 0; // files per minute over the runs, for the log only
std::mutex averageSpeedMutex;

} // namespace

// What the read-ahead threads work out for one file: its key where the file
// must be read for it, and its picture.
struct TDirectoryProcessor::Prepared {
    enum class State { Pending, Ready, Failed };
    State state = State::Pending;
    const TFolderImage* row = nullptr; // the catalogue row of the same name, if any
    std::string key;
    ListedFile::Picture pictureKind = ListedFile::Picture::Thumbnail;
    QImage picture;
};

// Hashes and thumbnails the files a few places ahead of the one being
// registered, on as many threads as there are processors.
class TDirectoryProcessor::ReadAhead {
public:
    ReadAhead(const std::vector<THashData>& files, std::vector<Prepared>& prepared,
              const FolderLoaderSettings& settings, const std::atomic<bool>& terminated)
        : files_(files), prepared_(prepared), settings_(settings), terminated_(terminated) {
        int threads = settings.readAheadThreads > 0
                          ? settings.readAheadThreads
                          : std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
        window_ = static_cast<size_t>(threads) * 3;
        for (int t = 0; t < threads; ++t)
            threads_.emplace_back([this] { work(); });
    }
    ~ReadAhead() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    // Waits until file i is prepared, or the run is asked to stop (the
    // request comes from another thread without a wake-up, so it is polled).
    Prepared& await(size_t i) {
        std::unique_lock lock(mutex_);
        consumed_ = i;
        wake_.notify_all();
        while (prepared_[i].state == Prepared::State::Pending && !stopping_ && !terminated_)
            ready_.wait_for(lock, std::chrono::milliseconds(50));
        return prepared_[i];
    }

private:
    bool mayTakeNext() const {
        return stopping_ || terminated_ || next_ >= files_.size() || next_ < consumed_ + window_;
    }

    void work() {
        for (;;) {
            size_t i;
            {
                std::unique_lock lock(mutex_);
                while (!mayTakeNext())
                    wake_.wait_for(lock, std::chrono::milliseconds(50));
                if (stopping_ || terminated_ || next_ >= files_.size())
                    return;
                i = next_++;
            }
            Prepared result = prepare(files_[i], prepared_[i].row);
            {
                std::lock_guard lock(mutex_);
                prepared_[i] = std::move(result);
            }
            ready_.notify_all();
        }
    }

    // A file that cannot be read (vanished, no permission) is skipped.
    Prepared prepare(const THashData& file, const TFolderImage* row) const {
        Prepared result;
        result.row = row;
        result.state = Prepared::State::Failed;
        ignoringErrors("TDirectoryProcessor reading " + file.FullName, [&] {
            bool knownKey = row && row->FileSize == file.FileSize;
            result.key = knownKey ? row->MD5 : FileMD5(file.FullName);
            choosePicture(file, result);
            result.state = Prepared::State::Ready;
        });
        return result;
    }

    void choosePicture(const THashData& file, Prepared& result) const {
        using Picture = ListedFile::Picture;
        if (file.FileSize == 0) {
            result.pictureKind = Picture::LoadingError;
        } else if (IsZipFile(file.FileName)) {
            result.pictureKind = Picture::Archive;
        } else if (auto picture = LoadOrMakePreview(settings_.previewCacheFolder, result.key,
                                                    file.FullName, settings_.jpegPreview)) {
            result.picture = std::move(*picture);
        } else {
            result.pictureKind = Picture::LoadingError;
        }
    }

    const std::vector<THashData>& files_;
    std::vector<Prepared>& prepared_;
    const FolderLoaderSettings& settings_;
    const std::atomic<bool>& terminated_;
    std::mutex mutex_;
    std::condition_variable wake_, ready_;
    size_t next_ = 0, consumed_ = 0, window_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

TDirectoryProcessor::TDirectoryProcessor(TCatalogueConnection& connection,
                                         FolderLoaderSettings settings, FolderListing& listing)
    : connection_(connection), settings_(std::move(settings)), listing_(listing) {}

TDirectoryProcessor::~TDirectoryProcessor() = default;

std::vector<THashData> TDirectoryProcessor::listCatalogueFiles() const {
    std::vector<THashData> files;
    const std::vector<std::string>& decoders = PictureDecoderList();
    std::error_code error;
    for (fs::directory_iterator entry(settings_.folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code kindError;
        if (entry->is_directory(kindError) ||
            !IsCatalogueFile(entry->path().filename().string(), decoders))
            continue;
        // A file that vanished between the listing and the look is not listed.
        ignoringErrors("TDirectoryProcessor listing " + entry->path().string(),
                       [&] { files.push_back(ReadHashData(entry->path())); });
    }
    return files;
}

void TDirectoryProcessor::Execute() {
    ++FolderLoadersRunning;
    auto started = std::chrono::steady_clock::now();
    listing_.beginListing();
    RemoveStaleTemporaries(settings_.folder);
    std::vector<THashData> files = listCatalogueFiles();
    {
        TStockDBObject catalogue(connection_); // the loader's own queries
        FolderRows rows;
        try {
            for (TFolderImage& row : catalogue.GetFolderImages(settings_.folder.string()))
                rows.emplace(row.FileName, std::move(row));
        } catch (const EDatabaseError& error) {
            // without the folder's rows every file is looked up by its key
            reportCatalogueError(catalogue, error);
        }
        std::vector<Prepared> prepared(files.size());
        for (size_t i = 0; i < files.size(); ++i)
            prepared[i].row = matchingRow(rows, files[i]);
        ReadAhead readAhead(files, prepared, settings_, terminated_);
        for (size_t i = 0; i < files.size() && !terminated_; ++i) {
            Prepared& file = readAhead.await(i);
            if (file.state == Prepared::State::Ready && !terminated_)
                processFile(catalogue, files[i], file);
        }
    }
    if (!terminated_) {
        listing_.endListing(loaded_);
        writeStatistics(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }
    --FolderLoadersRunning;
}

// The catalogue decision for one file, then its item. A statement the
// catalogue refuses is recorded and shown on the item; the file is still
// listed, and the run goes on with the next one.
void TDirectoryProcessor::processFile(TStockDBObject& catalogue, THashData& file,
                                      Prepared& prepared) {
    ListedFile listed;
    file.MD5 = prepared.key;
    try {
        reconcile(catalogue, file, prepared, listed);
    } catch (const EDatabaseError& error) {
        listed.catalogueError = reportCatalogueError(catalogue, error);
    }
    file.ImageIndex = loaded_;
    listed.file = file;
    listed.caption = file.FileName + (listed.copy ? " (copy)" : "") +
                     (listed.catalogueError.empty() ? "" : " (catalogue error)");
    listed.pictureKind = prepared.pictureKind;
    listed.picture = std::move(prepared.picture);
    listing_.addFile(std::move(listed));
    ++loaded_;
}

void TDirectoryProcessor::reconcile(TStockDBObject& catalogue, THashData& file,
                                    const Prepared& prepared, ListedFile& listed) {
    std::optional<int64_t> rowFileSize;
    if (prepared.row)
        rowFileSize = prepared.row->FileSize;
    listed.copy = ReconcileListedFile(catalogue, file, rowFileSize);
}

void TDirectoryProcessor::writeStatistics(double elapsed) const {
    logGuarded("Folder reading finished");
    auto seconds = static_cast<long>(elapsed);
    if (loaded_ == 0 || seconds <= 0)
        return;
    double perSecond = static_cast<double>(loaded_) / static_cast<double>(seconds);
    char rate[32];
    std::snprintf(rate, sizeof rate, "%g", perSecond);
    logGuarded(std::to_string(loaded_) + " items loaded. Total time is " + std::to_string(seconds) +
               " seconds. " + rate + " files per second");
    logGuarded(std::to_string(std::lround(perSecond * 60)) + " files per minute");
    std::lock_guard lock(averageSpeedMutex);
    averageSpeed = (averageSpeed + perSecond * 60) / 2;
    std::snprintf(rate, sizeof rate, "%g", averageSpeed);
    logGuarded(std::string(rate) + " average speed coef");
}

FolderLoaderThread::FolderLoaderThread(TCatalogueConnection& connection,
                                       FolderLoaderSettings settings,
                                       std::shared_ptr<FolderListing> listing)
    : listing_(std::move(listing)), processor_(connection, std::move(settings), *listing_),
      thread_([this] {
          processor_.Execute();
          finished_ = true;
      }) {}

FolderLoaderThread::~FolderLoaderThread() {
    processor_.Terminate();
    thread_.join();
}

} // namespace orvella
