#include "upload/FtpExchangeLog.h"

#include "shell/DateTime.h"
#include "shell/TextUtil.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orvella {

void TFtpExchangeLog::SetEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
}

bool TFtpExchangeLog::Enabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

std::string TFtpExchangeLog::MaskedCommand(const std::string& command) {
    if (toUpperAscii(command.substr(0, 5)) == "PASS ")
        return "PASS ****";
    return command;
}

void TFtpExchangeLog::Sent(const std::string& peer, const std::string& command) {
    append(peer, ">", MaskedCommand(command));
}

void TFtpExchangeLog::Received(const std::string& peer, const std::string& replyLine) {
    append(peer, "<", replyLine);
}

void TFtpExchangeLog::Note(const std::string& peer, const std::string& text) {
    append(peer, "*", text);
}

void TFtpExchangeLog::append(const std::string& peer, const char* direction,
                             const std::string& text) {
    std::lock_guard lock(mutex_);
    if (!enabled_)
        return;
    // Opened per line: the log stays complete even if the program dies, and
    // a log deleted while Orvella runs is simply started again.
    // The file is the owner's alone (mode 0600): it names the servers and
    // logins of the stocks.
    std::string line = toIsoText(nowUtc()) + ' ' + peer + ' ' + direction + ' ' + text + '\n';
    int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    for (size_t done = 0; done < line.size();) {
        ssize_t put = ::write(fd, line.data() + done, line.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        done += static_cast<size_t>(put);
    }
    ::close(fd);
}

} // namespace orvella
