#include "shell/IniFile.h"
#include "shell/Layout.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

struct Installation {
    TempFolder root;
    fs::path program = root / "program";
    fs::path registry = root / "config" / "Orvella" / "registry.ini";
    SettingsStore store{program, registry};
    TFolders folders{program, root / "share" / "Orvella"};
    Installation() { fs::create_directories(program); }
};

TEST(ValueEncoding, IntegersAcceptDecimalAndBothHexForms) {
    struct Case {
        std::string text;
        std::optional<long> value;
    } cases[] = {
        {"42", 42},
        {"-7", -7},
        {"0x1F", 31},
        {"$FF", 255},
        {" 12", 12},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeInteger(c.text), c.value) << "text: '" << c.text << "'";
}

TEST(ValueEncoding, BooleansAreNonZeroIntegersWithDefaultOtherwise) {
    struct Case {
        std::optional<std::string> text;
        bool fallback;
        bool value;
    } cases[] = {
        {"1", false, true},         {"0", true, false},           {"2", false, true},
        {"$10", false, true},       {"yes", true, true},          {"yes", false, false},
        {std::nullopt, true, true}, {std::nullopt, false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeBoolean(c.text, c.fallback), c.value) << c.text.value_or("<absent>");
    EXPECT_EQ(encodeBoolean(true), "1");
    EXPECT_EQ(encodeBoolean(false), "0");
}

TEST(SettingsStore, IniFileWinsWhileItExists) {
    Installation setup;
    setup.store.writeText("Options", "ProxyURL", "registry.example");
    EXPECT_FALSE(setup.store.usesIniStore());
    writeFile(setup.program / "Orvella.ini", "[Options]\r\nProxyURL=ini.example\r\n");
    EXPECT_TRUE(setup.store.usesIniStore());
    EXPECT_EQ(setup.store.readText("Options", "ProxyURL", ""), "ini.example");
    setup.store.writeText("Options", "ProxyLogin", "me");
    EXPECT_NE(readFile(setup.program / "Orvella.ini").find("ProxyLogin=me"), std::string::npos);

    setup.store.deleteIniFile();
    EXPECT_EQ(setup.store.readText("Options", "ProxyURL", ""), "registry.example");
    EXPECT_EQ(setup.store.readText("Options", "ProxyLogin", "absent"), "absent");
}

TEST(SettingsStore, StoreFilesArePrivateBecauseTheyHoldPasswords) {
    Installation setup;
    setup.store.writeText("Options", "ProxyPass", "secret");
    struct stat info {};
    ASSERT_EQ(stat(setup.registry.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(IniFile, KeysWithBlanksCaseInsensitiveNamesAndForeignLinesKept) {
    TempFolder folder;
    writeFile(folder / "a.ini",
              "; written by hand\r\n[options]\r\nAsk password = 1\r\n\r\n[Other]\r\nx=1\r\n");
    IniFile ini = IniFile::load(folder / "a.ini");
    EXPECT_EQ(ini.value("Options", "ask PASSWORD"), "1");
    ini.setValue("OPTIONS", "UseINI", "0");
    ini.setValue("Options", "Ask password", "0");
    EXPECT_EQ(
        ini.text(),
        "; written by hand\r\n[options]\r\nAsk password=0\r\nUseINI=0\r\n\r\n[Other]\r\nx=1\r\n");
}

TEST(OptionsCache, FreshInstallationGivesEveryDefault) {
    Installation setup;
    TOptionsCache cache(setup.store);
    cache.LoadOptions();
    EXPECT_EQ(cache.entries().size(), 27u); // every cached key, ProxyType excluded
    struct Case {
        const char* name;
        OptionValue value;
    } cases[] = {
        {"UploadRelease", true},      {"MoveFiles", true}, {"Overwrite", false},
        {"EnableFTPLogging", true},   {"ClearRO", true},   {"Ask password", false},
        {"tabcatalog", true},         {"tabmodel", true},  {"ProxyPort", std::string()},
        {"KeywordsAlphaSort", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cache.GetOption(c.name), c.value) << c.name;
    EXPECT_FALSE(cache.GetOption("ProxyType").isAssigned());
}

TEST(OptionsCache, UnknownOrMiscasedNamesReadAsFalse) {
    Installation setup;
    TOptionsCache cache(setup.store);
    cache.LoadOptions();
    EXPECT_FALSE(cache.GetOption("NoSuchOption").isAssigned());
    EXPECT_FALSE(cache.GetOption("NoSuchOption").toBool());
    EXPECT_FALSE(cache.GetOption("uploadrelease").toBool());
}

TEST(OptionsCache, ReadsStoredValuesAndPersistsSetOption) {
    Installation setup;
    setup.store.write("Options", {{"MoveFiles", "0"}, {"ProxyPort", "8080"}, {"FullScan", "$1"}});
    TOptionsCache cache(setup.store);
    cache.LoadOptions();
    EXPECT_FALSE(cache.GetOption("MoveFiles").toBool());
    EXPECT_EQ(cache.GetOption("ProxyPort").toText(), "8080");
    EXPECT_TRUE(cache.GetOption("FullScan").toBool());

    cache.SetOption("FullScan", false, true);
    cache.SetOption("NotAnOption", true, false);
    EXPECT_FALSE(cache.GetOption("FullScan").toBool());
    EXPECT_FALSE(cache.GetOption("NotAnOption").isAssigned());
    EXPECT_EQ(setup.store.readText("Options", "FullScan", ""), "0");
}

TEST(Layout, FreshInstallationUsesDefaultsAndTheUserFolder) {
    Installation setup;
    LoadedLayout loaded = LoadLayout(setup.store, setup.folders);
    EXPECT_EQ(loaded.layout.left, 50);
    EXPECT_EQ(loaded.layout.top, 50);
    EXPECT_EQ(loaded.layout.width, 1126);
    EXPECT_EQ(loaded.layout.height, 778);
    EXPECT_EQ(loaded.layout.skin, "BlueIce (internal)");
    EXPECT_FALSE(loaded.layout.maximised());
    EXPECT_EQ(setup.folders.DataFolder(), setup.folders.UserFolder());
    EXPECT_FALSE(fs::exists(setup.program / "Data"));
}

TEST(Layout, SaveAndLoadRoundTripKeepsMaximisedState) {
    Installation setup;
    WindowLayout layout;
    layout.state = WindowLayout::kMaximised;
    layout.width = 900;
    layout.directory = "/home/me/Pictures";
    layout.skin = "Fusion";
    SaveLayout(setup.store, layout);
    LoadedLayout loaded = LoadLayout(setup.store, setup.folders);
    EXPECT_TRUE(loaded.layout.maximised());
    EXPECT_EQ(loaded.layout.width, 900);
    EXPECT_EQ(loaded.layout.directory, "/home/me/Pictures");
    EXPECT_EQ(loaded.layout.skin, "Fusion");
    layout.state = 0; // minimised windows are saved as normal
    SaveLayout(setup.store, layout);
    EXPECT_EQ(setup.store.readText("MainWindow", "State", ""), "1");
}

TEST(Layout, DataFolderIsLocalOnlyForAnIniStoreAskingForIt) {
    struct Case {
        bool iniStore;
        bool localFolder;
        bool dataInProgramFolder;
    } cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
    for (const auto& c : cases) {
        Installation setup;
        if (c.iniStore)
            writeFile(setup.program / "Orvella.ini", "");
        setup.store.writeBoolean("Options", "LocalFolder", c.localFolder);
        LoadLayout(setup.store, setup.folders);
        fs::path expected =
            c.dataInProgramFolder ? setup.program / "Data" : setup.folders.UserFolder();
        EXPECT_EQ(setup.folders.DataFolder(), expected) << c.iniStore << c.localFolder;
        EXPECT_EQ(fs::is_directory(setup.program / "Data" / "MD5"), c.iniStore);
    }
}

} // namespace
} // namespace orvella

namespace orvella {
namespace {

TEST(IniFileText, SectionsAddedToANewFileAreWrittenAndFound) {
    IniFile ini;
    ini.setValue("Agencies", "Albumo", "http://127.0.0.1:8080");
    EXPECT_EQ(ini.value("agencies", "ALBUMO"), "http://127.0.0.1:8080");
    EXPECT_EQ(ini.text(), "[Agencies]\r\nAlbumo=http://127.0.0.1:8080\r\n");
}

} // namespace
} // namespace orvella
