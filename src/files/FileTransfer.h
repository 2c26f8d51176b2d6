#pragma once

#include <filesystem>

namespace orvella {

// What became of one file placed at a target name.
enum class Placement {
    Placed,       // the file is at the target now
    TargetExists, // another file holds the name and was not to be replaced
    SameFile,     // source and target are one file: nothing to do
};

// Copies a file so that the target name never shows a partial copy: the bytes
// go to a temporary file in the target's folder, which takes the target name
// only once it is complete (with `flush`, only once it is on the disk). The
// copy keeps the source's permission bits and times. Without `replace` an
// existing target is never replaced, even one that appears during the copy.
// Throws std::system_error on failure, leaving the target as it was.
Placement CopyFileTo(const std::filesystem::path& source, const std::filesystem::path& target,
                     bool replace, bool flush = false);

// Moves a file by renaming it; across file systems the file is copied,
// flushed to disk, and only then removed from its old place, so a failed
// copy (a full disk) leaves the source where it was and no partial target.
// Throws std::system_error on failure.
Placement MoveFileTo(const std::filesystem::path& source, const std::filesystem::path& target,
                     bool replace);

} // namespace orvella
