#include "files/FileCommands.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <system_error>

namespace orvella {

namespace fs = std::filesystem;

namespace {

// A rename that never replaces a file: the check and the rename are one
// step where the file system allows it.
std::error_code renameWithoutReplacing(const fs::path& source, const fs::path& target) {
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    std::error_code error(errno, std::generic_category());
    if (error != std::errc::invalid_argument && error != std::errc::function_not_supported)
        return error;
    if (fs::exists(target, error))
        return std::make_error_code(std::errc::file_exists);
    fs::rename(source, target, error);
    return error;
}

std::string copyAcross(const fs::path& source, const fs::path& target) {
    std::error_code error;
    if (!fs::copy_file(source, target, fs::copy_options::none, error)) {
        std::error_code ignored;
        if (error != std::errc::file_exists)
            fs::remove(target, ignored);
        return error.message();
    }
    if (!fs::remove(source, error))
        return "copied, but the original could not be removed: " + error.message();
    return {};
}

// Empty text when the file was moved, else why not.
std::string moveOne(const fs::path& source, const fs::path& target) {
    std::error_code error = renameWithoutReplacing(source, target);
    if (!error)
        return {};
    if (error == std::errc::file_exists)
        return "a file of that name is already in " + target.parent_path().string();
    if (error == std::errc::cross_device_link)
        return copyAcross(source, target);
    return error.message();
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
