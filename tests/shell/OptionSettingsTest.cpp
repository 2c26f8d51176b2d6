// The settings of the options dialog: defaults, the store they come from and
// the store they go to, and the proxy port check.
#include "shell/OptionSettings.h"
#include "shell/IniFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

struct Installation {
    TempFolder root;
    fs::path program = root / "program";
    fs::path registry = root / "config" / "registry.ini";
    SettingsStore store{program, registry};
    Installation() { fs::create_directories(program); }
    fs::path ini() const { return program / "Orvella.ini"; }
};

TEST(OptionSettings, EveryKeyButProxyTypeWithItsDefault) {
    Installation setup;
    OptionSettings settings = OptionSettings::load(setup.store);
    SettingsStore::Values expected = {
        {"UploadRelease", "1"},     {"MoveFiles", "1"},    {"Overwrite", "0"},
        {"HideMissingFiles", "0"},  {"HideSkin", "0"},     {"UseProxy", "0"},
        {"LocalFolder", "0"},       {"UseINI", "0"},       {"JPEGPreview", "0"},
        {"ExplorerMenu", "0"},      {"ProxyPort", ""},     {"ProxyURL", ""},
        {"ProxyLogin", ""},         {"ProxyPass", ""},     {"EnableFTPLogging", "1"},
        {"Ask password", "0"},      {"FullScan", "0"},     {"ClearRO", "1"},
        {"KeywordsAlphaSort", "0"}, {"tabcatalog", "1"},   {"tabstocks", "1"},
        {"tabuploads", "1"},        {"tabstockinfo", "1"}, {"tabimageinfo", "1"},
        {"tabkeywords", "1"},       {"tabfiles2", "1"},    {"tabmodel", "1"},
    };
    EXPECT_EQ(settings.values(), expected);
    EXPECT_FALSE(OptionSettings::isEdited("ProxyType"));
}

TEST(OptionSettings, ReadFromTheStoreTheRulePicks) {
    Installation setup;
    writeFile(setup.registry, "[Options]\nOverwrite=1\nProxyURL=registry.example\n");
    EXPECT_TRUE(OptionSettings::load(setup.store).flag("Overwrite"));
    EXPECT_EQ(OptionSettings::load(setup.store).text("ProxyURL"), "registry.example");

    writeFile(setup.ini(), "[Options]\nProxyURL=ini.example\nAsk password=1\n");
    OptionSettings settings = OptionSettings::load(setup.store);
    EXPECT_FALSE(settings.flag("Overwrite"))
        << "the registry is not read while the INI file exists";
    EXPECT_EQ(settings.text("ProxyURL"), "ini.example");
    EXPECT_TRUE(settings.flag("Ask password"));
    EXPECT_TRUE(settings.flag("UseINI")) << "an INI file without the key keeps its store";
}

TEST(OptionSettings, UncheckedIniWritesEveryKeyToTheRegistryAndDeletesTheIniFile) {
    Installation setup;
    writeFile(setup.ini(), "[Options]\nUseINI=1\n[MainWindow]\nWidth=900\n");
    writeFile(setup.registry, "[MainWindow]\nWidth=700\n");
    OptionSettings settings = OptionSettings::load(setup.store);
    settings.setFlag("UseINI", false);
    settings.setText("ProxyPass", "proxy secret");
    settings.save(setup.store);

    EXPECT_FALSE(fs::exists(setup.ini()));
    IniFile registry = IniFile::load(setup.registry);
    for (const auto& [key, value] : settings.values())
        EXPECT_EQ(registry.value("Options", key), value) << key;
    EXPECT_EQ(setup.store.readInteger("MainWindow", "Width", 0), 700)
        << "the registry's own layout is in force again";
}

TEST(OptionSettings, CheckedIniWritesANewIniFileThatLaterReadersUse) {
    Installation setup;
    OptionSettings settings = OptionSettings::load(setup.store);
    settings.setFlag("UseINI", true);
    settings.setFlag("tabmodel", false);
    settings.save(setup.store);

    ASSERT_TRUE(fs::exists(setup.ini()));
    EXPECT_FALSE(fs::exists(setup.registry));
    EXPECT_TRUE(setup.store.usesIniStore());
    EXPECT_FALSE(OptionSettings::load(setup.store).flag("tabmodel"));
    EXPECT_NE(readFile(setup.ini()).find("tabmodel=0"), std::string::npos);
}

TEST(OptionSettings, ProxyPortIsEmptyOrANumberFromOneTo65535) {
    struct Case {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},       {"1", true},    {"21", true},     {"65535", true},
        {" 8080 ", true}, {"0", false},   {"65536", false}, {"-1", false},
        {"abc", false},   {"21a", false}, {"0x15", false},  {"99999999999", false},
        {"+21", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OptionSettings::isValidProxyPort(c.text), c.valid) << "'" << c.text << "'";
        Installation setup;
        OptionSettings settings = OptionSettings::load(setup.store);
        settings.setText("ProxyPort", "3128");
        if (c.valid) {
            settings.setText("ProxyPort", c.text);
            EXPECT_EQ(settings.text("ProxyPort"),
                      std::string(c.text == " 8080 " ? "8080" : c.text));
        } else {
            EXPECT_THROW(settings.setText("ProxyPort", c.text), std::invalid_argument) << c.text;
            EXPECT_EQ(settings.text("ProxyPort"), "3128") << "a refused port leaves the old one";
        }
    }
}

TEST(OptionSettings, AStoredPortThatIsNoPortIsNeverWrittenBack) {
    Installation setup;
    writeFile(setup.registry, "[Options]\nProxyPort=eighty\n");
    OptionSettings settings = OptionSettings::load(setup.store);
    EXPECT_EQ(settings.text("ProxyPort"), "");
    settings.save(setup.store);
    EXPECT_EQ(setup.store.readText("Options", "ProxyPort", "absent"), "");
}

TEST(OptionSettings, CommandLineValuesAndWrongKeys) {
    Installation setup;
    OptionSettings settings = OptionSettings::load(setup.store);
    for (const char* text : {"0", "false", "No", "off"}) {
        settings.setFromText("MoveFiles", text);
        EXPECT_FALSE(settings.flag("MoveFiles")) << text;
    }
    for (const char* text : {"1", "true", "YES", "on"}) {
        settings.setFromText("Overwrite", text);
        EXPECT_TRUE(settings.flag("Overwrite")) << text;
    }
    settings.setFromText("ProxyURL", "proxy.example");
    EXPECT_EQ(settings.text("ProxyURL"), "proxy.example");

    EXPECT_THROW(settings.setFromText("MoveFiles", "maybe"), std::invalid_argument);
    EXPECT_THROW(settings.setFromText("ProxyType", "1"), std::invalid_argument);
    EXPECT_THROW(settings.setFromText("movefiles", "1"), std::invalid_argument)
        << "key names are exact";
    EXPECT_THROW(settings.flag("ProxyURL"), std::invalid_argument);
    EXPECT_THROW(settings.text("MoveFiles"), std::invalid_argument);
}

} // namespace
} // namespace orvella
