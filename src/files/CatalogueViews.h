#pragma once

#include "catalogue/Connection.h"
#include "catalogue/FileRecords.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvella {

// The four views the file list can show from the catalogue alone.
enum class CatalogueViewMode { Category = 0, Stock = 1, Uploads = 2, Search = 3 };

// One group of a view: its caption (the count is added when the run ends),
// whether its check box is ticked and whether it starts collapsed.
struct ViewGroup {
    std::string caption;
    bool ticked = false;
    bool collapsed = false;
    int itemCount = 0;
};

// One image of a view. The picture comes only from the preview cache: the
// file is named when it exists, and the window reads it; a run never makes
// thumbnails.
struct ViewItem {
    std::string caption; // the FileName stored in IMAGES
    TImageData data;
    std::filesystem::path previewFile; // empty when the cache has no picture
    bool checked = false;
};

// Where a view run delivers its results. The calls come from the run's own
// thread in this order: beginView, then for a result with rows setGroups and
// addItems (items in row order, in batches), then finishView after a complete
// run. A window that shows them on another thread hands them to its own
// thread and drops whatever arrives after it asked the run to stop.
class CatalogueViewListing {
public:
    virtual ~CatalogueViewListing() = default;
    // The items and pictures are cleared.
    virtual void beginView() = 0;
    // The groups are replaced by these, numbered from 0 in this order.
    virtual void setGroups(const std::vector<ViewGroup>& groups) = 0;
    virtual void addItems(int group, std::vector<ViewItem> items) = 0;
    // The groups with their final captions ("Pending (12)") and item counts;
    // empty when the result had no rows.
    virtual void finishView(const std::vector<ViewGroup>& groups) = 0;
};

struct CatalogueViewSettings {
    CatalogueViewMode mode = CatalogueViewMode::Category;
    std::string categoryId; // Category: CATEGORY_ID
    int32_t stockId = 0;    // Stock: STOCK_ID
    std::string searchText; // Search: the text typed in the search box
    std::filesystem::path previewCacheFolder;
    bool hideMissing = false; // the HideMissingFiles option at the time of the request
};

// The group captions of the stock view, in the order they are shown.
const std::vector<std::string>& StockViewGroupCaptions();

// The words a search text looks for: split at the keyword separators and
// trimmed; blanks inside a word are kept ("blue sky" is one word).
std::vector<std::string> SearchWords(const std::string& searchText);

// Fills a view from the catalogue: the images of a category, of one stock
// grouped by submission state, the images ready to upload grouped by stock,
// or the images carrying any of the searched keywords. It reads the
// catalogue and checks each file's presence; it never changes the catalogue.
class TFilterProcessor {
public:
    TFilterProcessor(TCatalogueConnection& connection, CatalogueViewSettings settings,
                     CatalogueViewListing& listing);

    // The whole run on the calling thread.
    void Execute();
    // Cooperative stop, checked between rows: nothing more is delivered.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

private:
    struct Row;
    class Placement;

    std::string mainStatement() const;
    std::string searchStatement(std::vector<std::string>& keywordIds) const;
    std::vector<Row> readRows(const std::vector<std::string>& keywordIds) const;
    void deliverRows(const std::vector<Row>& rows, Placement& placement);

    TCatalogueConnection& connection_;
    CatalogueViewSettings settings_;
    CatalogueViewListing& listing_;
    std::atomic<bool> terminated_{false};
};

// A view run on a worker thread of its own (the category view). Destroying
// it asks the run to stop and waits for the row in hand.
class CatalogueViewThread {
public:
    CatalogueViewThread(TCatalogueConnection& connection, CatalogueViewSettings settings,
                        std::shared_ptr<CatalogueViewListing> listing);
    ~CatalogueViewThread();
    CatalogueViewThread(const CatalogueViewThread&) = delete;
    CatalogueViewThread& operator=(const CatalogueViewThread&) = delete;

    void Terminate() { processor_.Terminate(); }
    bool Finished() const { return finished_; }

private:
    std::shared_ptr<CatalogueViewListing> listing_;
    TFilterProcessor processor_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Set while a view run is active; the window asks it before starting another.
extern std::atomic<int> FilterRunning;

} // namespace orvella
