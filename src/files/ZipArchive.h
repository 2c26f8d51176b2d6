#pragma once

#include <filesystem>
#include <string_view>

namespace orvella {

// Whether a file of this name goes into an archive stored as it is: its
// format is compressed already (JPEG, PNG, archives, sound and video).
bool IsStoredInArchive(std::string_view fileName);

// Adds the file, under its own name and without folders, to the archive
// (created when missing; an entry of the same name is replaced). Stored
// suffixes are stored, everything else deflated. The archive is written under
// a temporary name, flushed and then renamed, so a failure leaves the old
// archive (or none) and never half of one. Throws std::runtime_error.
void AddFileToArchive(const std::filesystem::path& file, const std::filesystem::path& archive);

// The version of the linked ZIP library, for the log.
const char* ZipLibraryVersion();

} // namespace orvella
