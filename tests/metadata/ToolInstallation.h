#pragma once

#include "KeywordingFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvella::test {

// A copy of the tool beside a fresh catalogue, and a folder of pictures.
class ToolInstallation : public ::testing::Test {
protected:
    ToolInstallation() {
        namespace fs = std::filesystem;
        fs::create_directories(folder / "program");
        fs::copy_file(toolPath(), folder / "program" / "orvella-tool");
        // the verbs that make pictures (load) live in a module beside the tool
        fs::copy_file(fs::path(ORVELLA_BIN_DIR) / "orvella-tool-pictures.so",
                      folder / "program" / "orvella-tool-pictures.so");
        fs::copy_file(fs::path(ORVELLA_BIN_DIR) / "Orvella.dat",
                      folder / "program" / "Orvella.dat");
    }
    ~ToolInstallation() override {
        namespace fs = std::filesystem;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder.path(), error))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
    }

    CommandResult tool(const std::string& verb, const std::vector<std::string>& arguments) {
        std::string line = shellQuoted((folder / "program" / "orvella-tool").string()) + " " + verb;
        for (const std::string& argument : arguments)
            line += " " + shellQuoted(argument);
        return runCommand("XDG_CONFIG_HOME=" + shellQuoted((folder / "config").string()) +
                          " XDG_CACHE_HOME=" + shellQuoted((folder / "cache").string()) +
                          " XDG_DATA_HOME=" + shellQuoted((folder / "data").string()) + " " + line);
    }
    std::string picture(const std::string& name,
                        const std::vector<std::pair<uint8_t, std::string>>& datasets = {}) {
        std::string content = jpegWithIptc(datasets, 16 + 8 * pictures++);
        writeFile(folder / name, content);
        originals[(folder / name).string()] = content;
        return (folder / name).string();
    }

    TempFolder folder;
    unsigned pictures = 0;
    std::map<std::string, std::string> originals; // the content each picture was made with
};

} // namespace orvella::test
