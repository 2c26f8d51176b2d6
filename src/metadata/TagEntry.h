#pragma once

#include <cstdint>
#include <string>

namespace orvella {

struct TTagEntry;

// Turns an EXIF entry's formatted text into the value shown for it.
using TagFormatter = std::string (*)(const TTagEntry& entry, const std::string& text);

// One metadata entry: an IPTC dataset, or an EXIF tag (the fields marked EXIF).
struct TTagEntry {
    int32_t tableId = 0;  // EXIF: 0 standard entry, 1 maker-note entry
    uint16_t type = 0;    // EXIF: TIFF field type
    uint16_t record = 0;  // IPTC: IIM record number (2 or 8)
    uint16_t dataset = 0; // IPTC: IIM dataset number, 0 for an entry that is not kept
    uint16_t tag = 0;     // EXIF: tag number, 0 for an entry that is not kept
    std::string name;     // search name, compared ignoring letter case
    std::string description;
    std::string code;        // EXIF: decode list "value=text" pairs separated by ';'
    std::string value;       // IPTC: dataset bytes (comma text when repeatable); EXIF: shown value
    std::string raw;         // EXIF: the value's bytes as in the block
    int32_t rawPosition = 0; // EXIF: position of the value field in the block
    std::string format;      // EXIF: display format
    int32_t maximumLength = 0;       // IPTC: informational, values are never cut to it
    TagFormatter callback = nullptr; // EXIF
};

} // namespace orvella
