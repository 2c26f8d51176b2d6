#include "RealFtpServer.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace orvella::test {

namespace {

std::string jsonText(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

void writeUsers(const std::filesystem::path& file, const std::vector<RealFtpServer::User>& users) {
    std::ofstream out(file);
    out << "[";
    for (size_t i = 0; i < users.size(); ++i) {
        std::filesystem::create_directories(users[i].home);
        out << (i ? "," : "") << "{\"user\":" << jsonText(users[i].name)
            << ",\"password\":" << jsonText(users[i].password)
            << ",\"home\":" << jsonText(users[i].home.string()) << "}";
    }
    out << "]";
}

std::string readPortLine(int fd) {
    std::string line;
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 10000) <= 0)
            throw std::runtime_error("the FTP server did not start");
        char c = 0;
        if (read(fd, &c, 1) != 1)
            throw std::runtime_error("the FTP server ended before it started");
        if (c == '\n')
            return line;
        line += c;
    }
}

} // namespace

RealFtpServer::RealFtpServer(const std::filesystem::path& workFolder,
                             const std::vector<User>& users)
    : eventsFile_(workFolder / "server-events.txt") {
    std::filesystem::path usersFile = workFolder / "server-users.json";
    writeUsers(usersFile, users);
    std::string script = std::string(ORVELLA_SOURCE_DIR) + "/tests/upload/ftp_server.py";
    int input[2], output[2];
    if (pipe(input) != 0 || pipe(output) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        close(input[1]);
        close(output[0]);
        execl("/usr/bin/python3", "python3", script.c_str(), usersFile.c_str(), eventsFile_.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    stdinPipe_ = input[1];
    std::string portLine = readPortLine(output[0]);
    close(output[0]);
    port_ = static_cast<uint16_t>(std::stoi(portLine));
}

RealFtpServer::~RealFtpServer() {
    if (stdinPipe_ >= 0)
        close(stdinPipe_);
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

std::vector<std::string> RealFtpServer::events() const {
    std::vector<std::string> lines;
    std::ifstream in(eventsFile_);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace orvella::test
