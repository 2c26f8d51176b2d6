#include "shell/Folders.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

mode_t modeOf(const fs::path& file) {
    struct stat status {};
    ::stat(file.c_str(), &status);
    return status.st_mode & 07777;
}

// PREFIX/bin with the shipped catalogue in PREFIX/share/orvella, and a user folder.
struct Layout {
    TempFolder root;
    fs::path bin = root / "prefix" / "bin";
    fs::path user = root / "data" / "Orvella";
    Layout() {
        fs::create_directories(bin);
        writeFile(installedCatalogue(bin), "shipped");
        ::chmod(installedCatalogue(bin).c_str(), 0644);
    }
    ~Layout() { ::chmod(bin.c_str(), 0755); }
};

TEST(ProgramFolder, PortableFolderOrTheUserFolderWithACopyOfTheShippedCatalogue) {
    struct Case {
        const char* why;
        bool catalogueBesideProgram;
        mode_t binMode;
        bool userCatalogue; // the user folder already has one
        bool portable;
    } cases[] = {
        {"portable: catalogue in a writable folder", true, 0755, false, true},
        {"installed: no catalogue beside the program", false, 0755, false, false},
        {"read-only folder with a catalogue", true, 0555, false, false},
        {"later start: the user's catalogue is kept", false, 0755, true, false},
    };
    for (const auto& c : cases) {
        Layout layout;
        if (c.catalogueBesideProgram)
            writeFile(layout.bin / "Orvella.dat", "portable");
        if (c.userCatalogue) {
            fs::create_directories(layout.user);
            writeFile(layout.user / "Orvella.dat", "mine");
        }
        ::chmod(layout.bin.c_str(), c.binMode);
        fs::path chosen = chooseProgramFolder(layout.bin, layout.user);
        ::chmod(layout.bin.c_str(), 0755);
        if (c.portable) {
            EXPECT_EQ(chosen, layout.bin) << c.why;
            EXPECT_FALSE(fs::exists(layout.user)) << c.why;
            continue;
        }
        EXPECT_EQ(chosen, layout.user) << c.why;
        EXPECT_EQ(readFile(layout.user / "Orvella.dat"), c.userCatalogue ? "mine" : "shipped")
            << c.why;
        if (!c.userCatalogue) {
            EXPECT_EQ(modeOf(layout.user / "Orvella.dat"), 0600u) << c.why;
        }
        // Only the catalogue is made: no temporary copy is left behind.
        EXPECT_EQ(std::distance(fs::directory_iterator(layout.user), fs::directory_iterator()), 1)
            << c.why;
        if (c.catalogueBesideProgram) {
            EXPECT_EQ(readFile(layout.bin / "Orvella.dat"), "portable") << c.why;
        }
    }
}

TEST(ProgramFolder, WithoutAShippedCatalogueTheUserFolderStaysEmpty) {
    Layout layout;
    fs::remove(installedCatalogue(layout.bin));
    EXPECT_EQ(chooseProgramFolder(layout.bin, layout.user), layout.user);
    EXPECT_TRUE(fs::is_directory(layout.user));
    EXPECT_FALSE(fs::exists(layout.user / "Orvella.dat"));
}

TEST(ProgramFolder, PreviewCacheIsTheCacheFolderUnlessLocalFolderAsks) {
    TFolders folders("/opt/orvella", "/home/me/.local/share/Orvella", "/home/me/.cache/Orvella");
    EXPECT_EQ(folders.PreviewCacheFolder(), fs::path("/home/me/.cache/Orvella/MD5"));
    folders.chooseDataFolder(true, true);
    EXPECT_EQ(folders.PreviewCacheFolder(), fs::path("/opt/orvella/Data/MD5"));
    folders.chooseDataFolder(false, true);
    EXPECT_EQ(folders.PreviewCacheFolder(), fs::path("/home/me/.cache/Orvella/MD5"));
}

TEST(ProgramFolder, XdgVariablesNameTheFoldersAndRelativeOnesAreIgnored) {
    struct Saved {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
        const char* value = std::getenv(name);
        saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    }
    ::setenv("HOME", "/home/me", 1);
    ::setenv("XDG_DATA_HOME", "/data", 1);
    ::setenv("XDG_CACHE_HOME", "relative/cache", 1); // not absolute: the default applies
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(userFolderFromEnvironment(), fs::path("/data/Orvella"));
    EXPECT_EQ(cacheFolderFromEnvironment(), fs::path("/home/me/.cache/Orvella"));
    EXPECT_EQ(registryFileFromEnvironment(), fs::path("/home/me/.config/Orvella/registry.ini"));
    for (const Saved& s : saved)
        s.value ? ::setenv(s.name.c_str(), s.value->c_str(), 1) : ::unsetenv(s.name.c_str());
}

TEST(FileModes, GroupAndOtherPermissionsAreTakenOff) {
    TempFolder folder;
    struct Case {
        mode_t before;
        std::optional<mode_t> reported;
        mode_t after;
    } cases[] = {
        {0644, 0644, 0600},         {0666, 0666, 0600},         {0640, 0640, 0600},
        {0600, std::nullopt, 0600}, {0400, std::nullopt, 0400}, {0755, 0755, 0700},
    };
    for (const auto& c : cases) {
        fs::path file = folder / "Orvella.dat";
        writeFile(file, "x");
        ::chmod(file.c_str(), c.before);
        EXPECT_EQ(narrowToOwner(file), c.reported) << std::oct << c.before;
        EXPECT_EQ(modeOf(file), c.after) << std::oct << c.before;
    }
    EXPECT_EQ(narrowToOwner(folder / "missing"), std::nullopt);
    EXPECT_EQ(narrowToOwner(folder.path()), std::nullopt); // folders are left alone
}

} // namespace
} // namespace orvella
