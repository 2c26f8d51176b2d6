#pragma once

#include "metadata/TagEntry.h"
#include "metadata/XmpPacket.h"

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

// One Photoshop image resource of an APP13 block, kept as it was read.
struct TPhotoshopResource {
    std::string signature; // "8BIM" and its rarer kin
    uint16_t id = 0;
    std::string name; // the Pascal name's characters
    std::string data;
    size_t dataOffset = 0; // where the data stood in the block read
};

// The IPTC-IIM datasets of one JPEG file's APP13 segment, in the order they
// were read or added, which is also the order they are written in. Values
// are held as UTF-8: a block marked with the UTF-8 character set is taken as
// it is, an unmarked block that is not valid UTF-8 is taken as Windows-1252.
// The block's other Photoshop resources are kept for the next write.
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

    // The APP13 block. A block read with resources besides the IPTC one
    // keeps them in their order, with the IPTC resource 0x0404 replaced and
    // an IPTC digest 0x0425 set to the MD5 of the new IPTC data; otherwise
    // the block is the signature, the 0x0404 resource and an empty 0x040B
    // resource. The datasets start with the UTF-8 character set marker when
    // any value holds a byte above 127. Throws EIPTCTooLarge when the block
    // cannot be stored.
    std::string BuildIPTCBlock() const;

    // What WriteIPTCFile stores before it rewrites the file: the rebuilt
    // block, and the XMP packet brought in step, kept in the owner only.
    void StoreInOwner();

    // Stores the rebuilt block, brings the file's XMP packet in step with
    // the title, description, keywords and copyright entries, and rewrites
    // the file (safely) with both. Throws EIPTCTooLarge or EXmpTooLarge,
    // leaving the file untouched, when either does not fit its segment.
    void WriteIPTCFile(const std::filesystem::path& file);

    // The title, description, keywords and copyright as an IPTC reader
    // takes them from the entries (a value is set when its entry exists).
    TMetadataFields Fields() const;

    // The IPTC data of the block read: whether it held an IPTC digest
    // resource, and whether that digest is the MD5 of its IPTC data.
    bool HasDigest() const { return !readDigest_.empty(); }
    bool DigestMatches() const;
    // Whether the block read carried the UTF-8 character set marker, and
    // whether its values were converted from Windows-1252.
    bool Utf8Marked() const { return utf8Marked_; }
    bool ConvertedFromWindows1252() const { return converted_; }

    // The datasets in the table, in table order.
    static const std::vector<TTagEntry>& DatasetTable();

private:
    int mergeRepeatable(const std::string& name, std::string_view value);
    void addParsedDataset(uint8_t record, uint8_t dataset, std::string value);
    void parseDatasets(std::string_view data, size_t position);
    std::string buildIptcResourceData() const;

    TimgData& owner_;
    std::vector<TTagEntry> entries_;
    std::vector<TPhotoshopResource> resources_; // the other resources of the block read
    size_t iptcPosition_ = 0;                   // where among them the IPTC resource stood
    std::string readIptcData_;
    std::string readDigest_;
    bool utf8Marked_ = false;
    bool converted_ = false;
};

// Whether the dataset number is one of the repeatable ones (Keywords and
// supplemental categories), held as one entry with comma text.
bool isRepeatableDataset(uint16_t dataset);

// The items a repeatable entry's comma text is written as, one dataset
// each: commas outside double quotes separate them, each is trimmed, and a
// trailing comma adds none.
std::vector<std::string> repeatableItems(std::string_view value);

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
