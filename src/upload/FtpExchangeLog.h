#pragma once

#include <filesystem>
#include <mutex>
#include <string>

namespace orvella {

// The record of the FTP control traffic ("FTPLog.log"), written only while it
// is switched on. Passwords never reach it: every PASS command is written as
// "PASS ****".
class TFtpExchangeLog {
public:
    explicit TFtpExchangeLog(std::filesystem::path file) : file_(std::move(file)) {}

    void SetEnabled(bool enabled);
    bool Enabled() const;
    const std::filesystem::path& FileName() const { return file_; }

    void Sent(const std::string& peer, const std::string& command);
    void Received(const std::string& peer, const std::string& replyLine);
    void Note(const std::string& peer, const std::string& text);

    // The command as the log shows it.
    static std::string MaskedCommand(const std::string& command);

private:
    void append(const std::string& peer, const char* direction, const std::string& text);

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    bool enabled_ = false;
};

} // namespace orvella
