#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace orvella {

using ExifGridRow = std::pair<std::string, std::string>;

// The rows the EXIF grid shows for a file: one per entry, named by the
// entry and valued by the first entry of that name; or the single row
// "EXIF data" = "No EXIF data". Empty when the file does not exist.
std::vector<ExifGridRow> ExifGridRows(const std::filesystem::path& file);

// What "Clear EXIF tags" does to one file: a JPEG or TIFF file (by
// extension) whose EXIF segment is found is rewritten without it. Returns
// false when there was nothing to clear; throws when the rewrite fails (a
// TIFF file, which the JPEG decoder refuses, a read-only file, ...).
bool ClearExifInFile(const std::filesystem::path& file);

} // namespace orvella
