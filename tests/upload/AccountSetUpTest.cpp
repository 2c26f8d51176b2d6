// A contributor's scripted set-up followed by an upload, against pyftpdlib on
// 127.0.0.1: the passwords reach the server and nothing else.
#include "RealFtpServer.h"
#include "UploadFixture.h"
#include "support/ToolCopy.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

TEST_F(UploadTest, ScriptedSetUpAndUploadLeaveNoPasswordInAnyLogOrOutput) {
    const std::vector<std::string> passwords = {"ftp-Pw-4417", "web-Pw-9921", "proxy-Pw-3310"};
    RealFtpServer server(folder.path(), {{"contributor", passwords[0], folder / "home"}});
    addReadyImage("sunset.jpg", std::string(50000, 'x'), 0);
    db.reset();
    connection.reset(); // the tool opens the catalogue exclusively

    ToolCopy tool(folder.path(), ORVELLA_BIN_DIR);
    std::vector<std::vector<std::string>> script = {
        {"stock-add", "Agency", server.address(), "https://agency.example"},
        {"stock-set", "Agency", "login", "contributor"},
        {"stock-set", "Agency", "password", passwords[0]},
        {"stock-set", "Agency", "weblogin", "contributor"},
        {"stock-set", "Agency", "webpassword", passwords[1]},
        {"option-set", "ProxyPass", passwords[2]},
        {"option-set", "EnableFTPLogging", "1"},
        {"stocks"},
        {"options"},
        {"upload-ready"},
    };
    std::string everythingShown;
    for (const auto& arguments : script) {
        ToolOutput output = tool.run(arguments);
        EXPECT_EQ(output.status, 0) << arguments[0] << ": " << output.err;
        everythingShown += output.out + output.err;
    }
    EXPECT_THAT(server.events(),
                ::testing::ElementsAre("login contributor", "stored contributor sunset.jpg"));
    std::string exchange = readFile(folder / "FTPLog.log");
    EXPECT_NE(exchange.find("PASS ****"), std::string::npos) << "the exchange log was written";

    for (const auto& entry : fs::directory_iterator(folder.path()))
        if (entry.path().extension() == ".log")
            everythingShown += readFile(entry.path());
    for (const std::string& line : log.Lines())
        everythingShown += line + "\n";
    for (const std::string& password : passwords)
        EXPECT_EQ(everythingShown.find(password), std::string::npos) << password;
    EXPECT_NE(everythingShown.find("ok. sunset.jpg uploaded"), std::string::npos);
}

} // namespace
} // namespace orvella::test
