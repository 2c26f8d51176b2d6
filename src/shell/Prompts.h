#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvella {

// Every message box, question, input box and file dialog goes through this
// interface, so the code that asks can be driven by tests.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // A Yes/No confirmation; only Yes proceeds.
    virtual bool confirm(const std::string& text) = 0;
    // An input box; no value when cancelled.
    virtual std::optional<std::string>
    askText(const std::string& caption, const std::string& prompt, const std::string& initial) = 0;
    // A password box (input hidden); no value when cancelled.
    virtual std::optional<std::string> askPassword(const std::string& caption,
                                                   const std::string& prompt) = 0;
    // File dialogs: filter in the "Description (*.ext *.ext2)" form.
    virtual std::optional<std::string> chooseFileToOpen(const std::string& caption,
                                                        const std::string& filter) = 0;
    virtual std::vector<std::string> chooseFilesToOpen(const std::string& caption,
                                                       const std::string& filter) = 0;
    virtual std::optional<std::string> chooseFileToSave(const std::string& caption,
                                                        const std::string& filter,
                                                        const std::string& suggestedName) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& caption,
                                                    const std::string& initialFolder) = 0;
};

} // namespace orvella
