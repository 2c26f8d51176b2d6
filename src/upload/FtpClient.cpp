#include "upload/FtpClient.h"

#include "shell/TextUtil.h"
#include "upload/FtpExchangeLog.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

namespace orvella {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr size_t kMaxReplyLine = 8192;
constexpr size_t kMaxReplyLines = 1000;
// The file goes out in pieces of this size, read into memory and sent with
// send(): measured against a Python FTP server on 127.0.0.1, sendfile() made
// the server spend about a third more CPU per byte received (its receive
// copies from page-cache fragments), and smaller pieces only cost calls.
constexpr size_t kFileChunk = 1024 * 1024;
constexpr milliseconds kWaitSlice{50};
constexpr milliseconds kQuitWait{2000};

std::optional<long> decimal(std::string_view text) {
    long value = 0;
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

uint16_t portNumber(std::string_view text, const std::string& whole) {
    std::optional<long> port = decimal(text);
    if (!port || *port < 1 || *port > 65535)
        throw EFtpError("Invalid port in FTP host \"" + whole + "\"");
    return static_cast<uint16_t>(*port);
}

bool holdsLineBreak(const std::string& value) {
    return value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string errorText(int error) {
    return std::strerror(error);
}

std::string numericAddress(const sockaddr* address, socklen_t length) {
    char host[NI_MAXHOST] = {};
    if (getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return "?";
    return host;
}

uint16_t portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

void setPort(sockaddr_storage& address, uint16_t port) {
    if (address.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(address).sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in&>(address).sin_port = htons(port);
}

std::string endpointText(const std::string& host, uint16_t port) {
    if (host.find(':') != std::string::npos)
        return "[" + host + "]:" + std::to_string(port);
    return host + ":" + std::to_string(port);
}

bool accepted(int code, std::initializer_list<int> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

bool completion(int code) {
    return code >= 200 && code < 300;
}

// Waits until the descriptor is ready, letting the caller's pending work run
// every few milliseconds; false when the time is up.
bool waitReady(int fd, short events, milliseconds timeout,
               const std::function<void()>& whileWaiting) {
    Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left.count() < 0)
            left = milliseconds(0);
        pollfd entry{fd, events, 0};
        int ready = poll(&entry, 1, static_cast<int>(std::min(left, kWaitSlice).count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            throw EFtpError("poll failed: " + errorText(errno));
        if (Clock::now() >= deadline)
            return false;
        if (whileWaiting)
            whileWaiting();
    }
}

} // namespace

FtpEndpoint ParseFtpHost(const std::string& text) {
    // People paste addresses: blanks around them, an "ftp://" in front and a
    // "/" behind are not part of the host.
    std::string host = trim(text);
    if (toLowerAscii(host.substr(0, 6)) == "ftp://")
        host.erase(0, 6);
    if (!host.empty() && host.back() == '/')
        host.pop_back();
    FtpEndpoint endpoint;
    if (!host.empty() && host.front() == '[') {
        size_t close = host.find(']');
        if (close == std::string::npos)
            throw EFtpError("Invalid FTP host \"" + text + "\"");
        endpoint.host = host.substr(1, close - 1);
        std::string rest = host.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                throw EFtpError("Invalid FTP host \"" + text + "\"");
            endpoint.port = portNumber(std::string_view(rest).substr(1), text);
        }
    } else if (std::count(host.begin(), host.end(), ':') == 1) {
        size_t colon = host.find(':');
        endpoint.host = host.substr(0, colon);
        endpoint.port = portNumber(std::string_view(host).substr(colon + 1), text);
    } else {
        endpoint.host = host; // a plain name, or a bare IPv6 address
    }
    if (endpoint.host.empty())
        throw EFtpError("No FTP host given");
    return endpoint;
}

PassiveAddress ParsePassiveReply(const std::string& replyText) {
    std::string numbers;
    size_t open = replyText.find('(');
    size_t close = replyText.find(')', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && close != std::string::npos)
        numbers = replyText.substr(open + 1, close - open - 1);
    else
        numbers = replyText.substr(replyText.find_last_of(' ') + 1);
    while (!numbers.empty() && (numbers.back() == '.' || numbers.back() == ' '))
        numbers.pop_back(); // "227 Entering Passive Mode 127,0,0,1,4,1."
    std::vector<int> values;
    size_t start = 0;
    for (;;) {
        size_t comma = numbers.find(',', start);
        std::optional<long> value = decimal(numbers.substr(start, comma - start));
        if (!value || *value > 255)
            throw EFtpError("Unreadable PASV reply: " + replyText);
        values.push_back(static_cast<int>(*value));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (values.size() != 6)
        throw EFtpError("Unreadable PASV reply: " + replyText);
    PassiveAddress address;
    std::copy_n(values.begin(), 4, address.host.begin());
    address.port = static_cast<uint16_t>(values[4] * 256 + values[5]);
    if (address.port == 0)
        throw EFtpError("PASV reply names port 0: " + replyText);
    return address;
}

FtpProxyMode ProxyModeOf(bool useProxy, long proxyType) {
    if (!useProxy)
        return FtpProxyMode::None;
    switch (proxyType) {
    case 1:
        return FtpProxyMode::UserAtHost;
    case 2:
        return FtpProxyMode::Site;
    case 3:
        return FtpProxyMode::Open;
    case 4:
        return FtpProxyMode::UserAtProxyUserAtHost;
    default:
        return FtpProxyMode::Transparent;
    }
}

// One non-blocking TCP connection; every wait is bounded by a time-out.
class FtpClient::Socket {
public:
    Socket(int fd, const sockaddr_storage& peer, socklen_t length)
        : fd_(fd), peer_(peer), length_(length) {}
    ~Socket() { ::close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    static std::unique_ptr<Socket> connectTo(const std::string& host, uint16_t port,
                                             const FtpClientSettings& settings) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        if (status != 0)
            throw EFtpError("Cannot resolve " + host + ": " + gai_strerror(status));
        std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> results(found, freeaddrinfo);
        std::string failure = "No address for " + host;
        for (addrinfo* entry = found; entry; entry = entry->ai_next) {
            sockaddr_storage address{};
            std::memcpy(&address, entry->ai_addr, entry->ai_addrlen);
            try {
                return connectTo(address, entry->ai_addrlen, settings);
            } catch (const EFtpError& error) {
                failure = error.what();
            }
        }
        throw EFtpError(failure);
    }

    static std::unique_ptr<Socket> connectTo(const sockaddr_storage& address, socklen_t length,
                                             const FtpClientSettings& settings) {
        const auto* raw = reinterpret_cast<const sockaddr*>(&address);
        std::string where = endpointText(numericAddress(raw, length), portOf(address));
        if (settings.addressAllowed && !settings.addressAllowed(numericAddress(raw, length)))
            throw EFtpError("Connection to " + where + " is not allowed");
        int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            throw EFtpError("socket: " + errorText(errno));
        auto socket = std::make_unique<Socket>(fd, address, length);
        if (::connect(fd, raw, length) != 0) {
            if (errno != EINPROGRESS)
                throw EFtpError("Connection to " + where + " failed: " + errorText(errno));
            if (!waitReady(fd, POLLOUT, settings.connectTimeout, settings.whileWaiting))
                throw EFtpError("Connection to " + where + " timed out");
            int error = 0;
            socklen_t size = sizeof error;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
            if (error != 0)
                throw EFtpError("Connection to " + where + " failed: " + errorText(error));
        }
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return socket;
    }

    // Sends everything; progress hears of every part the system took.
    void sendAll(const char* data, size_t size, const FtpClientSettings& settings,
                 const std::function<void(size_t)>& progress = {}) {
        while (size > 0) {
            ssize_t sent = ::send(fd_, data, size, MSG_NOSIGNAL);
            if (sent > 0) {
                data += sent;
                size -= static_cast<size_t>(sent);
                if (progress)
                    progress(static_cast<size_t>(sent));
                continue;
            }
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!waitReady(fd_, POLLOUT, settings.readTimeout, settings.whileWaiting))
                    throw EFtpError("Sending timed out");
                continue;
            }
            throw EFtpError("Sending failed: " + errorText(errno));
        }
    }

    // Some received bytes; 0 when the other side closed the connection.
    size_t receiveSome(char* buffer, size_t size, const FtpClientSettings& settings) {
        for (;;) {
            ssize_t got = ::recv(fd_, buffer, size, 0);
            if (got >= 0)
                return static_cast<size_t>(got);
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                throw EFtpError("Receiving failed: " + errorText(errno));
            if (!waitReady(fd_, POLLIN, settings.readTimeout, settings.whileWaiting))
                throw EFtpError("No reply within " + std::to_string(settings.readTimeout.count()) +
                                " ms");
        }
    }

    void shutdownWrite() { ::shutdown(fd_, SHUT_WR); }
    const sockaddr_storage& peer() const { return peer_; }
    socklen_t peerLength() const { return length_; }
    std::string peerText() const {
        return endpointText(numericAddress(reinterpret_cast<const sockaddr*>(&peer_), length_),
                            portOf(peer_));
    }

private:
    int fd_;
    sockaddr_storage peer_;
    socklen_t length_;
};

FtpClient::FtpClient() = default;
FtpClient::~FtpClient() = default;

bool FtpClient::Connected() const {
    return control_ != nullptr;
}

void FtpClient::Connect() {
    if (Connected())
        Disconnect();
    checkLineValues(); // before anything reaches the wire
    openControl();
    try {
        FtpReply greeting = readReply();
        while (greeting.code >= 100 && greeting.code < 200)
            greeting = readReply();
        if (greeting.code != 220)
            throw EFtpError("Server refused the connection: " + greeting.text());
        login();
        expect("TYPE I", {200});
        FtpReply system = command("SYST");
        if (!completion(system.code) && system.code != 500 && system.code != 502)
            throw EFtpError("SYST refused: " + system.text());
    } catch (const EFtpError&) {
        Disconnect();
        throw;
    }
}

void FtpClient::checkLineValues() const {
    const std::pair<const char*, const std::string*> values[] = {
        {"login", &user_},
        {"password", &password_},
        {"FTP host", &host_},
        {"proxy user", &proxy_.user},
        {"proxy password", &proxy_.password},
        {"proxy host", &proxy_.host}};
    for (const auto& [name, value] : values)
        if (holdsLineBreak(*value))
            throw EFtpError(std::string("The ") + name + " holds a line break; nothing was sent");
}

void FtpClient::openControl() {
    bool viaProxy = proxy_.mode != FtpProxyMode::None && !proxy_.host.empty();
    FtpEndpoint endpoint;
    if (viaProxy) {
        endpoint.host = proxy_.host;
        // An unset proxy port means the FTP port rather than the impossible port 0.
        if (proxy_.port > 0 && proxy_.port <= 65535)
            endpoint.port = static_cast<uint16_t>(proxy_.port);
    } else {
        endpoint = ParseFtpHost(host_);
    }
    peer_ = endpointText(endpoint.host, endpoint.port);
    note("Connecting");
    control_ = Socket::connectTo(endpoint.host, endpoint.port, settings_);
    peer_ = control_->peerText();
    pending_.clear();
    note("Connected");
}

void FtpClient::login() {
    switch (proxy_.mode) {
    case FtpProxyMode::None:
        userAndPassword(user_, password_);
        break;
    case FtpProxyMode::UserAtHost:
        proxyLogin();
        userAndPassword(user_ + "@" + host_, password_);
        break;
    case FtpProxyMode::Site:
        proxyLogin();
        if (!completion(command("SITE " + host_).code))
            throw EFtpError("The proxy refused SITE " + host_);
        userAndPassword(user_, password_);
        break;
    case FtpProxyMode::Open:
        proxyLogin();
        if (!completion(command("OPEN " + host_).code))
            throw EFtpError("The proxy refused OPEN " + host_);
        userAndPassword(user_, password_);
        break;
    case FtpProxyMode::UserAtProxyUserAtHost:
        userAndPassword(user_ + "@" + proxy_.user + "@" + host_,
                        proxy_.password.empty() ? password_ : password_ + "@" + proxy_.password);
        break;
    case FtpProxyMode::Transparent:
        proxyLogin();
        userAndPassword(user_, password_);
        break;
    }
}

void FtpClient::proxyLogin() {
    if (proxy_.user.empty())
        return;
    userAndPassword(proxy_.user, proxy_.password);
}

void FtpClient::userAndPassword(const std::string& user, const std::string& password) {
    FtpReply reply = command("USER " + user);
    if (reply.code == 331)
        reply = command("PASS " + password);
    if (!completion(reply.code))
        throw EFtpError("Login refused: " + reply.text());
}

FtpReply FtpClient::command(const std::string& line) {
    sendLine(line);
    return readReply();
}

FtpReply FtpClient::expect(const std::string& line, std::initializer_list<int> codes) {
    FtpReply reply = command(line);
    if (!accepted(reply.code, codes))
        throw EFtpError(line.substr(0, line.find(' ')) + " refused: " + reply.text());
    return reply;
}

void FtpClient::sendLine(const std::string& line) {
    if (!control_)
        throw EFtpError("Not connected");
    if (exchangeLog_)
        exchangeLog_->Sent(peer_, line);
    std::string wire = line + "\r\n";
    try {
        control_->sendAll(wire.data(), wire.size(), settings_);
    } catch (const EFtpError& error) {
        dropControl(error.what());
    }
    if (settings_.onTransfer)
        settings_.onTransfer(wire.size());
}

std::string FtpClient::readLine() {
    for (;;) {
        size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (pending_.size() > kMaxReplyLine)
            dropControl("Reply line too long");
        char buffer[4096];
        size_t got = 0;
        try {
            got = control_->receiveSome(buffer, sizeof buffer, settings_);
        } catch (const EFtpError& error) {
            dropControl(error.what());
        }
        if (got == 0)
            dropControl("Connection closed by the server");
        pending_.append(buffer, got);
        if (settings_.onTransfer)
            settings_.onTransfer(got);
    }
}

FtpReply FtpClient::readReply() {
    if (!control_)
        throw EFtpError("Not connected");
    FtpReply reply;
    std::string line = readLine();
    std::optional<long> code = decimal(std::string_view(line).substr(0, 3));
    if (line.size() < 3 || !code || *code < 100)
        dropControl("Unreadable reply: " + line.substr(0, 80));
    reply.code = static_cast<int>(*code);
    reply.lines.push_back(line);
    if (exchangeLog_)
        exchangeLog_->Received(peer_, line);
    if (line.size() > 3 && line[3] == '-') {
        std::string last = line.substr(0, 3) + " ";
        for (;;) {
            if (reply.lines.size() > kMaxReplyLines)
                dropControl("Reply too long");
            line = readLine();
            reply.lines.push_back(line);
            if (exchangeLog_)
                exchangeLog_->Received(peer_, line);
            if (line.compare(0, 4, last) == 0 || line == last.substr(0, 3))
                break;
        }
    }
    return reply;
}

void FtpClient::Store(const std::filesystem::path& localFile, const std::string& remoteName) {
    if (!Connected())
        throw EFtpError("Not connected");
    if (holdsLineBreak(remoteName) || remoteName.empty())
        throw EFtpError("Invalid file name for STOR; nothing was sent");
    int fd = ::open(localFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFtpError("Cannot read " + localFile.string() + ": " + errorText(errno));
    std::unique_ptr<int, void (*)(int*)> file(&fd, [](int* open) { ::close(*open); });

    PassiveAddress address = ParsePassiveReply(expect("PASV", {227}).text());
    std::unique_ptr<Socket> data = openData(address.port);
    FtpReply start = command("STOR " + remoteName);
    if (!accepted(start.code, {110, 125, 150}))
        throw EFtpError("STOR refused: " + start.text());
    try {
        sendFile(fd, *data);
    } catch (const EFtpError& error) {
        data.reset();
        note(std::string("Transfer failed: ") + error.what());
        readReply(); // the server's word on the broken transfer keeps the replies in step
        throw;
    }
    data->shutdownWrite();
    data.reset();
    FtpReply done = readReply();
    if (!accepted(done.code, {225, 226, 250}))
        throw EFtpError("Transfer not confirmed: " + done.text());
}

// The data connection goes to the control connection's peer whatever host the
// PASV reply names: following it would let a server aim Orvella at a third
// machine, and behind NAT the named address is often unreachable anyway.
std::unique_ptr<FtpClient::Socket> FtpClient::openData(uint16_t port) {
    sockaddr_storage target = control_->peer();
    setPort(target, port);
    std::string where = endpointText(
        numericAddress(reinterpret_cast<const sockaddr*>(&target), control_->peerLength()), port);
    note("Data connection to " + where);
    return Socket::connectTo(target, control_->peerLength(), settings_);
}

void FtpClient::sendFile(int fd, Socket& data) {
    uint64_t total = 0;
    std::vector<char> buffer(kFileChunk);
    for (;;) {
        ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw EFtpError("Reading the file failed: " + errorText(errno));
        if (got == 0)
            return;
        data.sendAll(buffer.data(), static_cast<size_t>(got), settings_, [&](size_t sent) {
            total += sent;
            if (settings_.onTransfer)
                settings_.onTransfer(total);
        });
    }
}

void FtpClient::Disconnect() {
    if (!control_)
        return;
    // A polite QUIT, but a server that does not answer it must not hold us up.
    milliseconds usual = settings_.readTimeout;
    settings_.readTimeout = std::min(usual, kQuitWait);
    try {
        sendLine("QUIT");
        readReply();
    } catch (const EFtpError&) {
        // The connection is closed below in any case.
    }
    settings_.readTimeout = usual;
    control_.reset();
    pending_.clear();
    note("Disconnected");
}

void FtpClient::dropControl(const std::string& why) {
    note(why);
    control_.reset();
    pending_.clear();
    throw EFtpError(why);
}

void FtpClient::note(const std::string& text) const {
    if (exchangeLog_)
        exchangeLog_->Note(peer_, text);
}

} // namespace orvella
