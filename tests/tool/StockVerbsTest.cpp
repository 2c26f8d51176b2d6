// The account and settings verbs, run as processes on a program folder's
// catalogue and settings.
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "support/TempFolder.h"
#include "support/ToolCopy.h"

#include <gtest/gtest.h>

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

class StockVerbsTest : public ::testing::Test {
protected:
    TempFolder root;
    ToolCopy tool{root / "program", ORVELLA_BIN_DIR};

    ToolOutput ok(const std::vector<std::string>& arguments) {
        ToolOutput output = tool.run(arguments);
        EXPECT_EQ(output.status, 0) << arguments.at(0) << ": " << output.err;
        return output;
    }
    TStock stock(const std::string& name) {
        TCatalogueConnection connection(tool.folder() / "Orvella.dat");
        TStockDBObject db(connection);
        for (const TStock& stock : db.GetStocks(false))
            if (stock.Name == name)
                return stock;
        ADD_FAILURE() << "no stock " << name;
        return {};
    }
    fs::path registry() const { return tool.folder() / "config" / "Orvella" / "registry.ini"; }
};

TEST_F(StockVerbsTest, AccountsAreSetUpFieldByFieldAndListedWithoutPasswords) {
    EXPECT_EQ(ok({"stock-add", "Pixel Market", "127.0.0.1:2121", "http://pixel.example"}).out,
              "0\n");
    EXPECT_EQ(ok({"stock-add", "Web Only", ""}).out, "1\n");
    ok({"stock-set", "pixel market", "login", "me"});
    ToolOutput piped = tool.run({"stock-set", "Pixel Market", "password", "-"}, "ftp-s3cret\n");
    EXPECT_EQ(piped.status, 0) << piped.err;
    ok({"stock-set", "Web Only", "weblogin", "web me"});
    ok({"stock-set", "Web Only", "webpassword", "web-s3cret"});
    ok({"stock-set", "Web Only", "enabled", "0"});
    ok({"stock-set", "Web Only", "url", "https://web.example"});

    TStock pixel = stock("Pixel Market");
    EXPECT_EQ(pixel.FtpLogin, "me");
    EXPECT_EQ(pixel.FtpPassword, "ftp-s3cret");
    EXPECT_EQ(pixel.Url, "http://pixel.example");
    TStock web = stock("Web Only");
    EXPECT_FALSE(web.Enabled);
    EXPECT_FALSE(web.FtpEnabled);
    EXPECT_EQ(web.WebPassword, "web-s3cret");
    EXPECT_EQ(web.Url, "https://web.example");

    ToolOutput listing = ok({"stocks"});
    EXPECT_EQ(listing.out, "0\tPixel Market\t1\t1\t127.0.0.1:2121\n1\tWeb Only\t0\t0\t\n");
    EXPECT_EQ(listing.out.find("s3cret"), std::string::npos);
    EXPECT_EQ(ok({"stocks", tool.folder().string()}).out, listing.out) << "a program folder given";

    ok({"stock-set", "Web Only", "ftphost", "127.0.0.1:21"});
    ok({"stock-set", "Web Only", "ftpenabled", "1"});
    EXPECT_EQ(ok({"stocks"}).out,
              "0\tPixel Market\t1\t1\t127.0.0.1:2121\n1\tWeb Only\t0\t1\t127.0.0.1:21\n");
}

TEST_F(StockVerbsTest, RefusalsGoToStandardErrorWithStatusOne) {
    ok({"stock-add", "Taken", ""});
    struct Case {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"stock-add", "  ", "ftp.example"}, "Input stock name!"},
        {{"stock-add", "TAKEN", ""}, "Stock TAKEN already exists"},
        {{"stock-add", "Only a name"}, "usage: orvella-tool stock-add NAME FTPHOST [URL]"},
        {{"stock-set", "Nobody", "url", "x"}, "No stock named Nobody"},
        {{"stock-set", "Taken", "password", "x"}, "Stock Taken has no FTP upload"},
        {{"stock-set", "Taken", "colour", "red"}, "Unknown stock field colour"},
        {{"stock-set", "Taken", "enabled", "maybe"}, "Not a switch value: maybe"},
        {{"stocks", "one", "two"}, "usage: orvella-tool stocks [PROGRAM_FOLDER]"},
        {{"stock-set", "Taken", "webpassword", "-"}, "no password on standard input"},
        {{"option-set", "ProxyPort", "70000"}, "The proxy port must be a number from 1 to 65535"},
        {{"option-set", "ProxyType", "1"}, "Unknown option ProxyType"},
        {{"option-set", "MoveFiles", "perhaps"}, "Option MoveFiles takes 1 or 0, not perhaps"},
    };
    for (const Case& c : cases) {
        ToolOutput output = tool.run(c.arguments);
        EXPECT_EQ(output.status, 1) << c.arguments[0];
        EXPECT_NE(output.err.find(c.error), std::string::npos) << output.err;
        EXPECT_EQ(output.out, "");
    }
    EXPECT_EQ(ok({"stocks"}).out, "0\tTaken\t1\t0\t\n");
    EXPECT_FALSE(fs::exists(registry())) << "a refused setting writes nothing";
}

TEST_F(StockVerbsTest, SettingsAreSavedAsTheDialogSavesThem) {
    std::string defaults = ok({"options"}).out;
    EXPECT_NE(defaults.find("UploadRelease=1\n"), std::string::npos);
    EXPECT_NE(defaults.find("ProxyPass=\n"), std::string::npos);
    EXPECT_NE(defaults.find("Ask password=0\n"), std::string::npos);
    EXPECT_EQ(defaults.find("ProxyType"), std::string::npos);

    ok({"option-set", "ProxyPass", "proxy-s3cret"});
    ok({"option-set", "ProxyPort", "3128"});
    EXPECT_TRUE(fs::exists(registry()));
    std::string listing = ok({"options"}).out;
    EXPECT_NE(listing.find("ProxyPass=****\n"), std::string::npos);
    EXPECT_NE(listing.find("ProxyPort=3128\n"), std::string::npos);
    EXPECT_EQ(listing.find("s3cret"), std::string::npos);

    ok({"option-set", "UseINI", "1"});
    fs::path ini = tool.folder() / "Orvella.ini";
    ASSERT_TRUE(fs::exists(ini));
    EXPECT_NE(readFile(ini).find("ProxyPort=3128"), std::string::npos) << "every key goes along";
    ok({"option-set", "tabmodel", "0"});
    EXPECT_NE(readFile(ini).find("tabmodel=0"), std::string::npos);

    ok({"option-set", "UseINI", "0"});
    EXPECT_FALSE(fs::exists(ini));
    EXPECT_NE(readFile(registry()).find("tabmodel=0"), std::string::npos);
}

} // namespace
} // namespace orvella::test
