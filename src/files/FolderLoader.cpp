#include "files/FolderLoader.h"

#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "catalogue/StockDB.h"
#include "files/FileIdentity.h"
#include "files/FileKinds.h"
#include "files/FileRegistration.h"
#include "files/PreviewCache.h"
#include "shell/Log.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace orvella {

namespace fs = std::filesystem;

std::atomic<int> FolderLoadersRunning{0};

namespace {

// A catalogue row of the folder being listed.
struct TFileData {
    std::string MD5;
    std::string FileName;
    int64_t FileSize = 0;
    std::string FilePath;
};

std::vector<TFileData> readFolderRows(TCatalogueConnection& connection, const std::string& folder) {
    TQuery query(connection);
    query.SetSQL("select * from IMAGES where FilePath = " + QuotedStr(folder));
    query.Open();
    std::vector<TFileData> rows;
    for (; !query.Eof(); query.Next())
        rows.push_back({query.FieldByName("MD5").AsString(), query.FieldByName("FileName").AsString(),
                        query.FieldByName("FileSize").AsInteger(), query.FieldByName("FilePath").AsString()});
    return rows;
}

// Names and folders match exactly as found on disk: the file system tells
// letter case apart.
const TFileData* matchingRow(const std::vector<TFileData>& rows, const THashData& file) {
    for (const TFileData& row : rows)
        if (row.FileName == file.FileName && row.FilePath == file.FilePath)
            return &row;
    return nullptr;
}

double averageSpeed = 0; // files per minute over the runs, for the log only
std::mutex averageSpeedMutex;

} // namespace

// What the read-ahead threads work out for one file: its key where the file
// must be read for it, and its picture.
struct TDirectoryProcessor::Prepared {
    enum class State { Pending, Ready, Failed };
    State state = State::Pending;
    const TFileData* row = nullptr; // the catalogue row of the same name, if any
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

    Prepared prepare(const THashData& file, const TFileData* row) const {
        Prepared result;
        result.row = row;
        try {
            bool knownKey = row && row->FileSize == file.FileSize;
            result.key = knownKey ? row->MD5 : FileMD5(file.FullName);
            choosePicture(file, result);
            result.state = Prepared::State::Ready;
        } catch (const std::exception&) {
            result.state = Prepared::State::Failed; // unreadable or vanished: the file is skipped
        }
        return result;
    }

    void choosePicture(const THashData& file, Prepared& result) const {
        using Picture = ListedFile::Picture;
        if (file.FileSize == 0) {
            result.pictureKind = Picture::LoadingError;
        } else if (IsZipFile(file.FileName)) {
            result.pictureKind = Picture::Archive;
        } else if (auto picture = LoadOrMakePreview(settings_.previewCacheFolder, result.key, file.FullName,
                                                    settings_.jpegPreview)) {
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

TDirectoryProcessor::TDirectoryProcessor(TCatalogueConnection& connection, FolderLoaderSettings settings,
                                         FolderListing& listing)
    : connection_(connection), settings_(std::move(settings)), listing_(listing) {}

TDirectoryProcessor::~TDirectoryProcessor() = default;

std::vector<THashData> TDirectoryProcessor::listCatalogueFiles() const {
    std::vector<THashData> files;
    const std::vector<std::string>& decoders = PictureDecoderList();
    std::error_code error;
    for (fs::directory_iterator entry(settings_.folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code kindError;
        if (entry->is_directory(kindError) || !IsCatalogueFile(entry->path().filename().string(), decoders))
            continue;
        try {
            files.push_back(ReadHashData(entry->path()));
        } catch (const std::exception&) {
            // vanished between the listing and the look: not listed
        }
    }
    return files;
}

void TDirectoryProcessor::Execute() {
    ++FolderLoadersRunning;
    auto started = std::chrono::steady_clock::now();
    listing_.beginListing();
    std::vector<THashData> files = listCatalogueFiles();
    std::vector<TFileData> rows;
    try {
        rows = readFolderRows(connection_, settings_.folder.string());
    } catch (const std::exception&) {
        // without the folder's rows every file is looked up by its key
    }
    std::vector<Prepared> prepared(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        prepared[i].row = matchingRow(rows, files[i]);
    {
        TStockDBObject catalogue(connection_); // the loader's own queries
        ReadAhead readAhead(files, prepared, settings_, terminated_);
        for (size_t i = 0; i < files.size() && !terminated_; ++i) {
            Prepared& file = readAhead.await(i);
            if (file.state == Prepared::State::Ready && !terminated_)
                processFile(catalogue, files[i], file);
        }
    }
    if (!terminated_) {
        listing_.endListing(loaded_);
        writeStatistics(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }
    --FolderLoadersRunning;
}

// The catalogue decision for one file, then its item. A catalogue error
// abandons this file only.
void TDirectoryProcessor::processFile(TStockDBObject& catalogue, THashData& file, Prepared& prepared) {
    ListedFile listed;
    try {
        file.MD5 = prepared.key;
        std::optional<int64_t> rowFileSize;
        if (prepared.row)
            rowFileSize = prepared.row->FileSize;
        listed.copy = ReconcileListedFile(catalogue, file, rowFileSize);
    } catch (const std::exception&) {
        return;
    }
    file.ImageIndex = loaded_;
    listed.file = file;
    listed.caption = file.FileName + (listed.copy ? " (copy)" : "");
    listed.pictureKind = prepared.pictureKind;
    listed.picture = std::move(prepared.picture);
    listing_.addFile(std::move(listed));
    ++loaded_;
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

FolderLoaderThread::FolderLoaderThread(TCatalogueConnection& connection, FolderLoaderSettings settings,
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
