#pragma once

#include "shell/Prompts.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace orvella::test {

// Prompts answered from a script: each question takes the next scripted
// answer (Yes when none is left), and every text asked is recorded.
class ScriptedPrompts : public Prompts {
public:
    std::vector<std::string> messages;            // showMessage texts
    std::vector<std::string> questions;           // confirm texts
    std::deque<bool> answers;                     // for confirm
    std::deque<std::optional<std::string>> texts; // for askText, askPassword and the file dialogs

    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool confirm(const std::string& text) override;
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
    std::optional<std::string> askPassword(const std::string& caption,
                                           const std::string& prompt) override;
    std::optional<std::string> chooseFileToOpen(const std::string& caption,
                                                const std::string& filter) override;
    std::vector<std::string> chooseFilesToOpen(const std::string& caption,
                                               const std::string& filter) override;
    std::optional<std::string> chooseFileToSave(const std::string& caption,
                                                const std::string& filter,
                                                const std::string& suggestedName) override;
    std::optional<std::string> chooseFolder(const std::string& caption,
                                            const std::string& initialFolder) override;

private:
    std::optional<std::string> nextText(const std::string& asked);
};

} // namespace orvella::test
