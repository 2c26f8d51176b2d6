#include "files/FileOperations.h"

#include "catalogue/PendingWrites.h"
#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "catalogue/Transaction.h"
#include "files/FileIdentity.h"
#include "files/FileTransfer.h"
#include "files/ZipArchive.h"
#include "shell/IgnoredError.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/Progress.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>

namespace orvella {

namespace fs = std::filesystem;

namespace {

bool fileExists(const fs::path& file) {
    std::error_code error;
    return fs::exists(file, error);
}

bool isRegularFile(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error);
}

int lastPosition(size_t count) {
    return static_cast<int>(count) - 1;
}

// The item's path as the catalogue would store it.
std::string folderText(const fs::path& folder) {
    std::string text = folder.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

FileOptions ReadFileOptions(const SettingsSnapshot& settings) {
    return {settings.boolean(kOptionsSection, "MoveFiles", true),
            settings.boolean(kOptionsSection, "Overwrite", false)};
}

FileOperations::FileOperations(TStockDBObject& catalogue, Prompts& prompts, Progress& progress)
    : catalogue_(catalogue), prompts_(prompts), progress_(progress) {}

DropResult FileOperations::DropOnFolder(const std::vector<TImageData>& items,
                                        const fs::path& folder, const FileOptions& options) {
    DropResult result;
    if (items.empty())
        return result;
    {
        // Each moved file and its row change as one step, so no batch
        // transaction spans the files.
        if (options.moveFiles)
            readRecordedPaths(items);
        ProgressScope progress(progress_, lastPosition(items.size()));
        for (size_t i = 0; i < items.size(); ++i) {
            // A file gone since it was listed is passed over. A move finds
            // that out from the failed rename, sparing a look at every file.
            if (!items[i].FullName.empty() && (options.moveFiles || fileExists(items[i].FullName)))
                moveOrCopy(items[i], folder, options, result);
            progress.step(static_cast<int>(i));
        }
    }
    if (options.moveFiles && !result.leftForExisting.empty())
        prompts_.showMessage(kFilesDidNotMove);
    return result;
}

bool FileOperations::moveOrCopy(const TImageData& item, const fs::path& folder,
                                const FileOptions& options, DropResult& result) {
    fs::path source = item.FullName;
    fs::path target = folder / source.filename();
    bool follows = options.moveFiles && !item.MD5.empty();
    try {
        // The move's intent is recorded first, so that a process killed
        // between the rename and the row's change is settled by the next one.
        std::optional<TFileWriteStep> step;
        if (follows)
            step.emplace(catalogue_.Connection(), source, item.MD5, target);
        Placement placement = options.moveFiles ? MoveFileTo(source, target, options.overwrite)
                                                : CopyFileTo(source, target, options.overwrite);
        if (placement == Placement::SameFile)
            return false; // dropped on its own folder
        if (placement == Placement::TargetExists) {
            result.leftForExisting.push_back(item.FullName);
            if (!options.moveFiles)
                logGuarded("File " + item.FullName + " skipped. Already exists");
            return false;
        }
        if (follows)
            followOrUndo(
                *step, [&] { followMove(item.MD5, source, target); }, source, target);
        ++result.placed;
        return true;
    } catch (const std::exception& error) {
        if (!fileExists(source))
            return false; // gone since it was listed
        result.reasons.push_back(source.string() + ": " + error.what());
        logAlways("Can't move file " + source.string() + " to " + target.string());
        logIgnoredError("FileOperations::DropOnFolder", error);
        result.failed.push_back(item.FullName);
        return false;
    }
}

// The catalogue takes the move, or the file goes back where it was, so the
// two never disagree; what the catalogue said reaches the caller.
void FileOperations::followOrUndo(TFileWriteStep& step, const std::function<void()>& follow,
                                  const fs::path& source, const fs::path& target) {
    try {
        follow();
        step.commit();
    } catch (const std::exception& error) {
        if (MoveFileTo(target, source, false) != Placement::Placed)
            throw std::runtime_error(std::string(error.what()) + "; the file is now " +
                                     target.string() + " while the catalogue names " +
                                     source.string());
        throw;
    }
}

void SettleInterruptedMoves(TStockDBObject& catalogue) {
    for (const PendingWrite& pending : PendingWrites(catalogue.Connection())) {
        if (pending.target.empty())
            continue;
        fs::path source = pending.file, target = pending.target;
        std::string key =
            catalogue.ImageKeyAt(folderText(source.parent_path()), source.filename().string());
        TFileWriteStep settle(catalogue.Connection(), source, key);
        if (!key.empty() && !fileExists(source) && fileExists(target)) {
            catalogue.SetImageLocation(key, folderText(target.parent_path()),
                                       target.filename().string());
            logAlways("An interrupted move of " + source.string() + " to " + target.string() +
                      " was completed in the catalogue");
        }
        settle.commit();
    }
}

// The row follows the file it names. A row naming another file that still
// exists belongs to that file: the moved one was a copy of it.
void FileOperations::followMove(const std::string& key, const fs::path& source,
                                const fs::path& target) {
    auto known = recordedPaths_.find(key);
    std::string recorded =
        known != recordedPaths_.end() ? known->second : catalogue_.GetImagePath(key);
    if (recorded.empty())
        return;
    if (recorded != source.string() && fileExists(recorded))
        return;
    catalogue_.SetImageLocation(key, folderText(target.parent_path()), target.filename().string());
}

// The rows of the items' folders, read once for the whole drop.
void FileOperations::readRecordedPaths(const std::vector<TImageData>& items) {
    recordedPaths_.clear();
    std::set<std::string> folders;
    for (const TImageData& item : items)
        if (folders.insert(item.FilePath).second) {
            TQuery rows(catalogue_.Connection());
            rows.SetSQL("select MD5, FileName from IMAGES where FilePath = " +
                        QuotedStr(item.FilePath));
            rows.Open();
            for (; !rows.Eof(); rows.Next())
                recordedPaths_.emplace(
                    rows.FieldByName("MD5").AsString(),
                    (fs::path(item.FilePath) / rows.FieldByName("FileName").AsString()).string());
        }
}

int FileOperations::Paste(const std::vector<fs::path>& files, const fs::path& folder) {
    int copied = 0;
    for (const fs::path& file : files) {
        try {
            Placement placement = CopyFileTo(file, folder / file.filename(), false);
            if (placement == Placement::Placed) {
                logGuarded("File " + file.string() + " copied");
                ++copied;
            } else {
                logGuarded("File " + file.string() + " skipped. Already exists");
            }
        } catch (const std::exception& error) {
            logIgnoredError("FileOperations::Paste", error);
        }
    }
    return copied;
}

fs::path FileOperations::CloneName(const fs::path& file) {
    return file.parent_path() / (file.stem().string() + "_clone" + file.extension().string());
}

int FileOperations::CloneImages(const std::vector<TImageData>& items, bool overwrite) {
    if (!prompts_.confirm("Do you want to clone selected files?") || items.empty())
        return 0;
    int made = 0;
    ProgressScope progress(progress_, lastPosition(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& file = items[i].FullName;
        if (isRegularFile(file)) {
            ignoringErrors("FileOperations::CloneImages", [&] {
                if (CopyFileTo(file, CloneName(file), overwrite) == Placement::Placed) {
                    logGuarded("File " + file + " cloned");
                    ++made;
                } else {
                    logGuarded("File " + CloneName(file).string() + " skipped. Already exists");
                }
            });
        } else {
            logGuarded("File " + file + " absent. Can't clone file");
        }
        progress.step(static_cast<int>(i));
    }
    return made;
}

bool FileOperations::RenameImage(TImageData& item, const std::string& newName) {
    if (newName.empty() || newName == item.FileName)
        return false; // nothing typed, or the name it has
    std::string refused = "Can't rename " + item.FileName + " to " + newName + ": ";
    if (newName == "." || newName == ".." || newName.find('/') != std::string::npos) {
        prompts_.showMessage(refused + "a file name can't contain \"/\" or be \".\" or \"..\".");
        return false;
    }
    fs::path source = item.FullName;
    fs::path target = source.parent_path() / newName;
    Placement placement = Placement::Placed;
    std::optional<TFileWriteStep> step;
    try {
        if (!item.MD5.empty())
            step.emplace(catalogue_.Connection(), source, item.MD5, target);
        placement = MoveFileTo(source, target, false);
        if (placement == Placement::Placed && step)
            followOrUndo(
                *step,
                [&] {
                    if (catalogue_.GetImagePath(item.MD5) == source.string())
                        catalogue_.SetImageFileName(item.MD5, newName);
                },
                source, target);
    } catch (const std::runtime_error& error) { // the refusal, named to the user
        logIgnoredError("FileOperations::RenameImage", error);
        prompts_.showMessage(refused + error.what());
        return false;
    }
    if (placement == Placement::TargetExists) {
        prompts_.showMessage(refused + "a file of that name already exists in " +
                             folderText(source.parent_path()) + ".");
        return false;
    }
    if (placement != Placement::Placed)
        return false; // the new name is another name of the same file
    item.FileName = newName;
    item.FullName = target.string();
    return true;
}

int FileOperations::DeleteImages(const std::vector<TImageData>& items) {
    if (!prompts_.confirm("Do you want to delete selected files irretrievably?") || items.empty())
        return 0;
    ProgressScope progress(progress_, lastPosition(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const TImageData& item = items[i];
        ignoringErrors("FileOperations::DeleteImages", [&] {
            int64_t size = item.FileSize;
            struct stat status {};
            if (::lstat(item.FullName.c_str(), &status) == 0) {
                size = status.st_size;
                fs::remove(item.FullName);
                logGuarded("File " + item.FullName + " deleted");
            } else {
                logGuarded("File " + item.FullName + " absent. Can't delete file");
            }
            if (!item.MD5.empty())
                forgetDeletedFile(item.MD5, item.FullName, size);
        });
        progress.step(static_cast<int>(i));
    }
    return static_cast<int>(items.size());
}

// The record stays while a file of its content remains: the file it names,
// or else another one in a folder the catalogue knows, which it then names.
void FileOperations::forgetDeletedFile(const std::string& key, const fs::path& file, int64_t size) {
    std::string recorded = catalogue_.GetImagePath(key);
    if (recorded.empty())
        return;
    if (recorded != file.string() && fileExists(recorded))
        return;
    fs::path other = otherFileWithKey(key, file, size);
    if (other.empty()) {
        catalogue_.DeleteImage(key);
        return;
    }
    catalogue_.SetImageFolder(key, folderText(other.parent_path()));
    catalogue_.SetImageFileName(key, other.filename().string());
}

// Only files of the same size are read; a catalogued file's own folder is
// looked at first.
fs::path FileOperations::otherFileWithKey(const std::string& key, const fs::path& deleted,
                                          int64_t size) {
    TQuery folders(catalogue_.Connection());
    folders.SetSQL("select distinct FilePath from IMAGES");
    folders.Open();
    std::vector<fs::path> candidates{deleted.parent_path()};
    for (; !folders.Eof(); folders.Next())
        candidates.emplace_back(folders.FieldByName("FilePath").AsString());
    for (const fs::path& folder : candidates) {
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            std::error_code sizeError;
            if (entry->path() == deleted || !entry->is_regular_file(sizeError) ||
                static_cast<int64_t>(entry->file_size(sizeError)) != size || sizeError)
                continue;
            try {
                if (FileMD5(entry->path()) == key)
                    return entry->path();
            } catch (const std::system_error&) {
                // unreadable: not the file we look for
            }
        }
    }
    return {};
}

int FileOperations::ZipFiles(const std::vector<TImageData>& items) {
    if (items.empty())
        return 0;
    int zipped = 0;
    ProgressScope progress(progress_, lastPosition(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& file = items[i].FullName;
        if (isRegularFile(file)) {
            logGuarded("Zip dll loading...");
            logGuarded(std::string("Zip dll state: loaded (libzip ") + ZipLibraryVersion() + ")");
            if (ignoringErrors("FileOperations::ZipFiles",
                               [&] { AddFileToArchive(file, ChangeExtension(file, "zip")); })) {
                logGuarded("File zipped: " + file);
                ++zipped;
            }
            logGuarded("Zip deactivated");
        }
        progress.step(static_cast<int>(i));
    }
    return zipped;
}

void FileOperations::SetActualImageLocation(const TImageData& item, const fs::path& chosenFile) {
    std::string key = FileMD5(chosenFile);
    if (key != item.MD5)
        catalogue_.ChangeImageKey(key, item.MD5);
    catalogue_.SetImageFolder(key, folderText(chosenFile.parent_path()));
    catalogue_.SetImageFileName(key, chosenFile.filename().string());
}

namespace {

// One look at the file gives both its size and whether it is a file.
TImageData itemAt(const fs::path& file, bool onlyFiles) {
    fs::path absolute = fs::absolute(file).lexically_normal();
    TImageData item;
    item.FileName = absolute.filename().string();
    item.FilePath = folderText(absolute.parent_path());
    item.FullName = absolute.string();
    struct stat status {};
    bool isFile = ::stat(absolute.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    if (onlyFiles && !isFile)
        throw std::runtime_error("no file " + file.string());
    item.FileSize = isFile ? static_cast<int64_t>(status.st_size) : 0;
    return item;
}

} // namespace

TImageData ImageDataForFile(TStockDBObject& catalogue, const fs::path& file) {
    return ImageDataForFiles(catalogue, {file}).front();
}

// One look at the catalogue per folder, however many of its files are given.
std::vector<TImageData> ImageDataForFiles(TStockDBObject& catalogue,
                                          const std::vector<fs::path>& files, bool onlyFiles) {
    std::vector<TImageData> items;
    items.reserve(files.size());
    std::map<std::string, std::map<std::string, std::string>> keysByFolder;
    for (const fs::path& file : files) {
        TImageData item = itemAt(file, onlyFiles);
        auto [folder, added] = keysByFolder.try_emplace(item.FilePath);
        if (added) {
            TQuery rows(catalogue.Connection());
            rows.SetSQL("select MD5, FileName from IMAGES where FilePath = " +
                        QuotedStr(item.FilePath));
            rows.Open();
            for (; !rows.Eof(); rows.Next())
                folder->second.emplace(rows.FieldByName("FileName").AsString(),
                                       rows.FieldByName("MD5").AsString());
        }
        auto key = folder->second.find(item.FileName);
        if (key != folder->second.end())
            item.MD5 = key->second;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace orvella
