// Editing the agency accounts as the options dialog and the stock verbs do.
#include "catalogue/StockAccountEditor.h"
#include "OperationsFixture.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

class StockAccountEditorTest : public OperationsTest {
protected:
    StockAccountEditor editor{*db};

    TStock stock(const std::string& name) { return editor.stockNamed(name); }
};

TEST_F(StockAccountEditorTest, AddTrimsTheNameAndRefusesBlankOrTakenNames) {
    EXPECT_EQ(editor.add("  Pixel Market ", " http://pixel.example ", true, " ftp.pixel "), 0);
    TStock added = stock("pixel market");
    EXPECT_EQ(added.Name, "Pixel Market");
    EXPECT_EQ(added.Url, "http://pixel.example");
    EXPECT_EQ(added.FtpHost, "ftp.pixel");
    EXPECT_TRUE(added.FtpEnabled);
    EXPECT_TRUE(added.Enabled) << "the catalogue's default";

    for (const char* name : {"", "   ", "PIXEL MARKET"}) {
        try {
            editor.add(name, "", false, "");
            ADD_FAILURE() << "added '" << name << "'";
        } catch (const StockAccountError& error) {
            EXPECT_STREQ(error.what(), std::string(name).find('P') == std::string::npos
                                           ? "Input stock name!"
                                           : "Stock PIXEL MARKET already exists");
        }
    }
    EXPECT_EQ(editor.stocks().size(), 1u);
    EXPECT_EQ(editor.add("O'Brien Images", "", false, ""), 1);
    EXPECT_EQ(stock("o'brien images").StockId, 1);
}

TEST_F(StockAccountEditorTest, SaveWritesBothAccountsAndTheEnabledFlag) {
    editor.add("Ftp", "", true, "ftp.example");
    StockAccountFields fields{false, "me", "ftp secret", "ftp secret", "web me", "web secret"};
    editor.save(stock("Ftp"), fields);
    TStock saved = stock("Ftp");
    EXPECT_FALSE(saved.Enabled);
    EXPECT_EQ(saved.FtpLogin, "me");
    EXPECT_EQ(saved.FtpPassword, "ftp secret");
    EXPECT_EQ(saved.WebLogin, "web me");
    EXPECT_EQ(saved.WebPassword, "web secret");
}

TEST_F(StockAccountEditorTest, DifferentFtpPasswordsAreRefusedAndNothingIsWritten) {
    editor.add("Ftp", "", true, "ftp.example");
    StockAccountFields fields{false, "me", "one", "two", "web", "web secret"};
    EXPECT_THROW(
        {
            try {
                editor.save(stock("Ftp"), fields);
            } catch (const StockAccountError& error) {
                EXPECT_STREQ(error.what(), "Passwords mismatch");
                throw;
            }
        },
        StockAccountError);
    TStock unchanged = stock("Ftp");
    EXPECT_TRUE(unchanged.Enabled);
    EXPECT_EQ(unchanged.FtpLogin, "");
    EXPECT_EQ(unchanged.WebLogin, "");
}

TEST_F(StockAccountEditorTest, AStockWithoutFtpSavesAnEmptyFtpLogin) {
    editor.add("Web only", "", false, "");
    execute("update STOCK set LOGIN = 'old', PASSWRD = 'old'");
    editor.save(stock("Web only"), {true, "typed", "typed", "typed", "web", "web"});
    TStock saved = stock("Web only");
    EXPECT_EQ(saved.FtpLogin, "");
    EXPECT_EQ(saved.FtpPassword, "");
    EXPECT_EQ(saved.WebLogin, "web");
}

TEST_F(StockAccountEditorTest, RemoveTakesTheStatesAlongAndTheQuestionNamesTheStock) {
    addImage(keyOf('A'));
    editor.add("Gone", "", false, "");
    editor.add("Kept", "", false, "");
    db->SetState(0, keyOf('A'), 2);
    db->SetState(1, keyOf('A'), 3);
    EXPECT_EQ(StockAccountEditor::deleteQuestion("Gone"), "Do you want to delete Gone stock?");
    editor.remove(stock("Gone").StockId);
    EXPECT_EQ(count("select * from IMAGE_STOCK where STOCK_ID = 0"), 0u);
    EXPECT_EQ(count("select * from IMAGE_STOCK where STOCK_ID = 1"), 1u);
    EXPECT_THROW(stock("Gone"), StockAccountError);
}

TEST_F(StockAccountEditorTest, FieldsByTheirVerbNames) {
    editor.add("S", "", true, "ftp.old");
    struct Case {
        std::string key, value;
        std::function<std::string(const TStock&)> read;
        std::string expected;
    } cases[] = {
        {"login", "me", [](const TStock& s) { return s.FtpLogin; }, "me"},
        {"password", "p'w", [](const TStock& s) { return s.FtpPassword; }, "p'w"},
        {"weblogin", "web", [](const TStock& s) { return s.WebLogin; }, "web"},
        {"WebPassword", "wp", [](const TStock& s) { return s.WebPassword; }, "wp"},
        {"enabled", "0", [](const TStock& s) { return std::to_string(s.Enabled); }, "0"},
        {"enabled", "yes", [](const TStock& s) { return std::to_string(s.Enabled); }, "1"},
        {"ftphost", " 127.0.0.1:2121 ", [](const TStock& s) { return s.FtpHost; },
         "127.0.0.1:2121"},
        {"url", "https://s.example", [](const TStock& s) { return s.Url; }, "https://s.example"},
    };
    for (const Case& c : cases) {
        editor.setField("s", c.key, c.value);
        EXPECT_EQ(c.read(stock("S")), c.expected) << c.key;
    }
    EXPECT_EQ(stock("S").FtpLogin, "me") << "each field leaves the others alone";
    EXPECT_EQ(stock("S").WebLogin, "web");

    editor.setField("S", "ftpenabled", "off");
    EXPECT_FALSE(stock("S").FtpEnabled);
    EXPECT_EQ(stock("S").FtpPassword, "") << "a stock without FTP keeps no FTP password";
    EXPECT_THROW(editor.setField("S", "password", "x"), StockAccountError);
    EXPECT_THROW(editor.setField("S", "colour", "x"), StockAccountError);
    EXPECT_THROW(editor.setField("S", "enabled", "maybe"), StockAccountError);
    EXPECT_THROW(editor.setField("Nobody", "url", "x"), StockAccountError);
}

TEST_F(StockAccountEditorTest, SignInOpensOnlyWebAddresses) {
    struct Case {
        std::string url;
        std::optional<std::string> opened;
    } cases[] = {
        {"https://agency.example/login", "https://agency.example/login"},
        {"HTTP://agency.example", "HTTP://agency.example"},
        {"agency.example/login", "http://agency.example/login"},
        {"agency.example:8080/x", "http://agency.example:8080/x"},
        {"", std::nullopt},
        {"file:///etc/passwd", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"mailto:me@example.com", std::nullopt},
    };
    for (const Case& c : cases) {
        TStock stock;
        stock.Url = c.url;
        EXPECT_EQ(StockAccountEditor::signInAddress(stock), c.opened) << c.url;
    }
}

} // namespace
} // namespace orvella::test
