#include "files/FileCommands.h"

#include "files/FileTransfer.h"

#include <system_error>

namespace orvella {

namespace fs = std::filesystem;

namespace {

// Empty text when the file was moved, else why not. The move never replaces
// a file; across file systems the copy is flushed before the original goes.
std::string moveOne(const fs::path& source, const fs::path& target) {
    try {
        if (MoveFileTo(source, target, false) == Placement::TargetExists)
            return "a file of that name is already in " + target.parent_path().string();
        return {};
    } catch (const std::system_error& error) {
        return error.code().message();
    }
}

} // namespace

FileCommandReport MoveFiles(const std::vector<fs::path>& files, const fs::path& folder,
                            const std::function<void(int)>& step) {
    FileCommandReport report;
    int position = 0;
    for (const fs::path& source : files) {
        if (step)
            step(position++);
        fs::path target = folder / source.filename();
        std::error_code error;
        if (fs::equivalent(source, target, error))
            continue; // already there
        std::string problem = moveOne(source, target);
        if (problem.empty())
            report.done.push_back(target);
        else
            report.problems.push_back({source, problem});
    }
    return report;
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string describeProblems(const FileCommandReport& report) {
    std::string text;
    for (const FileProblem& problem : report.problems)
        text += problem.file.filename().string() + ": " + problem.reason + "\n";
    return text;
}

} // namespace orvella
