#pragma once

#include "shell/Prompts.h"

namespace orvella::tool {

// Questions are asked on the terminal; without one (cron) every question is
// cancelled, so nothing waits for an answer that cannot come. Messages go to
// standard error.
class ConsolePrompts : public Prompts {
public:
    void showMessage(const std::string& text) override;
    bool confirm(const std::string& text) override;
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
    std::optional<std::string> askPassword(const std::string& caption,
                                           const std::string& prompt) override;
    std::optional<std::string> chooseFileToOpen(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::vector<std::string> chooseFilesToOpen(const std::string&, const std::string&) override {
        return {};
    }
    std::optional<std::string> chooseFileToSave(const std::string&, const std::string&,
                                                const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

} // namespace orvella::tool
