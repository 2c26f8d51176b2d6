// The verb table of one binary. Compiled into the executable and into the
// picture module alike; each keeps its own table.
#include "tool/ToolVerbs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <system_error>

namespace orvella::tool {

namespace {
std::vector<ToolVerb>& verbTable() {
    static std::vector<ToolVerb> verbs;
    return verbs;
}
} // namespace

ToolVerbRegistration::ToolVerbRegistration(ToolVerb verb) {
    verbTable().push_back(std::move(verb));
}

const std::vector<ToolVerb>& registeredVerbs() {
    return verbTable();
}

void requireFile(const std::string& file) {
    struct stat facts {};
    if (::stat(file.c_str(), &facts) != 0)
        throw std::system_error(errno, std::generic_category(), file);
    if (S_ISDIR(facts.st_mode))
        throw std::runtime_error(file + ": is a folder, not a file");
    if (!S_ISREG(facts.st_mode))
        throw std::runtime_error(file + ": not a regular file");
}

int runToolVerb(const ToolVerb& verb, const std::vector<std::string>& arguments) {
    try {
        return verb.run(arguments);
    } catch (const UsageError&) {
        std::fprintf(stderr, "usage: orvella-tool %s %s\n", verb.name.c_str(), verb.usage.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvella-tool %s: %s\n", verb.name.c_str(), error.what());
    }
    return 1;
}

} // namespace orvella::tool
