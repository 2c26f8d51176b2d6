#include "tool/ToolCatalogue.h"

#include "files/FileRegistration.h"
#include "shell/Folders.h"
#include "tool/ToolVerbs.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace orvella::tool {

namespace fs = std::filesystem;

ToolCatalogue::ToolCatalogue()
    : store_(programFolderFromEnvironment(), registryFileFromEnvironment()), options_(store_),
      connection_(programFolderFromEnvironment() / TCatalogueConnection::kFileName),
      db_(connection_), editor_(db_, &options_), keywords_(editor_, prompts_, progress_) {
    options_.LoadOptions();
    db_.SetOptions(&options_);
    db_.SetPrompts(&prompts_);
    db_.SetProgress(&progress_);
    ImageInfoEditor::SettleInterruptedChanges(db_);
}

std::vector<TImageData> ToolCatalogue::select(const std::vector<std::string>& files) {
    std::vector<fs::path> paths;
    for (const std::string& file : files) {
        requireFile(file);
        paths.emplace_back(file);
    }
    return RegisterFiles(db_, paths);
}

} // namespace orvella::tool
