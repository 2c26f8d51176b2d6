#include "ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace orvella::test {

namespace {

int listenOnLoopback(uint16_t& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool readable(int fd, int milliseconds) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, milliseconds) > 0;
}

void sendText(int fd, const std::string& text) {
    std::string wire = text + "\r\n";
    (void)send(fd, wire.data(), wire.size(), MSG_NOSIGNAL);
}

std::string verbOf(const std::string& command) {
    return command.substr(0, command.find(' '));
}

} // namespace

ScriptedFtpServer::ScriptedFtpServer(Script script) : script_(std::move(script)) {
    listener_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { serve(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
    if (dataListener_ >= 0)
        close(dataListener_);
}

void ScriptedFtpServer::serve() {
    while (!stop_) {
        if (!readable(listener_, 20))
            continue;
        int control = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (control < 0)
            continue;
        {
            std::lock_guard lock(mutex_);
            ++sessions_;
        }
        session(control);
        close(control);
    }
}

void ScriptedFtpServer::session(int control) {
    sendText(control, "220-Scripted FTP server\r\n220-for the upload tests\r\n220 Ready");
    std::string pending;
    bool silent = false;
    while (!stop_) {
        size_t end = pending.find("\r\n");
        if (end == std::string::npos) {
            if (!readable(control, 20))
                continue;
            char buffer[1024];
            ssize_t got = recv(control, buffer, sizeof buffer, 0);
            if (got <= 0)
                return;
            pending.append(buffer, static_cast<size_t>(got));
            continue;
        }
        std::string command = pending.substr(0, end);
        pending.erase(0, end + 2);
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(command);
        }
        if (!script_.silentFrom.empty() && verbOf(command) == script_.silentFrom)
            silent = true;
        if (!silent && !reply(control, command))
            return;
    }
}

// Answers one command; false when the session ends.
bool ScriptedFtpServer::reply(int control, const std::string& command) {
    std::string verb = verbOf(command);
    std::string argument = command.size() > verb.size() ? command.substr(verb.size() + 1) : "";
    if (verb == "USER")
        sendText(control, "331 Password required");
    else if (verb == "PASS")
        sendText(control, "230-Welcome\r\n230 Logged in");
    else if (verb == "TYPE")
        sendText(control, "200 Type set to I");
    else if (verb == "SYST")
        sendText(control, script_.systReply);
    else if (verb == "SITE" || verb == "OPEN")
        sendText(control, "200 OK");
    else if (verb == "PASV") {
        uint16_t port = 0;
        if (dataListener_ >= 0)
            close(dataListener_);
        dataListener_ = listenOnLoopback(port);
        std::string numbers = script_.passiveHost + "," + std::to_string(port / 256) + "," +
                              std::to_string(port % 256);
        sendText(control, script_.passiveParentheses
                              ? "227 Entering Passive Mode (" + numbers + ")."
                              : "227 Entering Passive Mode " + numbers);
    } else if (verb == "STOR")
        store(control, argument);
    else if (verb == "QUIT") {
        sendText(control, "221 Bye");
        return false;
    } else
        sendText(control, "502 Command not implemented");
    return true;
}

int ScriptedFtpServer::acceptData() {
    if (dataListener_ < 0 || !readable(dataListener_, 5000))
        return -1;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int data = accept4(dataListener_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    std::lock_guard lock(mutex_);
    dataPeers_.push_back(text);
    return data;
}

void ScriptedFtpServer::store(int control, const std::string& name) {
    if (script_.store == Store::Refuse) {
        sendText(control, "550 Permission denied");
        return;
    }
    int data = acceptData();
    if (data < 0) {
        sendText(control, "425 Can't open data connection");
        return;
    }
    sendText(control, "150 Opening BINARY mode data connection");
    std::string content;
    char buffer[65536];
    for (;;) {
        if (!readable(data, 5000))
            break;
        ssize_t got = recv(data, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        content.append(buffer, static_cast<size_t>(got));
        if (script_.store == Store::DropMidFile && content.size() >= 65536)
            break;
    }
    if (script_.store == Store::DropMidFile) {
        linger reset{1, 0}; // close with a reset, as a crashed or killed transfer does
        setsockopt(data, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        close(data);
        sendText(control, "426 Connection closed; transfer aborted");
        return;
    }
    close(data);
    {
        std::lock_guard lock(mutex_);
        files_[name] = content;
    }
    sendText(control, "226 Transfer complete");
}

std::vector<std::string> ScriptedFtpServer::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<std::string> ScriptedFtpServer::dataPeers() const {
    std::lock_guard lock(mutex_);
    return dataPeers_;
}

std::map<std::string, std::string> ScriptedFtpServer::files() const {
    std::lock_guard lock(mutex_);
    return files_;
}

int ScriptedFtpServer::sessions() const {
    std::lock_guard lock(mutex_);
    return sessions_;
}

} // namespace orvella::test
