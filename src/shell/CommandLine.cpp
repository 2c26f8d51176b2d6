#include "shell/CommandLine.h"

#include "shell/Version.h"

namespace orvella {

namespace fs = std::filesystem;

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty())
        return line;
    const std::string& first = arguments.front();
    if (first == "-log")
        line.active = Switch::Log;
    else if (first == "-debug")
        line.active = Switch::Debug;
    else if (first == "-sql" && arguments.size() > 1) {
        line.active = Switch::Sql;
        line.sqlStatement = arguments[1];
    } else if (first == "--help" || first == "-h")
        line.active = Switch::Help;
    else if (first == "--version")
        line.active = Switch::Version;
    else if (arguments.size() == 1 && !first.empty() && first.front() != '-')
        line.folder = first;
    return line;
}

std::string commandLineHelp() {
    return "Usage: orvella [-log | -sql STATEMENT | -debug | FOLDER]\n"
           "       orvella --help | --version\n"
           "\n"
           "Keeps a catalogue of your pictures for stock-photo agencies, edits their IPTC\n"
           "data and uploads them to the agencies' FTP servers.\n"
           "\n"
           "Only the first argument is examined:\n"
           "  -log            write a machine report and verbose progress lines to LogFile.log\n"
           "  -sql STATEMENT  run one SQL statement on the catalogue at start-up\n"
           "  -debug          start in debug mode\n"
           "  FOLDER          open this folder in the folder tree (for a file: its folder)\n"
           "  --help          print this help and exit\n"
           "  --version       print the version and exit\n"
           "\n"
           "The catalogue (Orvella.dat), Orvella.ini and LogFile.log live beside the program\n"
           "when that folder holds a catalogue and is writable (a portable installation), else\n"
           "in $XDG_DATA_HOME/Orvella (~/.local/share/Orvella). Settings otherwise go to\n"
           "$XDG_CONFIG_HOME/Orvella/registry.ini; previews to $XDG_CACHE_HOME/Orvella/MD5.\n"
           "Scripts and checks: orvella-tool --help.\n";
}

std::string versionText() {
    return std::string(kApplicationTitle) + " " + kProductVersion + "\n";
}

std::optional<fs::path> folderToOpen(const std::string& argument, const fs::path& workingFolder) {
    if (argument.empty())
        return std::nullopt;
    fs::path path =
        fs::path(argument).is_absolute() ? fs::path(argument) : workingFolder / argument;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error)
        return std::nullopt;
    if (fs::is_regular_file(status))
        path = path.parent_path();
    else if (!fs::is_directory(status))
        return std::nullopt;
    path = path.lexically_normal();
    if (path.has_relative_path() && path.filename().empty())
        path = path.parent_path(); // "a/b/" -> "a/b"; "/" stays
    return path;
}

std::optional<fs::path> startFolder(const CommandLine& line, const std::string& savedFolder,
                                    const fs::path& workingFolder, const fs::path& picturesFolder) {
    if (!line.folder.empty())
        if (std::optional<fs::path> folder = folderToOpen(line.folder, workingFolder))
            return folder;
    if (savedFolder.empty())
        return picturesFolder;
    return std::nullopt;
}

} // namespace orvella
