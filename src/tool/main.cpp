// orvella-tool: the core of Orvella from the command line, for scripts and
// checks. Errors go to standard error with exit status 1.
#include "tool/ToolVerbs.h"

#include <cstdio>
#include <exception>

namespace orvella::tool {

namespace {
std::vector<ToolVerb>& verbTable() {
    static std::vector<ToolVerb> verbs;
    return verbs;
}

int printUsage() {
    std::fprintf(stderr, "usage: orvella-tool VERB ARGUMENTS...\n");
    for (const ToolVerb& verb : registeredVerbs())
        std::fprintf(stderr, "  orvella-tool %s %s\n", verb.name.c_str(), verb.usage.c_str());
    return 1;
}
} // namespace

ToolVerbRegistration::ToolVerbRegistration(ToolVerb verb) { verbTable().push_back(std::move(verb)); }

const std::vector<ToolVerb>& registeredVerbs() { return verbTable(); }

} // namespace orvella::tool

int main(int argc, char** argv) {
    using namespace orvella::tool;
    if (argc < 2)
        return printUsage();
    std::string name = argv[1];
    std::vector<std::string> arguments(argv + 2, argv + argc);
    for (const ToolVerb& verb : registeredVerbs()) {
        if (verb.name != name)
            continue;
        try {
            return verb.run(arguments);
        } catch (const UsageError&) {
            std::fprintf(stderr, "usage: orvella-tool %s %s\n", verb.name.c_str(), verb.usage.c_str());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "orvella-tool %s: %s\n", name.c_str(), error.what());
        }
        return 1;
    }
    std::fprintf(stderr, "orvella-tool: unknown verb %s\n", name.c_str());
    return printUsage();
}
