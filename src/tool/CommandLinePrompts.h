#pragma once

#include "shell/Prompts.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace orvella::tool {

// On the command line the command itself is the answer: messages go to
// standard error, every question gets the answer given (Yes unless said
// otherwise) and, when asked for, is printed with it; nothing else is asked.
class CommandLinePrompts : public Prompts {
public:
    explicit CommandLinePrompts(bool answer = true, bool printQuestions = false)
        : answer_(answer), printQuestions_(printQuestions) {}

    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool confirm(const std::string& text) override {
        if (printQuestions_)
            std::fprintf(stderr, "%s %s\n", text.c_str(), answer_ ? "Yes" : "No");
        return answer_;
    }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> askPassword(const std::string&, const std::string&) override {
        return std::nullopt;
    }
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

private:
    bool answer_;
    bool printQuestions_;
};

} // namespace orvella::tool
