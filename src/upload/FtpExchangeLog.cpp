#include "upload/FtpExchangeLog.h"

#include "shell/DateTime.h"
#include "shell/TextUtil.h"

#include <fstream>

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
    std::ofstream out(file_, std::ios::app | std::ios::binary);
    out << toIsoText(nowUtc()) << ' ' << peer << ' ' << direction << ' ' << text << '\n';
}

} // namespace orvella
