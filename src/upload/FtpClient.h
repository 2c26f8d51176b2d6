#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvella {

class TFtpExchangeLog;

// A failed FTP exchange: a refused reply, a time-out, a broken connection or
// a value that must not be sent.
class EFtpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where a control connection goes: "host" means port 21, "host:port" and
// "[v6 address]:port" name the port; "ftp://" before and "/" after are dropped.
struct FtpEndpoint {
    std::string host;
    uint16_t port = 21;
};
FtpEndpoint ParseFtpHost(const std::string& text);

// The data address of a 227 reply: the six numbers between the parentheses,
// or after the last blank when there are none.
struct PassiveAddress {
    std::array<int, 4> host{};
    uint16_t port = 0;
};
PassiveAddress ParsePassiveReply(const std::string& replyText);

// The login sequences a proxy may want; ProxyType 1 to 4 select the first
// four, every other value the transparent one.
enum class FtpProxyMode { None, UserAtHost, Site, Open, UserAtProxyUserAtHost, Transparent };
FtpProxyMode ProxyModeOf(bool useProxy, long proxyType);

struct FtpProxy {
    FtpProxyMode mode = FtpProxyMode::None;
    std::string host;
    long port = 0;
    std::string user;
    std::string password;
};

struct FtpReply {
    int code = 0;
    std::vector<std::string> lines; // every line as received, without CR/LF
    std::string text() const { return lines.empty() ? std::string() : lines.back(); }
};

// What the client does besides talking: how long it waits, what it calls
// while waiting (so the window stays responsive), where transfer progress
// goes, and which addresses it may connect to.
struct FtpClientSettings {
    std::chrono::milliseconds connectTimeout{30000};
    std::chrono::milliseconds readTimeout{30000};
    std::function<void()> whileWaiting;
    // Bytes of the current transfer so far, after every chunk.
    std::function<void(uint64_t)> onTransfer;
    // Refuses a numeric address the client would connect to (returns false).
    std::function<bool(const std::string&)> addressAllowed;
};

// An FTP client for uploads: passive mode, binary type, one control
// connection at a time. Every failure is an EFtpError; after a failure of the
// control connection itself the client is disconnected.
class FtpClient {
public:
    FtpClient();
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    void SetSettings(FtpClientSettings settings) { settings_ = std::move(settings); }
    void SetExchangeLog(TFtpExchangeLog* log) { exchangeLog_ = log; }
    void SetProxy(FtpProxy proxy) { proxy_ = std::move(proxy); }
    void SetUsername(std::string user) { user_ = std::move(user); }
    void SetPassword(std::string password) { password_ = std::move(password); }
    void SetHost(std::string host) { host_ = std::move(host); }

    // Connects, logs in by the proxy mode's sequence and sets binary type.
    void Connect();
    bool Connected() const;
    // Sends the local file as remoteName into the login directory.
    void Store(const std::filesystem::path& localFile, const std::string& remoteName);
    // "QUIT" and close; never throws.
    void Disconnect();

private:
    class Socket;
    void checkLineValues() const;
    void openControl();
    void login();
    void proxyLogin();
    void userAndPassword(const std::string& user, const std::string& password);
    void sendPassword(const std::string& password);
    FtpReply command(const std::string& line);
    FtpReply expect(const std::string& line, std::initializer_list<int> accepted);
    FtpReply readReply();
    std::string readLine();
    void sendLine(const std::string& line);
    std::unique_ptr<Socket> openData(uint16_t port);
    void sendFile(int fd, Socket& data);
    [[noreturn]] void dropControl(const std::string& why);
    void note(const std::string& text) const;

    FtpClientSettings settings_;
    TFtpExchangeLog* exchangeLog_ = nullptr;
    FtpProxy proxy_;
    std::string user_, password_, host_;
    std::unique_ptr<Socket> control_;
    std::string peer_;    // "address:port" of the control connection, for the log
    std::string pending_; // received bytes not yet taken as lines
};

} // namespace orvella
