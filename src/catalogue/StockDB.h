#pragma once

#include "catalogue/CategoryTreeSink.h"
#include "catalogue/Connection.h"
#include "catalogue/FileRecords.h"
#include "catalogue/Query.h"
#include "shell/DateTime.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvella {

class Prompts;
class Progress;
class TOptionsCache;

// The submission state of an image at one stock. The state travels as an
// ordinal: 0 = no row ("Not ready"), n = stored code n - 1.
struct TStockState {
    uint8_t State = 0;
    int32_t StockId = 0;
    std::string UploadComment;
    DateTime UploadDate{}; // zero when never uploaded
};
using TStockStates = std::vector<TStockState>;

// One agency account.
struct TStock {
    int32_t StockId = 0;
    std::string Name;
    std::string FtpLogin;
    std::string FtpPassword;
    std::string FtpHost;
    bool Enabled = false;
    bool FtpEnabled = false;
    std::string Url;
    std::string WebLogin;
    std::string WebPassword;
};
using TStockList = std::vector<TStock>; // always in STOCK_ID order

using TKeywords = std::vector<std::string>;

struct TModelRelease {
    std::string ReleaseId;
    std::string FileName;
    std::string ModelName;
};
using TModelReleases = std::vector<TModelRelease>;
using TMR = TModelRelease; // what the release list's entries carry

// A catalogue row of one folder, as the folder loader matches it to a file.
struct TFolderImage {
    std::string MD5;
    std::string FileName;
    int64_t FileSize = 0;
    std::string FilePath;
};

// The state ordinal of a stored STATE_ID text: digit d gives d + 1, any
// other text 0.
uint8_t StateOrdinalOf(const std::string& stateId);

// The catalogue access object of the window thread: every catalogue operation
// goes through its shared query, whose SQL text is the latest statement.
class TStockDBObject {
public:
    // Create: binds to the connection (not owned) and makes the shared query.
    explicit TStockDBObject(TCatalogueConnection& connection);

    void SetCategoryTree(CategoryTreeSink* tree) { categoryTree_ = tree; }
    CategoryTreeSink* CategoryTree() const { return categoryTree_; }
    // Where the user is told and asked things (messages, the category name).
    void SetPrompts(Prompts* prompts) { prompts_ = prompts; }
    // The progress window of long operations.
    void SetProgress(Progress* progress) { progress_ = progress; }
    // The option cache (KeywordsAlphaSort); without one every option is off.
    void SetOptions(const TOptionsCache* options) { options_ = options; }

    // Runs a statement that gives no rows; errors reach the caller.
    void ExecuteStatement(const std::string& text);
    // The SQL text the shared query holds now.
    std::string LatestStatement() const { return query_.SQL(); }

    // A new identifier: a random GUID's 32 hexadecimal digits, upper case.
    static std::string NewId();

    TCatalogueConnection& Connection() const { return connection_; }

    // Images and submission states.
    void AddImage(const THashData& file);
    std::string GetImagePath(const std::string& key);
    void SetImageFileName(const std::string& key, const std::string& name);
    void SetImageFolder(const std::string& key, const std::string& folder);
    // The image's row names the file folder/name. One parsed statement serves
    // every call, so a command moving many files parses it once.
    void SetImageLocation(const std::string& key, const std::string& folder,
                          const std::string& name);
    // The rows whose folder is exactly folder (names compare as on disk).
    std::vector<TFolderImage> GetFolderImages(const std::string& folder);
    // A file whose content changed: the row at folder/name takes the new key
    // and size; the triggers carry the image's other rows along.
    void SetImageKeyAt(const std::string& folder, const std::string& name,
                       const std::string& newKey, int64_t size);
    // The key of the row at folder/name; empty without one.
    std::string ImageKeyAt(const std::string& folder, const std::string& name);
    void ChangeImageKey(const std::string& newKey, const std::string& oldKey);
    void DeleteImage(const std::string& key);
    void CleanupOrphans();
    uint8_t GetState(int32_t stockId, const std::string& key);
    TStockStates GetStates(const std::string& key);
    void GetStateSummary(std::vector<std::string>& lines, const std::string& key);
    std::string GetStateName(const std::string& stateId);
    void SetState(int32_t stockId, const std::string& key, uint8_t ordinal);
    void SetUploadComment(int32_t stockId, const std::string& key, const std::string& comment);
    void RemoveState(int32_t stockId, const std::string& key);

    // Stock accounts.
    TStockList GetStocks(bool enabledOnly);
    std::string GetStockName(int32_t stockId);
    int32_t GetStockId(const std::string& name);
    bool IsStockEnabled(int32_t stockId);
    void AddStock(const std::string& name, const std::string& url, bool ftpEnabled,
                  const std::string& ftpHost);
    void DeleteStock(int32_t stockId);
    void SetStockEnabled(int32_t stockId, bool enabled);
    void SetStockFtpLogin(int32_t stockId, const std::string& login, const std::string& password);
    void SetStockWebLogin(int32_t stockId, const std::string& login, const std::string& password);
    void SetStockFtpServer(int32_t stockId, bool ftpEnabled, const std::string& ftpHost);
    void SetStockUrl(int32_t stockId, const std::string& url);

    // Keywords and the keywords of images, kept in ORDER_ID order.
    std::string FindKeywordId(const std::string& keyword);
    std::string GetOrCreateKeyword(const std::string& keyword);
    void AddKeywordToImage(const std::string& key, const std::string& keywordId);
    bool AddKeywordTextToImage(const std::string& key, const std::string& text);
    std::string AddKeywordTextAndList(const std::string& text, const std::string& key);
    void RemoveKeywordFromImage(const std::string& key, const std::string& keywordId);
    // Every keyword of the image dropped from it.
    void ClearImageKeywords(const std::string& key);
    void DeleteKeyword(const std::string& keyword);
    TKeywords GetImageKeywords(const std::string& key);
    std::string GetImageKeywordLine(const std::string& key);
    void MoveKeywordUp(const std::string& key, const std::string& keywordId);
    void MoveKeywordDown(const std::string& key, const std::string& keywordId);
    void SortImageKeywords(const std::string& key);
    void RepairKeywordOrder(const std::string& key);
    void MergeImageKeywords(const std::string& key1, const std::string& key2);

    // The category tree, its keywords and its images.
    // With no name, the user is asked for one. Gives the new category's id,
    // or empty text when nothing was created.
    std::string CreateCategory(const std::optional<std::string>& name, const std::string& parentId);
    bool CategoryExists(const std::string& name, const std::string& parentId);
    void RenameCategory(const std::string& categoryId, const std::string& name);
    void DeleteCategory(const std::string& categoryId);
    void LoadCategoryTree(CategoryTreeSink& tree, bool expand);
    CategoryTreeSink::Node AddCategoryNode(const std::string& categoryId, const std::string& name,
                                           CategoryTreeSink& tree, const std::string& parentId);
    CategoryTreeSink::Node FindCategoryNode(const std::string& categoryId,
                                            const CategoryTreeSink& tree) const;
    TKeywords GetCategoryKeywords(const std::string& categoryId);
    TKeywords GetImageCategoryKeywords(const std::string& key);
    bool AddKeywordToCategory(const std::string& categoryId, const std::string& keywordId);
    bool AddKeywordTextToCategory(const std::string& categoryId, const std::string& text);
    void RemoveKeywordFromCategory(const std::string& categoryId, const std::string& keywordId);
    void AddImageToCategory(const std::string& categoryId, const std::string& key);
    bool IsImageInCategory(const std::string& categoryId, const std::string& key);
    void RemoveImageFromCategory(const std::string& key, const std::string& categoryId);

    // Model releases and the cache of metadata values.
    std::string AddModelRelease(const std::string& file, const std::string& modelName);
    TModelReleases GetModelReleases();
    TModelReleases GetImageReleases(const std::string& key);
    void AttachRelease(const std::string& key, const TMR& release);
    void DetachRelease(const std::string& key, const TMR& release);
    void DeleteRelease(const std::string& releaseId);
    std::string StoreExifValue(const std::string& key, const std::string& tagName,
                               const std::string& value);
    std::string StoreIptcValue(const std::string& key, const std::string& datasetName,
                               const std::string& value);

private:
    // The shared query opened on a select; gives its row count.
    size_t openShared(const std::string& sql);
    void dropSecondRowsAt(const std::string& folder, const std::string& name);
    bool imageExists(const std::string& key);
    void tellUnknownImage(const std::string& key);
    Prompts& prompts() const;
    bool optionOn(const char* name) const;
    TKeywords keywordColumn(const std::string& sql);
    void renumberKeywords(const std::function<std::string(int, const std::string&)>& statementFor);
    void moveKeyword(const std::string& key, const std::string& keywordId, bool up);
    CategoryTreeSink::Node addCategoryNodeOnce(const std::string& categoryId,
                                               const std::string& name, CategoryTreeSink& tree,
                                               const std::string& parentId,
                                               std::set<std::string>& added);
    struct MetadataTables;
    std::string storeMetadataValue(const MetadataTables& tables, const std::string& key,
                                   const std::string& tagName, const std::string& value);

    TCatalogueConnection& connection_;
    TQuery query_;
    TRepeatedStatement locationUpdate_{
        connection_, "update IMAGES set FilePath = ?1, FileName = ?2 where MD5 = ?3"};
    CategoryTreeSink* categoryTree_ = nullptr;
    Prompts* prompts_ = nullptr;
    Progress* progress_ = nullptr;
    const TOptionsCache* options_ = nullptr;
};

} // namespace orvella
