// Model releases from the command line, so that scripts can attach the
// releases the uploader sends with an image.
#include "files/ModelReleases.h"
#include "tool/ProgramCatalogue.h"
#include "tool/ToolVerbs.h"

#include <cstdio>

namespace orvella::tool {

namespace {

namespace fs = std::filesystem;

// Prints the new release's id.
int addRelease(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError("a picture and a model name expected");
    std::error_code error;
    if (!fs::is_regular_file(args[0], error))
        throw std::runtime_error("no picture " + args[0]);
    ProgramCatalogue program;
    CommandLinePrompts prompts;
    ModelReleaseBook book(program.catalogue, prompts);
    std::string id = book.Add(fs::absolute(args[0]).lexically_normal().string(), args[1]);
    if (id.empty())
        return 1;
    std::printf("%s\n", id.c_str());
    return 0;
}

// Prints each file's image key.
int attachRelease(const std::vector<std::string>& args) {
    if (args.size() < 2)
        throw UsageError("a model name and files expected");
    ProgramCatalogue program;
    CommandLinePrompts prompts;
    ModelReleaseBook book(program.catalogue, prompts);
    TMR release = book.ReleaseOfModel(args[0]);
    for (const std::string& key : book.AttachToFiles(release, {args.begin() + 1, args.end()}))
        std::printf("%s\n", key.c_str());
    return 0;
}

ToolVerbRegistration addVerb{{"release-add", "PICTURE MODEL", addRelease}};
ToolVerbRegistration attachVerb{{"release-attach", "MODEL FILE...", attachRelease}};

} // namespace

} // namespace orvella::tool
