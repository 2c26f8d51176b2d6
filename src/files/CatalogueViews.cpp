#include "files/CatalogueViews.h"

#include "catalogue/KeywordText.h"
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "catalogue/StockDB.h"
#include "shell/Log.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <unordered_set>

namespace orvella {

namespace fs = std::filesystem;

std::atomic<int> FilterRunning{0};

namespace {

// Items are handed over in batches: a window on another thread then takes
// one queued call per batch instead of one per image.
constexpr size_t kBatchSize = 256;

std::string fullNameOf(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string joinedIds(const std::vector<std::string>& ids) {
    std::string list;
    for (const std::string& id : ids)
        list += (list.empty() ? "" : ", ") + QuotedStr(id);
    return list;
}

// Tells whether files exist. Where a view holds thousands of files of one
// folder, the folder is listed once instead of asking about each file: a
// large view then costs one directory read, not a status call per image. A
// few files are asked about one by one, as their folder may hold many more.
class PresenceCheck {
public:
    static constexpr size_t kListingThreshold = 10000;

    // Lists the folders that hold at least the threshold of the names.
    void prepare(const std::map<std::string, size_t>& namesPerFolder) {
        for (const auto& [folder, count] : namesPerFolder)
            if (count >= kListingThreshold)
                listed_[folder] = listFolder(folder);
    }

    bool exists(const std::string& folder, const std::string& name) const {
        if (auto listing = listed_.find(folder); listing != listed_.end() && listing->second)
            return listing->second->contains(name);
        std::error_code error;
        return fs::exists(fullNameOf(folder, name), error);
    }

private:
    using Names = std::unordered_set<std::string>;

    // No value when the folder cannot be read: its files are then asked
    // about one by one.
    static std::optional<Names> listFolder(const std::string& folder) {
        std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(folder.c_str()), closedir);
        if (!directory)
            return std::nullopt;
        Names names;
        errno = 0;
        while (const dirent* entry = readdir(directory.get()))
            names.emplace(entry->d_name);
        if (errno != 0)
            return std::nullopt;
        return names;
    }

    std::map<std::string, std::optional<Names>> listed_;
};

// Keeps the flag set for the run, on every path.
class RunningFlag {
public:
    RunningFlag() { ++FilterRunning; }
    ~RunningFlag() { --FilterRunning; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;
};

} // namespace

const std::vector<std::string>& StockViewGroupCaptions() {
    static const std::vector<std::string> captions{"Accepted",     "Pending", "Ready to upload",
                                                   "Resubmit",     "Donated", "Rejected",
                                                   "Upload failed"};
    return captions;
}

std::vector<std::string> SearchWords(const std::string& searchText) {
    std::vector<std::string> words;
    const CharSet& separators = KeywordSeparators();
    int count = WordCount(searchText, separators);
    for (int n = 1; n <= count; ++n) {
        std::string word = TrimKeyword(ExtractWord(n, searchText, separators));
        if (!word.empty())
            words.push_back(std::move(word));
    }
    return words;
}

// One row of a view's statement with the IMAGES row of its key joined in;
// hasImage is false when the key has no IMAGES row.
struct TFilterProcessor::Row {
    bool hasImage = false;
    std::string md5;
    std::string fileName;
    std::string filePath;
    int64_t fileSize = 0;
    int32_t stockId = 0;
    std::string stateId;
};

// Which group a row goes to, per mode; no value skips the row. The lines
// logged for single rows are progress lines, written only with -log: a large
// view would otherwise add thousands of lines to the log.
class TFilterProcessor::Placement {
public:
    Placement(CatalogueViewMode mode, TCatalogueConnection& connection) : mode_(mode) {
        switch (mode) {
        case CatalogueViewMode::Category:
            groups_.push_back({"Files", false, false, 0});
            break;
        case CatalogueViewMode::Search:
            groups_.push_back({"Search Results", false, false, 0});
            break;
        case CatalogueViewMode::Stock:
            for (const std::string& caption : StockViewGroupCaptions())
                groups_.push_back({caption, false, false, 0});
            break;
        case CatalogueViewMode::Uploads: {
            TStockDBObject catalogue(connection);
            for (const TStock& stock : catalogue.GetStocks(true)) {
                stockGroups_[stock.StockId] = static_cast<int>(groups_.size());
                groups_.push_back({stock.Name, true, false, 0});
            }
            break;
        }
        }
    }

    // Logged as the groups are made, once the result has rows.
    void logGroups() const {
        if (mode_ == CatalogueViewMode::Uploads)
            for (const ViewGroup& group : groups_)
                logAlways("Group " + group.caption + " added");
        if (mode_ == CatalogueViewMode::Search)
            logAlways("Search result showing");
    }

    std::optional<int> groupOf(const Row& row) const {
        switch (mode_) {
        case CatalogueViewMode::Category:
        case CatalogueViewMode::Search:
            return 0;
        case CatalogueViewMode::Stock:
            return stateGroup(row.stateId);
        case CatalogueViewMode::Uploads: {
            auto group = stockGroups_.find(row.stockId);
            if (group == stockGroups_.end())
                return std::nullopt;
            logGuarded("Item enabled, checked");
            return group->second;
        }
        }
        return std::nullopt;
    }

    std::vector<ViewGroup>& groups() { return groups_; }

private:
    static std::optional<int> stateGroup(const std::string& stateId) {
        // The stored code's group among "Accepted", "Pending", "Ready to
        // upload", "Resubmit", "Donated", "Rejected", "Upload failed".
        static const std::map<std::string, int> groups{{"1", 2}, {"2", 1}, {"3", 6}, {"4", 5},
                                                       {"5", 0}, {"6", 3}, {"7", 4}};
        if (stateId == "0") {
            logGuarded("State id = 0");
            return std::nullopt;
        }
        auto group = groups.find(stateId);
        if (group == groups.end())
            return std::nullopt;
        return group->second;
    }

    CatalogueViewMode mode_;
    std::vector<ViewGroup> groups_;
    std::map<int32_t, int> stockGroups_;
};

TFilterProcessor::TFilterProcessor(TCatalogueConnection& connection, CatalogueViewSettings settings,
                                   CatalogueViewListing& listing)
    : connection_(connection), settings_(std::move(settings)), listing_(listing) {}

// The statement that says what the view shows, as it is logged.
std::string TFilterProcessor::mainStatement() const {
    switch (settings_.mode) {
    case CatalogueViewMode::Category:
        return "select * from IMAGE_CATEGORY where CATEGORY_ID = " +
               QuotedStr(settings_.categoryId);
    case CatalogueViewMode::Stock:
        return "select * from IMAGE_STOCK where STOCK_ID = " + std::to_string(settings_.stockId) +
               " order by STATE_ID";
    case CatalogueViewMode::Uploads:
        return "select distinct * from IMAGE_STOCK where STATE_ID = '1'";
    case CatalogueViewMode::Search:
        break;
    }
    return "";
}

// A search looks its words up without adding any to the keyword list: a word
// that is no keyword matches nothing.
std::string TFilterProcessor::searchStatement(std::vector<std::string>& keywordIds) const {
    std::vector<std::string> words = SearchWords(settings_.searchText);
    if (!words.empty()) {
        std::string list;
        for (const std::string& word : words)
            list += (list.empty() ? "" : ", ") + QuotedStr(word);
        TQuery lookup(connection_);
        lookup.SetSQL("select KEYWORD_ID from KEYWORDS where KEYWORD in (" + list + ")");
        lookup.Open();
        for (; !lookup.Eof(); lookup.Next())
            keywordIds.push_back(lookup.FieldByName("KEYWORD_ID").AsString());
    }
    return "select distinct I.* from IMAGES I, IMAGE_KEYWORD K  where I.MD5 = K.MD5  and "
           "KEYWORD_ID in (" +
           joinedIds(keywordIds) + ")";
}

// The rows of the main statement in its order, each with its IMAGES row, read
// by one statement instead of one look-up per row.
std::vector<TFilterProcessor::Row>
TFilterProcessor::readRows(const std::vector<std::string>& keywordIds) const {
    const std::string imageColumns = "I.MD5 as IMAGE_KEY, I.FileName, I.FilePath, I.FileSize";
    std::string sql;
    switch (settings_.mode) {
    case CatalogueViewMode::Category:
        sql = "select R.MD5, " + imageColumns +
              " from IMAGE_CATEGORY R left join IMAGES I on I.MD5 = R.MD5 where R.CATEGORY_ID = " +
              QuotedStr(settings_.categoryId) + " order by R.rowid";
        break;
    case CatalogueViewMode::Stock:
        sql = "select R.MD5, R.STATE_ID, " + imageColumns +
              " from IMAGE_STOCK R left join IMAGES I on I.MD5 = R.MD5 where R.STOCK_ID = " +
              std::to_string(settings_.stockId) + " order by R.STATE_ID, R.rowid";
        break;
    case CatalogueViewMode::Uploads:
        // Distinct IMAGE_STOCK rows, each taken where it first occurs.
        sql = "select R.MD5, R.STOCK_ID, " + imageColumns +
              " from IMAGE_STOCK R left join IMAGES I on I.MD5 = R.MD5 where R.STATE_ID = '1'"
              " group by R.MD5, R.STOCK_ID, R.STATE_ID, R.UPLOAD_COMMENT, R.UPLOAD_DATE"
              " order by min(R.rowid)";
        break;
    case CatalogueViewMode::Search:
        if (keywordIds.empty())
            return {};
        sql = "select distinct I.MD5, " + imageColumns +
              " from IMAGES I, IMAGE_KEYWORD K where I.MD5 = K.MD5 and K.KEYWORD_ID in (" +
              joinedIds(keywordIds) + ")";
        break;
    }
    TQuery query(connection_);
    query.SetSQL(sql);
    query.Open();
    std::vector<Row> rows;
    rows.reserve(query.RecordCount());
    const std::vector<std::string>& columns = query.FieldNames();
    bool hasStock = std::find(columns.begin(), columns.end(), "STOCK_ID") != columns.end();
    bool hasState = std::find(columns.begin(), columns.end(), "STATE_ID") != columns.end();
    for (; !query.Eof(); query.Next()) {
        Row row;
        row.md5 = query.FieldByName("MD5").AsString();
        TField imageKey = query.FieldByName("IMAGE_KEY");
        row.hasImage = !imageKey.IsNull();
        if (row.hasImage) {
            row.md5 = imageKey.AsString();
            row.fileName = query.FieldByName("FileName").AsString();
            row.filePath = query.FieldByName("FilePath").AsString();
            row.fileSize = query.FieldByName("FileSize").AsInteger();
        }
        if (hasStock)
            row.stockId = static_cast<int32_t>(query.FieldByName("STOCK_ID").AsInteger());
        if (hasState)
            row.stateId = query.FieldByName("STATE_ID").AsString();
        rows.push_back(std::move(row));
    }
    return rows;
}

void TFilterProcessor::Execute() {
    RunningFlag running;
    listing_.beginView();
    std::vector<std::string> keywordIds;
    std::string statement =
        settings_.mode == CatalogueViewMode::Search ? searchStatement(keywordIds) : mainStatement();
    logAlways(statement);
    std::vector<Row> rows = readRows(keywordIds);
    if (terminated_)
        return;
    if (rows.empty()) {
        logAlways("Empty query result");
        listing_.finishView({});
        return;
    }
    Placement placement(settings_.mode, connection_);
    placement.logGroups();
    listing_.setGroups(placement.groups());
    deliverRows(rows, placement);
    if (terminated_)
        return;
    std::vector<ViewGroup>& groups = placement.groups();
    for (ViewGroup& group : groups)
        group.caption += " (" + std::to_string(group.itemCount) + ")";
    if (settings_.mode == CatalogueViewMode::Stock)
        groups.front().collapsed = true; // "Accepted"
    listing_.finishView(groups);
}

void TFilterProcessor::deliverRows(const std::vector<Row>& rows, Placement& placement) {
    int batchGroup = -1;
    std::vector<ViewItem> batch;
    auto flush = [&] {
        if (!batch.empty() && !terminated_)
            listing_.addItems(batchGroup, std::move(batch));
        batch.clear();
    };
    bool uploads = settings_.mode == CatalogueViewMode::Uploads;
    PresenceCheck files, previews;
    std::map<std::string, size_t> namesPerFolder;
    for (const Row& row : rows)
        if (row.hasImage)
            ++namesPerFolder[row.filePath];
    files.prepare(namesPerFolder);
    std::string cacheFolder = settings_.previewCacheFolder.string();
    if (!cacheFolder.empty())
        previews.prepare({{cacheFolder, rows.size()}});
    for (const Row& row : rows) {
        if (terminated_)
            return;
        if (!row.hasImage)
            continue;
        bool absent = !files.exists(row.filePath, row.fileName);
        if (absent && (settings_.hideMissing || uploads)) {
            logGuarded("File absent");
            continue;
        }
        std::optional<int> group = placement.groupOf(row);
        if (!group)
            continue;
        ViewItem item;
        item.caption = row.fileName;
        item.data.FileName = row.fileName;
        item.data.FilePath = row.filePath;
        item.data.FullName = fullNameOf(row.filePath, row.fileName);
        item.data.FileSize = row.fileSize;
        item.data.MD5 = row.md5;
        item.data.FileAbsent = absent;
        item.checked = uploads;
        // A preview cache file is named by the image key alone.
        if (!cacheFolder.empty() && previews.exists(cacheFolder, row.md5))
            item.previewFile = settings_.previewCacheFolder / row.md5;
        if (*group != batchGroup || batch.size() >= kBatchSize) {
            flush();
            batchGroup = *group;
        }
        ++placement.groups()[*group].itemCount;
        batch.push_back(std::move(item));
    }
    flush();
}

CatalogueViewThread::CatalogueViewThread(TCatalogueConnection& connection,
                                         CatalogueViewSettings settings,
                                         std::shared_ptr<CatalogueViewListing> listing)
    : listing_(std::move(listing)), processor_(connection, std::move(settings), *listing_) {
    thread_ = std::thread([this] {
        try {
            processor_.Execute();
        } catch (const std::exception& error) {
            logAlways(std::string("Filter processor failed: ") + error.what());
        }
        finished_ = true;
    });
}

CatalogueViewThread::~CatalogueViewThread() {
    processor_.Terminate();
    thread_.join();
}

} // namespace orvella
