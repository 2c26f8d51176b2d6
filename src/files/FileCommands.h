#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvella {

// A file a command left where it was, and why.
struct FileProblem {
    std::filesystem::path file;
    std::string reason;
};

// What a command over many files did: every file it could not handle is
// named, whatever the cause.
struct FileCommandReport {
    std::vector<std::filesystem::path> done;
    std::vector<FileProblem> problems;

    bool complete() const { return problems.empty(); }
};

// Moves files into a folder (the Move command, files dropped on the window,
// pasted files). A file whose name is taken in the folder stays where it is;
// the one there is never replaced. Across file systems a move is a copy, then
// the removal of the original once the copy is complete; a failed copy leaves
// no partial file behind. A file already in the folder is left alone and is
// no problem. step, when given, is called with each file's position first.
FileCommandReport MoveFiles(const std::vector<std::filesystem::path>& files,
                            const std::filesystem::path& folder,
                            const std::function<void(int)>& step = {});

// Whether the path names a folder that is there.
bool IsFolder(const std::filesystem::path& path);

// The problems as lines "name: reason", for a message.
std::string describeProblems(const FileCommandReport& report);

} // namespace orvella
