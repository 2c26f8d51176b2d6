#pragma once

#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <sys/types.h>

namespace orvella {

// Whether the new content must reach the disk before the rename. Caches that
// are rebuilt when unreadable may skip the flush; users' files never do.
enum class Durability { Flushed, Cache };

// Replaces (or creates) a file so that a crash, a kill or a full disk at any
// moment leaves either the old content or the new one: the bytes go to a
// temporary file in the same folder, are flushed to disk, and the temporary
// file is renamed over the target. A symbolic link is followed: the file it
// leads to is replaced in its own folder, and the link stays. An existing
// file keeps its permission bits, and its owner and group where the writer
// may give them; a new one gets newFileMode. A file with several hard links
// is refused (std::system_error, EMLINK): the rename would give the new
// content to one of its names only. Throws std::system_error on failure,
// leaving the target untouched.
void replaceFileAtomically(const std::filesystem::path& target, std::string_view content,
                           mode_t newFileMode = 0644, Durability durability = Durability::Flushed);

// The same for content given in pieces, written one after the other, so that
// a large file can be rewritten from a new head and its old body without
// first joining them in memory.
void replaceFileAtomically(const std::filesystem::path& target,
                           std::initializer_list<std::string_view> pieces,
                           mode_t newFileMode = 0644, Durability durability = Durability::Flushed);

} // namespace orvella
