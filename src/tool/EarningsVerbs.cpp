// earnings: the agencies' balance and sales figures, read by the web engine in
// orvella-earnings beside this tool, so the other verbs never load it.
#include "tool/ToolVerbs.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace orvella::tool {

namespace {

int earnings(const std::vector<std::string>& args) {
    if (args.size() > 1)
        throw UsageError("at most one program folder expected");
    std::string program =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "orvella-earnings")
            .string();
    std::vector<std::string> arguments = args;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(errno));
}

ToolVerbRegistration earningsVerb{{"earnings", "[PROGRAM_FOLDER]", earnings}};

} // namespace

} // namespace orvella::tool
