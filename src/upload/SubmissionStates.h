#pragma once

#include "catalogue/FileRecords.h"
#include "catalogue/StockDB.h"

#include <optional>
#include <string>
#include <vector>

namespace orvella {

class Prompts;
class Progress;

// The submission state names in code order, as the state grid and the
// selectors show them; a selector's item index is the stored code.
const std::vector<std::string>& StateNames();
// The name of a state ordinal (0 = no row = "Not ready").
std::string StateNameOfOrdinal(uint8_t ordinal);
// The code of a state name, letter case ignored; no value for an unknown name.
std::optional<int> StateCodeOfName(const std::string& name);

// The items of the "Set Global status" submenus: caption, the item's tag,
// the code it sets and its shortcut. "Upload failed" has no item.
struct GlobalStatusItem {
    std::string caption;
    int tag;
    int code;
    std::string shortcut;
};
const std::vector<GlobalStatusItem>& GlobalStatusItems();

// One row of the state grid: a stock of the stock list with the image's state
// there and its upload comment.
struct StockStateRow {
    int32_t stockId = 0;
    std::string stockName;
    std::string stateName;
    std::string comment;
};

// One selected entry of the image list: its caption, and its image when it
// has data.
struct SelectedImage {
    std::string caption;
    std::optional<TImageData> image;
};

// How a state setting went: the images whose state could not be set (their
// paths, or captions for entries without data), and whether it ran at all.
struct StateSettingOutcome {
    bool ran = false;
    std::vector<std::string> failed;
    std::string lastKey; // the image whose states the grid shows afterwards
};

// The rules for reading and changing submission states: the state grid's
// rows, the per-stock state setting with the checks that guard "Ready to
// upload", the global status command and the upload comments. Every question
// and message goes through Prompts; the stock list is the window's (the
// enabled stocks in stock order).
class SubmissionStates {
public:
    SubmissionStates(TStockDBObject& catalogue, Prompts& prompts, Progress& progress,
                     TStockList stocks);

    const TStockList& Stocks() const { return stocks_; }

    // The grid's rows for an image; "Not ready" and no comment where the image
    // has no row for a stock.
    std::vector<StockStateRow> ShowStates(const std::string& key);

    // Sets state `code` at one stock for every selected image, in order,
    // asking before "Ready to upload" where a check fails. An image whose
    // setting fails is logged and passed over; the failures are reported in
    // one message at the end.
    StateSettingOutcome SetStockState(int32_t stockId, int code,
                                      const std::vector<SelectedImage>& selection);

    // The global status command: the code of the item's tag at every stock of
    // the list, with the missing, RAW and IPTC questions before "Ready to
    // upload". Failures are reported as for SetStockState.
    StateSettingOutcome SetGlobalStatus(int tag, const std::vector<SelectedImage>& selection);

    // Leaving the grid: stores each comment that differs from the stored one
    // other than by leading or trailing blanks, cut to 255 characters.
    // `comments` holds the comment cell of each stock row, in list order.
    void SaveComments(const std::string& key, const std::vector<std::string>& comments);
    // The same for one stock's comment; true when it was written.
    bool SaveComment(const std::string& key, int32_t stockId, const std::string& comment);

private:
    bool readyChecksPass(const std::string& path, const TStock* stock, bool exemptVectors);
    const TStock* stockOf(int32_t stockId) const;
    void reportFailures(const std::vector<std::string>& failed);

    TStockDBObject& catalogue_;
    Prompts& prompts_;
    Progress& progress_;
    TStockList stocks_;
};

// Whether an entry of the Uploads view stays after a state change: false when
// its group names a stock where the image is no longer "Ready to upload".
bool UploadEntryStillReady(TStockDBObject& catalogue, const std::string& groupCaption,
                           const std::string& key);

// The upload comment as stored: its first 255 characters (UTF-8 sequences
// kept whole).
std::string StoredComment(const std::string& comment);

} // namespace orvella
