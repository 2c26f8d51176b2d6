// orvella-tool: the core of Orvella from the command line, for scripts and
// checks. Errors go to standard error with exit status 1.
#include "tool/ToolVerbs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

namespace orvella::tool {

namespace {
std::vector<ToolVerb>& verbTable() {
    static std::vector<ToolVerb> verbs;
    return verbs;
}

// The verbs in name order, each with its arguments: on standard output for
// --help, on standard error when the verb is missing.
int printUsage(std::FILE* out, int status) {
    std::vector<const ToolVerb*> verbs;
    for (const ToolVerb& verb : registeredVerbs())
        verbs.push_back(&verb);
    std::sort(verbs.begin(), verbs.end(),
              [](const ToolVerb* a, const ToolVerb* b) { return a->name < b->name; });
    std::fprintf(out, "usage: orvella-tool VERB ARGUMENTS...\n"
                      "The core of Orvella for scripts and checks; errors go to standard error\n"
                      "with exit status 1. Verbs:\n");
    for (const ToolVerb* verb : verbs)
        std::fprintf(out, "  orvella-tool %s %s\n", verb->name.c_str(), verb->usage.c_str());
    return status;
}
} // namespace

ToolVerbRegistration::ToolVerbRegistration(ToolVerb verb) {
    verbTable().push_back(std::move(verb));
}

const std::vector<ToolVerb>& registeredVerbs() {
    return verbTable();
}

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
    for (const ToolVerb& verb : registeredVerbs()) {
        if (verb.name != name)
            continue;
        try {
            return verb.run(arguments);
        } catch (const UsageError&) {
            std::fprintf(stderr, "usage: orvella-tool %s %s\n", verb.name.c_str(),
                         verb.usage.c_str());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "orvella-tool %s: %s\n", name.c_str(), error.what());
        }
        return 1;
    }
    std::fprintf(stderr, "orvella-tool: unknown verb %s\n", name.c_str());
    return printUsage(stderr, 1);
}
