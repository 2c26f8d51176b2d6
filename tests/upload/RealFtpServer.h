#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvella::test {

// pyftpdlib started on 127.0.0.1 for one test, stopped when it ends.
class RealFtpServer {
public:
    struct User {
        std::string name;
        std::string password;
        std::filesystem::path home;
    };
    // Writes its files into workFolder.
    RealFtpServer(const std::filesystem::path& workFolder, const std::vector<User>& users);
    ~RealFtpServer();
    RealFtpServer(const RealFtpServer&) = delete;
    RealFtpServer& operator=(const RealFtpServer&) = delete;

    uint16_t port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // "login NAME", "login-failed NAME", "stored NAME FILE" in the order they happened.
    std::vector<std::string> events() const;

private:
    std::filesystem::path eventsFile_;
    int pid_ = -1;
    int stdinPipe_ = -1;
    uint16_t port_ = 0;
};

} // namespace orvella::test
