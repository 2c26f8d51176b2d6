#pragma once

#include "catalogue/FileRecords.h"
#include "catalogue/PendingWrites.h"
#include "catalogue/StockDB.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orvella {

class Prompts;
class Progress;
class SettingsSnapshot;

// The options the file commands follow (section "Options").
struct FileOptions {
    bool moveFiles = true;  // MoveFiles: a drop moves rather than copies
    bool overwrite = false; // Overwrite: a move or copy may replace a file of the same name
};
FileOptions ReadFileOptions(const SettingsSnapshot& settings);

// The message of a drop that left files behind because their names were taken.
inline constexpr const char* kFilesDidNotMove =
    "Some files didn't move because files with same names already exists in the target folder.";

// What a drop did.
struct DropResult {
    int placed = 0;
    std::vector<std::string> leftForExisting; // a file of the same name is in the target folder
    std::vector<std::string> failed;          // the move or copy itself failed
    std::vector<std::string> reasons;         // for each failed one: "file: what went wrong"
};

// Completes in the catalogue the moves a killed process left half done: a
// file found at its target takes its row along; one still at its source
// keeps it.
void SettleInterruptedMoves(TStockDBObject& catalogue);

// The file commands on the selected items of a file view, in selection
// order: moving and copying them into a folder, pasting, cloning, renaming,
// deleting, zipping and repairing their catalogue records. The catalogue row
// of a file follows it when it is moved or renamed; a row whose file is a copy
// elsewhere stays with the file it names.
class FileOperations {
public:
    FileOperations(TStockDBObject& catalogue, Prompts& prompts, Progress& progress);

    // A drop of the items on a folder: moved (MoveFiles) or copied. Items
    // already in that folder are left alone without a word. When a move left
    // files because their names were taken, one message says so.
    DropResult DropOnFolder(const std::vector<TImageData>& items,
                            const std::filesystem::path& folder, const FileOptions& options);

    // Copies the listed files into the folder, never replacing a file there.
    // Gives the number copied.
    int Paste(const std::vector<std::filesystem::path>& files, const std::filesystem::path& folder);

    // Asks, then copies each file to its clone name beside it (photo.jpg to
    // photo_clone.jpg). Gives the number of clones made.
    int CloneImages(const std::vector<TImageData>& items, bool overwrite);

    // Renames the item's file within its folder, never over another file.
    // True when renamed; the item and its catalogue row take the new name.
    // A name that is taken, not a file name, or refused by the file system
    // is told to the user; an empty or unchanged name does nothing.
    bool RenameImage(TImageData& item, const std::string& newName);

    // Asks, then deletes each file for good. A catalogue record goes with the
    // last file of its content: while another file with the same key is in a
    // folder the catalogue knows, the record stays and names that file.
    // Gives the number of items handled.
    int DeleteImages(const std::vector<TImageData>& items);

    // One archive beside each file (photo.eps gives photo.zip) holding that
    // file under its own name. Gives the number of files zipped.
    int ZipFiles(const std::vector<TImageData>& items);

    // The image's record takes the chosen file: its key, folder and name.
    // Catalogue errors (the chosen file's key already catalogued) reach the
    // caller.
    void SetActualImageLocation(const TImageData& item, const std::filesystem::path& chosenFile);

    // The clone name of a file: photo.jpg gives photo_clone.jpg.
    static std::filesystem::path CloneName(const std::filesystem::path& file);

private:
    bool moveOrCopy(const TImageData& item, const std::filesystem::path& folder,
                    const FileOptions& options, DropResult& result);
    void readRecordedPaths(const std::vector<TImageData>& items);
    void followMove(const std::string& key, const std::filesystem::path& source,
                    const std::filesystem::path& target);
    void followOrUndo(TFileWriteStep& step, const std::function<void()>& follow,
                      const std::filesystem::path& source, const std::filesystem::path& target);
    void forgetDeletedFile(const std::string& key, const std::filesystem::path& file, int64_t size);
    std::filesystem::path otherFileWithKey(const std::string& key,
                                           const std::filesystem::path& deleted, int64_t size);

    TStockDBObject& catalogue_;
    Prompts& prompts_;
    Progress& progress_;
    std::map<std::string, std::string> recordedPaths_; // image key -> file its row names
};

// The item of a file at a path: its name, folder and size, and the key of
// the catalogue row at that place (empty when there is none). With
// `onlyFiles`, a path that is no regular file throws std::runtime_error
// "no file PATH".
TImageData ImageDataForFile(TStockDBObject& catalogue, const std::filesystem::path& file);
std::vector<TImageData> ImageDataForFiles(TStockDBObject& catalogue,
                                          const std::vector<std::filesystem::path>& files,
                                          bool onlyFiles = false);

} // namespace orvella
