#pragma once

#include "catalogue/FileRecords.h"

#include <optional>
#include <string>
#include <vector>

namespace orvella {

class TFTPUploader;
class TStockDBObject;

// One entry of the Uploads view: its caption, its check box, the image it
// shows (none for an entry without data) and the caption of its group, which
// is the stock name followed by " (" + number of entries + ")".
struct UploadListEntry {
    std::string Caption;
    bool Checked = true;
    std::optional<TImageData> Image;
    std::string GroupCaption;
};

// A file the uploader can send: a regular file (or a link to one).
bool IsUploadableFile(const std::string& path);

// The stock name of a group caption: without the trailing " (count)".
std::string StockNameOfGroup(const std::string& groupCaption);

// Adds a record to the uploader for every checked entry whose file exists,
// in list order, then logs the list. Gives the files of checked entries that
// were missing, so the caller can tell they were not sent.
std::vector<std::string> AddCheckedEntries(TFTPUploader& uploader,
                                           const std::vector<UploadListEntry>& entries,
                                           TStockDBObject& db);

// The Uploads view as it would be shown: every image in state "Ready to
// upload" at an enabled stock whose file exists, checked, grouped by stock in
// stock order.
std::vector<UploadListEntry> ReadyUploadEntries(TStockDBObject& db);

} // namespace orvella
