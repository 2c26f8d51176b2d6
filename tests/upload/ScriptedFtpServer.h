#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvella::test {

// A small FTP server on 127.0.0.1 that answers from a script and records
// every command it receives, every data connection's peer and every file.
class ScriptedFtpServer {
public:
    enum class Store { Accept, Refuse, DropMidFile };
    struct Script {
        // The four host numbers of the PASV reply, and whether the six
        // numbers stand in parentheses.
        std::string passiveHost = "127,0,0,1";
        bool passiveParentheses = true;
        Store store = Store::Accept;
        std::string systReply = "215 UNIX Type: L8";
        // The command (its verb) after which the server stops answering.
        std::string silentFrom;
    };

    explicit ScriptedFtpServer(Script script);
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    uint16_t port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

    std::vector<std::string> commands() const;
    std::vector<std::string> dataPeers() const;
    std::map<std::string, std::string> files() const;
    int sessions() const;

private:
    void serve();
    void session(int control);
    bool reply(int control, const std::string& command);
    void store(int control, const std::string& name);
    int acceptData();

    Script script_;
    int listener_ = -1;
    int dataListener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> dataPeers_;
    std::map<std::string, std::string> files_;
    int sessions_ = 0;
    std::thread thread_;
};

} // namespace orvella::test
