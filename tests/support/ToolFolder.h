#pragma once

#include "support/TempFolder.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace orvella::test {

// A program folder of its own for orvella-tool: a copy of the tool beside a
// fresh empty catalogue, so verbs that work on "the catalogue beside the
// tool" work on this one. Compiled into test programs that define
// ORVELLA_BIN_DIR.
class ToolFolder {
public:
    struct Run {
        int status;
        std::string out;
        std::string err;
    };

    ToolFolder() {
        namespace fs = std::filesystem;
        fs::copy_file(fs::path(ORVELLA_BIN_DIR) / "orvella-tool", folder / "orvella-tool");
        fs::copy_file(fs::path(ORVELLA_BIN_DIR) / "Orvella.dat", folder / "Orvella.dat");
    }

    const std::filesystem::path& path() const { return folder.path(); }
    std::filesystem::path catalogue() const { return folder / "Orvella.dat"; }

    // Runs the copy with the arguments (already quoted for the shell).
    Run run(const std::string& arguments) const {
        std::string command = "'" + (folder / "orvella-tool").string() + "' " + arguments + " > '" +
                              (folder / "stdout").string() + "' 2> '" +
                              (folder / "stderr").string() + "' < /dev/null";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(folder / "stdout"),
                readFile(folder / "stderr")};
    }

private:
    TempFolder folder;
};

// A path between single quotes for the shell.
inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace orvella::test
