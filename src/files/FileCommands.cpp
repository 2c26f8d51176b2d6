#include "files/FileCommands.h"

#include "files/FileTransfer.h"

#include <system_error>

namespace orvella {

namespace fs = std::filesystem;

FileCommandReport MoveFiles(const std::vector<fs::path>& files, const fs::path& folder,
                            const std::function<void(int)>& step) {
    FileCommandReport report;
    int position = 0;
    for (const fs::path& source : files) {
        if (step)
            step(position++);
        fs::path target = folder / source.filename();
        // The move never replaces a file; across file systems the copy is
        // flushed before the original goes.
        try {
            switch (MoveFileTo(source, target, false)) {
            case Placement::Placed:
                report.done.push_back(target);
                break;
            case Placement::SameFile:
                break; // already there
            case Placement::TargetExists:
                report.problems.push_back(
                    {source, "a file of that name is already in " + target.parent_path().string()});
                break;
            }
        } catch (const std::system_error& error) {
            report.problems.push_back({source, error.code().message()});
        }
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
