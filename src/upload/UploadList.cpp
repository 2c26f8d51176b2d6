#include "upload/UploadList.h"

#include "catalogue/SqlText.h"
#include "catalogue/StockDB.h"
#include "shell/Log.h"
#include "upload/FTPUploader.h"

#include <filesystem>
#include <map>

namespace orvella {

namespace {

std::optional<TImageData> catalogueImage(TCatalogueConnection& connection, const std::string& key) {
    TQuery query(connection);
    query.SetSQL("select * from IMAGES where MD5 = " + QuotedStr(key));
    query.Open();
    if (query.Eof())
        return std::nullopt;
    TImageData image;
    image.MD5 = key;
    image.FileName = query.FieldByName("FileName").AsString();
    image.FilePath = query.FieldByName("FilePath").AsString();
    image.FullName =
        image.FilePath == "/" ? "/" + image.FileName : image.FilePath + "/" + image.FileName;
    image.FileSize = query.FieldByName("FileSize").AsInteger();
    return image;
}

} // namespace

bool IsUploadableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string StockNameOfGroup(const std::string& groupCaption) {
    if (groupCaption.empty() || groupCaption.back() != ')')
        return groupCaption;
    size_t open = groupCaption.rfind(" (");
    if (open == std::string::npos)
        return groupCaption;
    std::string count = groupCaption.substr(open + 2, groupCaption.size() - open - 3);
    if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos)
        return groupCaption;
    return groupCaption.substr(0, open);
}

std::vector<std::string> AddCheckedEntries(TFTPUploader& uploader,
                                           const std::vector<UploadListEntry>& entries,
                                           TStockDBObject& db) {
    std::vector<std::string> missing;
    for (const UploadListEntry& entry : entries) {
        if (!entry.Checked)
            continue;
        logAlways(entry.Caption + " checked and will be uploaded");
        if (!entry.Image) {
            logAlways("Skip file " + entry.Caption);
            continue;
        }
        const std::string& path = entry.Image->FullName;
        if (!IsUploadableFile(path)) {
            logAlways("File not found " + path + ". Skiped");
            missing.push_back(path);
            continue;
        }
        logAlways("Filename is " + path);
        logAlways("Group caption " + entry.GroupCaption);
        std::string stockName = StockNameOfGroup(entry.GroupCaption);
        int32_t stockId = db.GetStockId(stockName);
        logAlways("Stock ID " + std::to_string(stockId));
        logAlways("Stock name is " + stockName);
        bool enabled = db.IsStockEnabled(stockId);
        logAlways(enabled ? "Stock enabled" : "Stock disabled");
        uploader.AddRecord({path, stockId, entry.Image->MD5, enabled});
    }
    uploader.LogUploadList();
    return missing;
}

std::vector<UploadListEntry> ReadyUploadEntries(TStockDBObject& db) {
    TStockList stocks = db.GetStocks(true);
    std::map<int32_t, std::vector<UploadListEntry>> groups;
    TQuery query(db.Connection());
    query.SetSQL("select distinct * from IMAGE_STOCK where STATE_ID = '1'");
    query.Open();
    for (; !query.Eof(); query.Next()) {
        auto stockId = static_cast<int32_t>(query.FieldByName("STOCK_ID").AsInteger());
        std::optional<TImageData> image =
            catalogueImage(db.Connection(), query.FieldByName("MD5").AsString());
        if (!image || !IsUploadableFile(image->FullName))
            continue;
        groups[stockId].push_back({image->FileName, true, image, ""});
    }
    std::vector<UploadListEntry> entries;
    for (const TStock& stock : stocks) {
        auto group = groups.find(stock.StockId);
        if (group == groups.end())
            continue;
        std::string caption = stock.Name + " (" + std::to_string(group->second.size()) + ")";
        for (UploadListEntry& entry : group->second) {
            entry.GroupCaption = caption;
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

} // namespace orvella
