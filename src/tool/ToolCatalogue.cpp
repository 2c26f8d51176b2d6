#include "tool/ToolCatalogue.h"

#include "files/FileRegistration.h"
#include "shell/Folders.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace orvella::tool {

namespace fs = std::filesystem;

ToolCatalogue::ToolCatalogue()
    : store_(programFolderOfRunningExecutable(), registryFileFromEnvironment()), options_(store_),
      connection_(programFolderOfRunningExecutable() / TCatalogueConnection::kFileName),
      db_(connection_), editor_(db_, &options_), keywords_(editor_, prompts_, progress_) {
    options_.LoadOptions();
    db_.SetOptions(&options_);
    db_.SetPrompts(&prompts_);
    db_.SetProgress(&progress_);
}

std::vector<TImageData> ToolCatalogue::select(const std::vector<std::string>& files) {
    std::vector<fs::path> paths;
    for (const std::string& file : files) {
        std::error_code error;
        if (!fs::is_regular_file(file, error))
            throw std::system_error(ENOENT, std::generic_category(), file);
        paths.emplace_back(file);
    }
    return RegisterFiles(db_, paths);
}

} // namespace orvella::tool
