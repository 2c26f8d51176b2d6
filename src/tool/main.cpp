// orvella-tool: the core of Orvella from the command line, for scripts and
// checks. Errors go to standard error with exit status 1.
//
// The verbs that make pictures live in a module beside the executable, opened
// the first time a verb is not one of the executable's own: the others start
// without Qt Gui, the RAW library or the renderers.
#include "tool/ToolVerbs.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
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
        std::string file = folderOfExecutable() + "/" + kPictureModuleFile;
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

int printUsage() {
    std::fprintf(stderr, "usage: orvella-tool VERB ARGUMENTS...\n");
    std::string failure;
    for (const std::vector<ToolVerb>* verbs : {&registeredVerbs(), pictureVerbs(failure)}) {
        if (verbs == nullptr)
            continue;
        for (const ToolVerb& verb : *verbs)
            std::fprintf(stderr, "  orvella-tool %s %s\n", verb.name.c_str(), verb.usage.c_str());
    }
    if (!failure.empty())
        std::fprintf(stderr, "the picture verbs are unavailable: %s\n", failure.c_str());
    return 1;
}

} // namespace

} // namespace orvella::tool

int main(int argc, char** argv) {
    using namespace orvella::tool;
    if (argc < 2)
        return printUsage();
    std::string name = argv[1];
    std::vector<std::string> arguments(argv + 2, argv + argc);
    if (const ToolVerb* verb = findVerb(registeredVerbs(), name))
        return runToolVerb(*verb, arguments);
    std::string failure;
    if (const std::vector<ToolVerb>* verbs = pictureVerbs(failure))
        if (const ToolVerb* verb = findVerb(*verbs, name))
            return runToolVerb(*verb, arguments);
    std::fprintf(stderr, "orvella-tool: unknown verb %s\n", name.c_str());
    return printUsage();
}
