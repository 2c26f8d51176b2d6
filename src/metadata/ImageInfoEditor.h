#pragma once

#include "catalogue/FileRecords.h"
#include "catalogue/StockDB.h"
#include "shell/AtomicFile.h"

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvella {

class Progress;
class TOptionsCache;

// A file that a metadata command could not write. The command ends at it:
// files before it stay written, it and the ones after it are untouched.
class EImageWriteError : public std::runtime_error {
public:
    EImageWriteError(std::filesystem::path file, std::string reason);
    const std::filesystem::path& file() const { return file_; }
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path file_;
    std::string reason_;
};

// A series of file rewrites made by one command: each file is written and its
// write-back started, and completed a few files later (AtomicWriteBatch), so
// the command does not wait for each file's flush in turn. finish() completes
// the rest and reports a file that could not be completed as EImageWriteError.
class FileWriteSeries {
public:
    void finish();

private:
    AtomicWriteBatch batch_;
};

// The four text fields of the "Info" page as a file holds them.
struct ImageInfoFields {
    std::string name;        // ObjectName
    std::string description; // ImageCaption, lines ended by CR LF
    std::string copyright;   // Copyright
    std::string contact;     // Contact
};

using IptcGridRow = std::pair<std::string, std::string>;

// The catalogue's keyword list of an image and the IPTC data inside its file,
// kept in step: the catalogue is the master of keywords and their order, the
// file the master of the name, description, copyright and contact. Every
// write goes through the safe rewrite of the JPEG file, and a file that cannot
// be written ends the operation with EImageWriteError naming it.
class ImageInfoEditor {
public:
    // options supplies ClearRO (read at each write); without it the read-only
    // attribute is never cleared.
    ImageInfoEditor(TStockDBObject& catalogue, const TOptionsCache* options);

    // What the "Info" page shows of a JPEG or TIFF file; empty fields for any
    // other file or a missing one.
    static ImageInfoFields ReadInfoFields(const std::filesystem::path& file);
    // The rows of the "IPTC" page: each entry's description and value, or the
    // single row "IPTC data" = "No IPTC data". Empty when the file is missing.
    static std::vector<IptcGridRow> IptcGridRows(const std::filesystem::path& file);

    // One dataset written into every selected JPEG or TIFF file, in selection
    // order; an existing entry takes the value even when it is empty.
    void WriteIPTCField(const std::vector<TImageData>& selection, std::string_view name,
                        std::string_view value);
    // One dataset set (merged for repeatable datasets) in one file.
    void WriteIPTCFieldToFile(const std::filesystem::path& file, std::string_view name,
                              std::string_view value);
    // The image's catalogue keywords written as the file's Keywords, each
    // keyword one dataset. With merge, the file's own keywords join the
    // catalogue first, so nothing the file held is lost.
    void SaveKeywordsToFile(const std::filesystem::path& file, const std::string& key, bool merge);
    // One image's keyword change and its file's rewrite as one step: the file
    // is read once, change() makes the catalogue changes (after the file's
    // own keywords joined, with merge), the file is written from the bytes
    // read, and the catalogue changes are committed only after the file took
    // its new content. A file that cannot be written leaves the catalogue as
    // it was. A file the command does not write (no JPEG or TIFF, missing)
    // only has change() made.
    // With fileFirst the file's keywords join before change(), so that what
    // a command adds ends the list; else after it.
    void UpdateImageKeywords(const std::filesystem::path& file, const std::string& key, bool merge,
                             const std::function<void()>& change, bool fileFirst = false);
    // Settles what a killed process left half done: a move is completed or
    // undone in the catalogue as the files lie (SettleInterruptedMoves), and
    // after a keyword rewrite the image's catalogue keywords become those its
    // file holds.
    static void SettleInterruptedChanges(TStockDBObject& catalogue);
    // The file's keywords added to the image's catalogue keywords; the file
    // is not written.
    void ImportFileKeywords(const std::filesystem::path& file, const std::string& key);
    // Gives every selected image the union of their keywords, in the
    // catalogue and then in their files. Nothing happens for fewer than two.
    void Synchronize(const std::vector<TImageData>& selection, Progress& progress);
    // Removes the EXIF segment of every selected JPEG that has one; a file
    // that cannot be rewritten is passed over (and logged). Gives the number
    // of files rewritten.
    int ClearExif(const std::vector<TImageData>& selection, Progress& progress);

    TStockDBObject& Catalogue() const { return catalogue_; }

private:
    void prepareForWriting(const std::filesystem::path& file) const;
    void addFileKeywords(const std::string& commaText, const std::string& key);
    std::string keywordValue(const std::string& key);

    TStockDBObject& catalogue_;
    const TOptionsCache* options_;
};

// Whether the metadata commands treat the file as theirs (a JPEG or a TIFF by
// its name).
bool IsMetadataFile(const std::filesystem::path& file);

// The comma text that makes each keyword one dataset: items joined by commas,
// an item holding a comma or a double quote written in double quotes.
std::string KeywordCommaText(const std::vector<std::string>& keywords);

} // namespace orvella
