#pragma once

#include "shell/Prompts.h"

namespace orvella {

// Prompts as Qt's modal message boxes, input boxes and file dialogs, over the
// active window.
class QtPrompts : public Prompts {
public:
    void showMessage(const std::string& text) override;
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
};

} // namespace orvella
