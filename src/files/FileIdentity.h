#pragma once

#include "catalogue/FileRecords.h"
#include "shell/DateTime.h"

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace orvella {

// The image key: the MD5 digest of the file's whole content as 32 hex digits
// with upper-case A-F. The file is streamed, never held whole in memory.
// Throws std::system_error when the file cannot be opened or read.
std::string FileMD5(const std::filesystem::path& file);

// The path with its extension replaced by `extension` (given without a dot),
// or with "." and the extension appended when its name has none. Only the
// name part is searched for the dot: a dot in a folder name is no extension.
std::string ChangeExtension(std::string_view path, std::string_view extension);

// A name for a new temporary file in the system temporary folder, starting
// with "~" and ending in `extension` (given with its dot). The file is
// created empty, so the name stays reserved for the caller.
std::filesystem::path MakeTempFileName(std::string_view extension);

// A file time from the directory listing (UTC) as a date-time, kept in UTC;
// the current time when the value cannot be represented.
DateTime FileTimeToDateTime(const struct timespec& fileTime);

// Name, folder, size and times of a file, as a listing gives them; the key
// is left empty. Throws std::system_error when the file cannot be examined.
THashData ReadHashData(const std::filesystem::path& file);

} // namespace orvella
