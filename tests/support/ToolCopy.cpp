#include "support/ToolCopy.h"

#include "support/TempFolder.h"

#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

namespace orvella::test {

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

} // namespace

ToolCopy::ToolCopy(const fs::path& programFolder, const fs::path& binFolder)
    : folder_(programFolder) {
    fs::create_directories(folder_);
    fs::copy_file(binFolder / "orvella-tool", folder_ / "orvella-tool",
                  fs::copy_options::overwrite_existing);
    if (!fs::exists(folder_ / "Orvella.dat"))
        fs::copy_file(binFolder / "Orvella.dat", folder_ / "Orvella.dat");
}

ToolOutput ToolCopy::run(const std::vector<std::string>& arguments,
                         const std::string& input) const {
    std::string command = "XDG_CONFIG_HOME=" + quoted((folder_ / "config").string()) +
                          " XDG_DATA_HOME=" + quoted((folder_ / "data").string()) +
                          " XDG_CACHE_HOME=" + quoted((folder_ / "cache").string()) + " " +
                          quoted((folder_ / "orvella-tool").string());
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    fs::path in = folder_ / "tool.in", out = folder_ / "tool.out", err = folder_ / "tool.err";
    writeFile(in, input);
    command +=
        " <" + quoted(in.string()) + " >" + quoted(out.string()) + " 2>" + quoted(err.string());
    int status = std::system(command.c_str());
    if (status == -1)
        throw std::runtime_error("cannot run " + command);
    ToolOutput result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
    fs::remove(in);
    fs::remove(out);
    fs::remove(err);
    return result;
}

} // namespace orvella::test
