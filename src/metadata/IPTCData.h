#pragma once

#include "metadata/TagEntry.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvella {

class TimgData;

// Raised when the entries do not fit one APP13 segment; nothing is written.
class EIPTCTooLarge : public std::length_error {
public:
    using std::length_error::length_error;
};

// The IPTC-IIM datasets of one JPEG file's APP13 segment, in the order they
// were read or added, which is also the order they are written in.
class TIPTCdata {
public:
    explicit TIPTCdata(TimgData& owner) : owner_(owner) {}

    // Rebuilds the entries from the owner's IPTC segment.
    void ParseIPTC();

    int Count() const { return static_cast<int>(entries_.size()); }
    TTagEntry GetEntry(int index) const { return entries_.at(static_cast<size_t>(index)); }
    void PutEntry(int index, const TTagEntry& entry) {
        entries_.at(static_cast<size_t>(index)) = entry;
    }

    // Index of the first entry named so (ignoring case), or -1.
    int FindTag(std::string_view name) const;
    // Sets a dataset by its table name, merging into repeatable datasets.
    // Returns the entry's index, or -1 for a name outside the table. An
    // empty value leaves an existing entry unchanged.
    int SetTag(std::string_view name, std::string_view value);

    // The APP13 block: signature, 0x0404 resource with the datasets, and an
    // empty 0x040B resource. Throws EIPTCTooLarge when it cannot be stored.
    std::string BuildIPTCBlock() const;

    // Stores the rebuilt block and rewrites the file (safely) with it.
    void WriteIPTCFile(const std::filesystem::path& file);

    // The datasets in the table, in table order.
    static const std::vector<TTagEntry>& DatasetTable();

private:
    int mergeRepeatable(const std::string& name, std::string_view value);
    void addParsedDataset(uint8_t record, uint8_t dataset, std::string value);

    TimgData& owner_;
    std::vector<TTagEntry> entries_;
};

// Whether the dataset number is one of the repeatable ones (Keywords and
// supplemental categories), held as one entry with comma text.
bool isRepeatableDataset(uint16_t dataset);

// True when the JPEG file has an IPTC block with ImageCaption, ObjectName
// and Keywords entries (an empty value counts).
bool HasCompleteIPTC(const std::filesystem::path& file);

// Reads the file, parses its IPTC block (or starts an empty one), sets the
// dataset and rewrites the file. Throws on an unknown name or a failed write.
void WriteIPTCFieldToFile(const std::filesystem::path& file, std::string_view name,
                          std::string_view value);

// Several datasets (name, value), set in order in one rewrite of the file;
// the file ends as one WriteIPTCFieldToFile per field would leave it. Every
// name is checked before the file is read; on any error nothing is written.
using IPTCFieldList = std::vector<std::pair<std::string, std::string>>;
void WriteIPTCFieldsToFile(const std::filesystem::path& file, const IPTCFieldList& fields);

} // namespace orvella
