// The exact exchange, checked against a server that records what it receives.
#include "ScriptedFtpServer.h"
#include "UploadFixture.h"

#include <gmock/gmock.h>

namespace orvella::test {

namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Store = ScriptedFtpServer::Store;
using Strings = std::vector<std::string>;

class ScriptedServerTest : public UploadTest {
protected:
    using Script = ScriptedFtpServer::Script;
    std::unique_ptr<ScriptedFtpServer> serve(const std::function<void(Script&)>& adjust = {}) {
        Script script;
        if (adjust)
            adjust(script);
        return std::make_unique<ScriptedFtpServer>(std::move(script));
    }
    static Strings afterLogin(const std::string& file) {
        return {"TYPE I", "SYST", "PASV", "STOR " + file, "QUIT"};
    }
};

struct ProxyCase {
    const char* name;
    bool useProxy;
    int type;
    const char* proxyUser;
    const char* proxyPassword;
    Strings login;
};

void PrintTo(const ProxyCase& c, std::ostream* out) {
    *out << c.name;
}

class ProxyLoginTest : public ScriptedServerTest,
                       public ::testing::WithParamInterface<ProxyCase> {};

TEST_P(ProxyLoginTest, SendsTheLoginSequenceOfTheProxyMode) {
    const ProxyCase& c = GetParam();
    auto proxy = serve();
    // The stock's own host is only named to the proxy, never connected to.
    addStock(5, "Agency", "ftp.agency.example", "bob", "secret");
    addReadyImage("a.jpg", "data", 5);
    writeOptions({{"UseProxy", c.useProxy ? "1" : "0"},
                  {"ProxyURL", "127.0.0.1"},
                  {"ProxyPort", std::to_string(proxy->port())},
                  {"ProxyLogin", c.proxyUser},
                  {"ProxyPass", c.proxyPassword},
                  {"ProxyType", std::to_string(c.type)}});
    if (!c.useProxy) // no proxy: straight to the stock's host
        execute("update STOCK set FTPURL = '" + proxy->address() + "'");

    upload();

    Strings expected = c.login;
    for (const std::string& command : afterLogin("a.jpg"))
        expected.push_back(command);
    EXPECT_THAT(proxy->commands(), ElementsAreArray(expected));
    EXPECT_EQ(proxy->files().at("a.jpg"), "data");
}

const ProxyCase kProxyCases[] = {
    {"NoProxy", false, 1, "pu", "pp", {"USER bob", "PASS secret"}},
    {"Type0", true, 0, "pu", "pp", {"USER pu", "PASS pp", "USER bob", "PASS secret"}},
    {"Type1",
     true,
     1,
     "pu",
     "pp",
     {"USER pu", "PASS pp", "USER bob@ftp.agency.example", "PASS secret"}},
    {"Type1WithoutProxyUser", true, 1, "", "", {"USER bob@ftp.agency.example", "PASS secret"}},
    {"Type2",
     true,
     2,
     "pu",
     "pp",
     {"USER pu", "PASS pp", "SITE ftp.agency.example", "USER bob", "PASS secret"}},
    {"Type3",
     true,
     3,
     "pu",
     "pp",
     {"USER pu", "PASS pp", "OPEN ftp.agency.example", "USER bob", "PASS secret"}},
    {"Type4", true, 4, "pu", "pp", {"USER bob@pu@ftp.agency.example", "PASS secret@pp"}},
    {"Type4WithoutProxyPassword",
     true,
     4,
     "pu",
     "",
     {"USER bob@pu@ftp.agency.example", "PASS secret"}},
    {"Type5", true, 5, "pu", "pp", {"USER pu", "PASS pp", "USER bob", "PASS secret"}},
    {"Type9", true, 9, "pu", "pp", {"USER pu", "PASS pp", "USER bob", "PASS secret"}},
};
INSTANTIATE_TEST_SUITE_P(Modes, ProxyLoginTest, ::testing::ValuesIn(kProxyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptedServerTest, DataConnectionGoesToTheControlPeerWhateverThePassiveReplyNames) {
    struct Form {
        const char* host;
        bool parentheses;
    };
    for (Form form : {Form{"127,0,0,1", true}, Form{"127,0,0,1", false}, Form{"10,9,8,7", true}}) {
        SCOPED_TRACE(form.host + std::string(form.parentheses ? " (...)" : " bare"));
        auto server = serve([&](Script& s) {
            s.passiveHost = form.host;
            s.passiveParentheses = form.parentheses;
        });
        execute("delete from STOCK");
        addStock(1, "Agency", server->address());
        std::string key = addReadyImage("p.jpg", "passive", 1);
        upload();
        EXPECT_EQ(server->files().at("p.jpg"), "passive");
        EXPECT_THAT(server->dataPeers(), ElementsAre("127.0.0.1"));
        EXPECT_EQ(stateOf(key, 1), "2");
    }
}

TEST_F(ScriptedServerTest, FailedStoreMarksTheImageUploadFailed) {
    for (Store behaviour : {Store::Refuse, Store::DropMidFile}) {
        SCOPED_TRACE(static_cast<int>(behaviour));
        auto server = serve([&](Script& s) { s.store = behaviour; });
        execute("delete from STOCK");
        addStock(1, "Agency", server->address());
        std::string name = "big" + std::to_string(static_cast<int>(behaviour)) + ".jpg";
        std::string key = addReadyImage(name, std::string(4 * 1024 * 1024, 'x'), 1);
        std::string after = addReadyImage("after" + name, "small", 1);
        window.lines.clear();
        upload();
        EXPECT_EQ(stateOf(key, 1), "3");
        EXPECT_EQ(uploadDateOf(key, 1), "<null>");
        EXPECT_THAT(window.lines, Contains("failed. " + name + " uploading failed"));
        EXPECT_THAT(server->files(), Not(Contains(::testing::Key(name))));
        // The control connection stays usable: the next file of the stock is tried.
        EXPECT_THAT(server->commands(), Contains("STOR after" + name));
    }
}

TEST_F(ScriptedServerTest, SilentServerEndsTheStockAfterTheTimeOut) {
    struct Case {
        const char* silentFrom;
        const char* firstState; // of the first file; the second always stays ready
    };
    clientSettings.readTimeout = std::chrono::milliseconds(300);
    for (Case c : {Case{"USER", "1"}, Case{"STOR", "3"}}) {
        SCOPED_TRACE(c.silentFrom);
        auto silent = serve([&](Script& s) { s.silentFrom = c.silentFrom; });
        auto good = serve();
        execute("delete from STOCK");
        execute("delete from IMAGE_STOCK"); // the files of the previous case
        addStock(3, "Silent", silent->address());
        addStock(1, "Good", good->address());
        std::string first = addReadyImage(std::string("first-") + c.silentFrom + ".jpg", "1", 3);
        std::string second = addReadyImage(std::string("second-") + c.silentFrom + ".jpg", "2", 3);
        std::string elsewhere = addReadyImage(std::string("else-") + c.silentFrom + ".jpg", "3", 1);

        auto started = std::chrono::steady_clock::now();
        upload();
        auto took = std::chrono::steady_clock::now() - started;

        EXPECT_LT(took, std::chrono::seconds(5));
        EXPECT_EQ(stateOf(first, 3), c.firstState);
        EXPECT_EQ(stateOf(second, 3), "1");
        EXPECT_EQ(stateOf(elsewhere, 1), "2");
        EXPECT_EQ(silent->sessions(), 1) << "one attempt per stock";
    }
}

TEST_F(ScriptedServerTest, LineBreaksAreRefusedBeforeAnythingIsSent) {
    auto server = serve();
    addStock(1, "Agency", server->address(), "bob\r\nDELE important.jpg", "secret");
    std::string key = addReadyImage("a.jpg", "a", 1);
    upload();
    EXPECT_EQ(server->sessions(), 0);
    EXPECT_EQ(stateOf(key, 1), "1");
    EXPECT_EQ(window.lines.front(), "Connection to " + server->address() + " failed");

    execute("update STOCK set LOGIN = 'bob'");
    std::string crooked = addReadyImage("b.jpg\nDELE x", "b", 1);
    execute("update IMAGE_STOCK set STATE_ID = '0' where MD5 = '" + key + "'");
    upload();
    EXPECT_THAT(server->commands(), Not(Contains("PASV")));
    EXPECT_THAT(server->commands(), Not(Contains(HasSubstr("DELE"))));
    EXPECT_EQ(stateOf(crooked, 1), "3");
}

TEST_F(ScriptedServerTest, SystRefusedWith500IsAccepted) {
    auto server = serve([](Script& s) { s.systReply = "500 SYST not understood"; });
    addStock(1, "Agency", server->address());
    std::string key = addReadyImage("a.jpg", "a", 1);
    upload();
    EXPECT_EQ(stateOf(key, 1), "2");
}

TEST_F(ScriptedServerTest, ExchangeLogHidesPasswordsAndIsWrittenOnlyWhenOn) {
    auto server = serve();
    addStock(1, "Agency", server->address(), "bob", "topsecret");
    addReadyImage("a.jpg", "a", 1);
    upload();
    std::string log = readFile(exchangeLog.FileName());
    EXPECT_THAT(log, HasSubstr("> USER bob"));
    EXPECT_THAT(log, HasSubstr("> PASS ****"));
    EXPECT_THAT(log, HasSubstr("< 230 Logged in"));
    EXPECT_THAT(log, Not(HasSubstr("topsecret")));
    // It names servers and logins: the owner's alone.
    EXPECT_EQ(std::filesystem::status(exchangeLog.FileName()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    std::filesystem::remove(exchangeLog.FileName());
    exchangeLog.SetEnabled(false);
    addReadyImage("b.jpg", "b", 1);
    upload();
    EXPECT_FALSE(std::filesystem::exists(exchangeLog.FileName()));
    EXPECT_EQ(TFtpExchangeLog::MaskedCommand("pass x@y"), "PASS ****");
}

TEST_F(ScriptedServerTest, AskedLoginServesThisConnectionOnly) {
    auto server = serve();
    addStock(1, "Agency", server->address(), "stored", "");
    std::string key = addReadyImage("a.jpg", "a", 1);
    writeOptions({{"Ask password", "1"}});
    prompts.texts = {std::string("typed"), std::string("typedpass")};
    upload();
    EXPECT_THAT(server->commands(), ElementsAre("USER typed", "PASS typedpass", "TYPE I", "SYST",
                                                "PASV", "STOR a.jpg", "QUIT"));
    EXPECT_EQ(stateOf(key, 1), "2");
    EXPECT_EQ(rows("select LOGIN from STOCK")[0]["LOGIN"], "stored");

    std::string other = addReadyImage("b.jpg", "b", 1);
    prompts.texts = {std::nullopt}; // Cancel
    window.lines.clear();
    upload();
    EXPECT_EQ(server->sessions(), 1);
    EXPECT_EQ(stateOf(other, 1), "1");
    EXPECT_THAT(window.lines, ElementsAre(std::string(34, '='), "Uploading finished"));
}

TEST_F(ScriptedServerTest, BlankLoginOrPasswordSkipsTheStock) {
    auto server = serve();
    addStock(1, "Agency", server->address(), "", "");
    std::string key = addReadyImage("a.jpg", "a", 1);
    upload();
    EXPECT_EQ(server->sessions(), 0);
    EXPECT_THAT(window.lines, ElementsAre("Blank login for Agency", "Blank password for Agency",
                                          std::string(34, '='), "Uploading finished"));
    EXPECT_EQ(stateOf(key, 1), "1");
}

TEST_F(ScriptedServerTest, StopEndsTheRunBeforeTheNextRecord) {
    auto server = serve();
    addStock(1, "Agency", server->address());
    std::string first = addReadyImage("a.jpg", "a", 1);
    std::string second = addReadyImage("b.jpg", "b", 1);
    std::shared_ptr<TFTPUploader> uploader = makeUploader();
    std::weak_ptr<TFTPUploader> running = uploader;
    // The Stop click arrives while the first file's line is being shown; the
    // window lets go of the uploader at once.
    window.onEvents = [&] {
        if (!window.lines.empty() && window.lines.back().starts_with("ok.") && uploader) {
            uploader->Terminate();
            uploader.reset();
        }
    };
    running.lock()->Execute();
    EXPECT_TRUE(running.expired());
    EXPECT_EQ(stateOf(first, 1), "2");
    EXPECT_EQ(stateOf(second, 1), "1");
    EXPECT_EQ(window.finished, 0);
    EXPECT_THAT(window.lines, Not(Contains("Uploading finished")));
    EXPECT_THAT(server->commands(), Contains("QUIT"));
}

} // namespace

} // namespace orvella::test
