#pragma once

#include "metadata/TagEntry.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvella {

// One row of an EXIF tag table.
struct ExifTagRow {
    uint16_t tag;
    const char* name;
    const char* decode; // "value=text" pairs separated by ';', or empty
    const char* format; // display format, or empty
    TagFormatter callback;
};

const std::vector<ExifTagRow>& mainTagTable();
const std::vector<ExifTagRow>& gpsTagTable();
// The row for a tag, or nullptr (the tag is then not listed).
const ExifTagRow* findTagRow(const std::vector<ExifTagRow>& table, uint16_t tag);

} // namespace orvella
