// orvella-tool: the core of Orvella from the command line, for scripts and
// checks. Errors go to standard error with exit status 1.
//
// The verbs that make pictures live in a module beside the executable, opened
// the first time a verb is not one of the executable's own: the others start
// without Qt Gui, the RAW library or the renderers.
#include "tool/ToolVerbs.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

namespace orvella::tool {

namespace {

std::string folderOfExecutable() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    std::string text(path, static_cast<size_t>(length));
    size_t slash = text.rfind('/');
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

// The picture module's verbs, opened once and kept for the life of the
// process; null when it cannot be opened, with the reason in `failure`.
const std::vector<ToolVerb>* pictureVerbs(std::string& failure) {
    static const std::vector<ToolVerb>* verbs = nullptr;
    static std::string openFailure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        // Beside the executable in the build folder; in PREFIX/libexec/orvella
        // for a tool installed in PREFIX/bin.
        std::string file = folderOfExecutable() + "/" + kPictureModuleFile;
        std::string installed = folderOfExecutable() + "/../libexec/orvella/" + kPictureModuleFile;
        if (access(file.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0)
            file = installed;
        void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            openFailure = dlerror();
        } else if (auto entry =
                       reinterpret_cast<PictureVerbsEntry>(dlsym(module, kPictureModuleEntry))) {
            verbs = entry();
        } else {
            openFailure = file + ": no entry " + kPictureModuleEntry;
        }
    }
    failure = openFailure;
    return verbs;
}

const ToolVerb* findVerb(const std::vector<ToolVerb>& verbs, const std::string& name) {
    for (const ToolVerb& verb : verbs)
        if (verb.name == name)
            return &verb;
    return nullptr;
}

// Every verb in name order with its arguments: on standard output for
// --help, on standard error when the verb is missing or unknown.
int printUsage(std::FILE* out, int status) {
    std::fprintf(out, "usage: orvella-tool VERB ARGUMENTS...\n"
                      "The core of Orvella for scripts and checks; errors go to standard error\n"
                      "with exit status 1. Verbs:\n");
    std::string failure;
    std::vector<const ToolVerb*> listed;
    for (const std::vector<ToolVerb>* verbs : {&registeredVerbs(), pictureVerbs(failure)})
        if (verbs != nullptr)
            for (const ToolVerb& verb : *verbs)
                listed.push_back(&verb);
    std::sort(listed.begin(), listed.end(),
              [](const ToolVerb* a, const ToolVerb* b) { return a->name < b->name; });
    for (const ToolVerb* verb : listed)
        std::fprintf(out, "  orvella-tool %s %s\n", verb->name.c_str(), verb->usage.c_str());
    if (!failure.empty())
        std::fprintf(out, "the picture verbs are unavailable: %s\n", failure.c_str());
    return status;
}

} // namespace

} // namespace orvella::tool

int main(int argc, char** argv) {
    using namespace orvella::tool;
    if (argc < 2)
        return printUsage(stderr, 1);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0)
        return printUsage(stdout, 0);
    std::string name = argv[1];
    std::vector<std::string> arguments(argv + 2, argv + argc);
    if (const ToolVerb* verb = findVerb(registeredVerbs(), name))
        return runToolVerb(*verb, arguments);
    std::string failure;
    if (const std::vector<ToolVerb>* verbs = pictureVerbs(failure))
        if (const ToolVerb* verb = findVerb(*verbs, name))
            return runToolVerb(*verb, arguments);
    std::fprintf(stderr, "orvella-tool: unknown verb %s\n", name.c_str());
    return printUsage(stderr, 1);
}
