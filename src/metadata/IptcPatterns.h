#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvella {

class Prompts;
class Progress;
class TStockDBObject;

// Raised when a pattern file is not well-formed XML; the message is the XML
// parser's.
class EPatternError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One row of a pattern: an IPTC dataset name and the value to stamp.
struct TPatternRow {
    std::string name;
    std::string value;
    bool operator==(const TPatternRow&) const = default;
};

// A file to apply a pattern to, with its image key (empty when the file has
// no catalogue record).
struct TPatternTarget {
    std::filesystem::path file;
    std::string key;
};

// A reusable set of IPTC dataset values, saved as a small XML document and
// stamped onto the IPTC blocks of JPEG files.
class TIptcPattern {
public:
    enum class AddResult { Appended, Replaced, Kept };

    // The datasets offered for a new row, as "Name (Description)".
    static const std::vector<std::string>& DatasetItems();
    // The dataset name of such an item: the text before its first "(",
    // trimmed.
    static std::string DatasetNameOfItem(std::string_view item);
    // The value a row takes from the typed text: as typed (line breaks as
    // CR LF), except Keywords, whose words are joined with single commas.
    static std::string RowValue(std::string_view name, std::string_view typed);

    // Adds the item's dataset with the typed text. A row of that name (case
    // counts) is replaced only when the user answers Yes to the question.
    AddResult AddTag(std::string_view item, std::string_view typed, Prompts& prompts);
    // Removes the row at index; an index outside the rows does nothing.
    void DeleteRow(int index);
    void Clear() { rows_.clear(); }
    void AppendRow(std::string name, std::string value);

    const std::vector<TPatternRow>& Rows() const { return rows_; }
    // The value of the first row named so, or empty text.
    std::string ValueOf(std::string_view name) const;

    // The XML document: IPTCPattern, one Tags, one Tag per row with a value.
    std::string ToXml() const;
    // Writes ToXml() to the file through the safe rewrite.
    void SaveToFile(const std::filesystem::path& file) const;
    // Empties the rows, then reads every Tag of every Tags child of the
    // root. Throws EPatternError for a document that is not well-formed.
    void LoadFromXml(std::string_view xml);
    void LoadFromFile(const std::filesystem::path& file);
    // Replaces the rows with the entries of the file's IPTC block, in entry
    // order; a file without IPTC leaves no rows.
    void FillFromFile(const std::filesystem::path& file);

    // Stamps every row on one JPEG file in a single rewrite, giving the file
    // that writing the rows one by one (and the catalogue keywords after a
    // Keywords row) would give. A Keywords row also merges the file's
    // keywords into the image's catalogue keywords and writes the catalogue's
    // list back, when a catalogue and a key are given. Throws on a file that
    // cannot be read, decoded or written; the file is then untouched.
    void ApplyToFile(const std::filesystem::path& file, const std::string& key,
                     TStockDBObject* catalogue, bool clearReadOnly) const;

    // Applies the pattern to the JPEG and TIFF files among the targets, in
    // order, stepping the progress window after each; other files are
    // passed over. The first failure ends the command at that file.
    void ApplyToSelection(const std::vector<TPatternTarget>& targets, TStockDBObject* catalogue,
                          Progress& progress, bool clearReadOnly) const;

private:
    std::vector<TPatternRow> rows_;
};

// The "Patterns" folder beside the program, made when missing.
std::filesystem::path EnsurePatternsFolder(const std::filesystem::path& programFolder);

} // namespace orvella
