#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvella {

// Only the first argument is looked at, case-sensitively, so at most one
// switch takes effect per start. A lone argument that is not a switch names
// a folder (or a file, whose folder is meant) to open in the folder tree.
struct CommandLine {
    enum class Switch { None, Log, Sql, Debug, Help, Version };
    Switch active = Switch::None;
    std::string sqlStatement; // with Switch::Sql
    std::string folder;       // the lone non-switch argument, as given

    static CommandLine parse(const std::vector<std::string>& arguments);
};

// What `orvella --help` and `orvella --version` print.
std::string commandLineHelp();
std::string versionText();

// The folder a command-line argument asks to open: an existing folder, or
// the folder of an existing file, as an absolute path without a trailing
// "/" (except the root). No value for anything else.
std::optional<std::filesystem::path> folderToOpen(const std::string& argument,
                                                  const std::filesystem::path& workingFolder);

// The folder the folder tree opens on at start-up, when it is not the saved
// one: the folder of the command line, or on a first start (no saved folder)
// the pictures folder. No value keeps the saved folder.
std::optional<std::filesystem::path> startFolder(const CommandLine& line,
                                                 const std::string& savedFolder,
                                                 const std::filesystem::path& workingFolder,
                                                 const std::filesystem::path& picturesFolder);

} // namespace orvella
