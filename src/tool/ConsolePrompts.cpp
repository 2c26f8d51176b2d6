#include "tool/ConsolePrompts.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace orvella::tool {

void ConsolePrompts::showMessage(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool ConsolePrompts::confirm(const std::string& text) {
    std::optional<std::string> answer = askText("", text + " [y/N]", "");
    return answer && (*answer == "y" || *answer == "Y");
}

std::optional<std::string> ConsolePrompts::askText(const std::string&, const std::string& prompt,
                                                   const std::string& initial) {
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::fprintf(stderr, "%s%s ", prompt.c_str(),
                 initial.empty() ? "" : (" [" + initial + "]").c_str());
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    return line.empty() ? initial : line;
}

std::optional<std::string> ConsolePrompts::askPassword(const std::string&,
                                                       const std::string& prompt) {
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::fprintf(stderr, "%s ", prompt.c_str());
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios hidden = saved;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    std::string line;
    bool read = static_cast<bool>(std::getline(std::cin, line));
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fprintf(stderr, "\n");
    return read ? std::optional<std::string>(line) : std::nullopt;
}

} // namespace orvella::tool
