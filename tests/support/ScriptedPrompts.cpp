#include "support/ScriptedPrompts.h"

namespace orvella::test {

bool ScriptedPrompts::confirm(const std::string& text) {
    questions.push_back(text);
    if (answers.empty())
        return true;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::nextText(const std::string& asked) {
    questions.push_back(asked);
    if (texts.empty())
        return std::nullopt;
    auto answer = texts.front();
    texts.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::askText(const std::string&, const std::string& prompt,
                                                    const std::string&) {
    return nextText(prompt);
}

std::optional<std::string> ScriptedPrompts::askPassword(const std::string&,
                                                        const std::string& prompt) {
    return nextText(prompt);
}

std::optional<std::string> ScriptedPrompts::chooseFileToOpen(const std::string& caption,
                                                             const std::string&) {
    return nextText(caption);
}

std::vector<std::string> ScriptedPrompts::chooseFilesToOpen(const std::string& caption,
                                                            const std::string&) {
    auto chosen = nextText(caption);
    return chosen ? std::vector<std::string>{*chosen} : std::vector<std::string>{};
}

std::optional<std::string> ScriptedPrompts::chooseFileToSave(const std::string& caption,
                                                             const std::string&,
                                                             const std::string&) {
    return nextText(caption);
}

std::optional<std::string> ScriptedPrompts::chooseFolder(const std::string& caption,
                                                         const std::string&) {
    return nextText(caption);
}

} // namespace orvella::test
