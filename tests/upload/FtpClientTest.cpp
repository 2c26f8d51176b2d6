// The FTP client's parsing of hosts and replies, and its time-outs.
#include "upload/FtpClient.h"
#include "upload/UploadList.h"
#include "upload/UploadWindow.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

namespace orvella {

namespace {

TEST(FtpHostTest, PortComesFromTheHostTextOrIs21) {
    struct Case {
        const char* text;
        const char* host;
        uint16_t port;
    };
    for (Case c :
         {Case{"ftp.agency.com", "ftp.agency.com", 21}, Case{"127.0.0.1:2121", "127.0.0.1", 2121},
          Case{"[::1]:990", "::1", 990}, Case{"[::1]", "::1", 21}, Case{"::1", "::1", 21},
          Case{" ftp://Upload.Agency.com:2100/ ", "Upload.Agency.com", 2100}}) {
        FtpEndpoint endpoint = ParseFtpHost(c.text);
        EXPECT_EQ(endpoint.host, c.host) << c.text;
        EXPECT_EQ(endpoint.port, c.port) << c.text;
    }
    for (const char* bad :
         {"", "ftp://", "host:", "host:0", "host:65536", "host:21x", ":21", "[::1"})
        EXPECT_THROW(ParseFtpHost(bad), EFtpError) << bad;
}

TEST(PassiveReplyTest, ReadsTheSixNumbersWithOrWithoutParentheses) {
    struct Case {
        const char* reply;
        std::array<int, 4> host;
        uint16_t port;
    };
    for (Case c : {Case{"227 Entering Passive Mode (192,168,1,2,4,1).", {192, 168, 1, 2}, 1025},
                   Case{"227 Entering Passive Mode 10,0,0,1,195,80", {10, 0, 0, 1}, 50000}}) {
        PassiveAddress address = ParsePassiveReply(c.reply);
        EXPECT_EQ(address.host, c.host) << c.reply;
        EXPECT_EQ(address.port, c.port) << c.reply;
    }
    for (const char* bad : {"227 Entering Passive Mode (1,2,3,4,5)", "227 (1,2,3,4,256,1)",
                            "227 (1,2,3,4,0,0)", "227 (a,b,c,d,e,f)", "227 Passive"})
        EXPECT_THROW(ParsePassiveReply(bad), EFtpError) << bad;
}

TEST(ProxyModeTest, TypesOneToFourSelectTheirModesEveryOtherValueTheTransparentOne) {
    EXPECT_EQ(ProxyModeOf(false, 1), FtpProxyMode::None);
    EXPECT_EQ(ProxyModeOf(true, 1), FtpProxyMode::UserAtHost);
    EXPECT_EQ(ProxyModeOf(true, 2), FtpProxyMode::Site);
    EXPECT_EQ(ProxyModeOf(true, 3), FtpProxyMode::Open);
    EXPECT_EQ(ProxyModeOf(true, 4), FtpProxyMode::UserAtProxyUserAtHost);
    for (long other : {0L, 5L, 9L, -1L})
        EXPECT_EQ(ProxyModeOf(true, other), FtpProxyMode::Transparent) << other;
}

TEST(FtpClientTest, ConnectGivesUpAfterTheTimeOut) {
    // A listener whose queue is full and that never accepts: the handshake of
    // the next connection is never answered.
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(filler);
    }
    usleep(100000);

    FtpClient client;
    FtpClientSettings settings;
    settings.connectTimeout = std::chrono::milliseconds(300);
    int waits = 0;
    settings.whileWaiting = [&] { ++waits; };
    client.SetSettings(settings);
    client.SetHost("127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    client.SetUsername("u");
    client.SetPassword("p");
    auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(client.Connect(), EFtpError);
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, std::chrono::milliseconds(250));
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_GT(waits, 0) << "pending events are let through while waiting";
    EXPECT_FALSE(client.Connected());
    for (int filler : fillers)
        close(filler);
    close(listener);
}

TEST(UploadListTest, GroupCaptionLosesOnlyItsTrailingCount) {
    EXPECT_EQ(StockNameOfGroup("Agency (3)"), "Agency");
    EXPECT_EQ(StockNameOfGroup("Big (Europe) (12)"), "Big (Europe)");
    EXPECT_EQ(StockNameOfGroup("Plain"), "Plain");
    EXPECT_EQ(StockNameOfGroup("Odd (x)"), "Odd (x)");
    EXPECT_EQ(TransferProgressText(2048), "2.00 Kb are transfered");
}

} // namespace

} // namespace orvella
