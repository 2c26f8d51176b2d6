// The file commands of the file view from the command line: move and copy
// into a folder, clone, rename and zip, on the catalogue beside the tool.
#include "files/FileIdentity.h"
#include "files/FileOperations.h"
#include "files/ZipArchive.h"
#include "tool/ProgramCatalogue.h"
#include "tool/ToolVerbs.h"

#include <cstdio>

namespace orvella::tool {

namespace {

namespace fs = std::filesystem;

// Throws for an argument that is no file, before anything is done.
std::vector<TImageData> itemsOf(TStockDBObject& catalogue, const std::vector<std::string>& files) {
    return ImageDataForFiles(catalogue, {files.begin(), files.end()}, true);
}

// Exit status 2 when files were left because their names were taken, 1 when
// a move or copy failed.
int drop(const std::vector<std::string>& args, bool move) {
    if (args.size() < 2)
        throw UsageError("a folder and files expected");
    fs::path folder = folderArgument(args[0]);
    ProgramCatalogue program;
    CommandLinePrompts prompts;
    SilentProgress progress;
    FileOptions options = ReadFileOptions(program.settings);
    options.moveFiles = move;
    std::vector<TImageData> items = itemsOf(program.catalogue, {args.begin() + 1, args.end()});
    DropResult result =
        FileOperations(program.catalogue, prompts, progress).DropOnFolder(items, folder, options);
    for (size_t i = 0; i < result.failed.size(); ++i)
        std::fprintf(stderr, "cannot %s %s\n", move ? "move" : "copy",
                     i < result.reasons.size() ? result.reasons[i].c_str()
                                               : result.failed[i].c_str());
    if (!move)
        for (const std::string& file : result.leftForExisting)
            std::fprintf(stderr, "%s skipped: a file of that name is in the folder\n",
                         file.c_str());
    return !result.failed.empty() ? 1 : !result.leftForExisting.empty() ? 2 : 0;
}

int moveFiles(const std::vector<std::string>& args) {
    return drop(args, true);
}

int copyFiles(const std::vector<std::string>& args) {
    return drop(args, false);
}

// One file at a time, so that each one's outcome can be told.
template <class Command> int eachFile(const std::vector<std::string>& args, Command command) {
    if (args.empty())
        throw UsageError("files expected");
    ProgramCatalogue program;
    CommandLinePrompts prompts;
    SilentProgress progress;
    FileOperations operations(program.catalogue, prompts, progress);
    int status = 0;
    for (const TImageData& item : itemsOf(program.catalogue, args))
        if (!command(operations, program, item))
            status = 1;
    return status;
}

int cloneFiles(const std::vector<std::string>& args) {
    return eachFile(args, [](FileOperations& operations, ProgramCatalogue& program,
                             const TImageData& item) {
        bool overwrite = ReadFileOptions(program.settings).overwrite;
        fs::path clone = FileOperations::CloneName(item.FullName);
        if (operations.CloneImages({item}, overwrite) == 1) {
            std::printf("%s\n", clone.c_str());
            return true;
        }
        std::fprintf(stderr, "%s not cloned: %s exists\n", item.FullName.c_str(), clone.c_str());
        return false;
    });
}

int zipFiles(const std::vector<std::string>& args) {
    return eachFile(
        args, [](FileOperations& operations, ProgramCatalogue&, const TImageData& item) {
            std::string archive = ChangeExtension(item.FullName, "zip");
            if (operations.ZipFiles({item}) == 1) {
                std::printf("%s\n", archive.c_str());
                return true;
            }
            std::fprintf(stderr, "cannot zip %s into %s\n", item.FullName.c_str(), archive.c_str());
            return false;
        });
}

// The file takes the new name in its folder, never over another file; its
// catalogue row follows. Prints the new path.
int renameFile(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError("a file and its new name expected");
    ProgramCatalogue program;
    CommandLinePrompts prompts;
    SilentProgress progress;
    TImageData item = itemsOf(program.catalogue, {args[0]}).front();
    if (!FileOperations(program.catalogue, prompts, progress).RenameImage(item, args[1]))
        return 1;
    std::printf("%s\n", item.FullName.c_str());
    return 0;
}

ToolVerbRegistration moveVerb{{"move", "FOLDER FILE...", moveFiles}};
ToolVerbRegistration copyVerb{{"copy", "FOLDER FILE...", copyFiles}};
ToolVerbRegistration cloneVerb{{"clone", "FILE...", cloneFiles}};
ToolVerbRegistration zipVerb{{"zip", "FILE...", zipFiles}};
ToolVerbRegistration renameVerb{{"rename", "FILE NEW-NAME", renameFile}};

} // namespace

} // namespace orvella::tool
