#include "catalogue/JetDialect.h"

#include "shell/TextUtil.h"

namespace orvella {

namespace {

bool isWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// The index just past a quoted run that opens at `start` with `open`; a doubled
// closing quote stands for itself inside the run.
size_t endOfQuoted(std::string_view text, size_t start, char close) {
    size_t i = start + 1;
    while (i < text.size()) {
        if (text[i] == close) {
            if (close != ']' && i + 1 < text.size() && text[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return text.size();
}

char closingQuote(char c) {
    switch (c) {
    case '\'':
        return '\'';
    case '"':
        return '"';
    case '`':
        return '`';
    case '[':
        return ']';
    default:
        return 0;
    }
}

} // namespace

std::string adaptJetStatement(std::string_view statement) {
    std::string out;
    out.reserve(statement.size());
    size_t i = 0;
    while (i < statement.size()) {
        char c = statement[i];
        if (c == '-' && i + 1 < statement.size() && statement[i + 1] == '-') {
            size_t end = statement.find('\n', i);
            end = end == std::string_view::npos ? statement.size() : end;
            out.append(statement.substr(i, end - i));
            i = end;
        } else if (char close = closingQuote(c)) {
            size_t end = endOfQuoted(statement, i, close);
            out.append(statement.substr(i, end - i));
            i = end;
        } else if (isWordChar(c)) {
            size_t end = i;
            while (end < statement.size() && isWordChar(statement[end]))
                ++end;
            std::string_view word = statement.substr(i, end - i);
            bool isParameter = i > 0 && (statement[i - 1] == ':' || statement[i - 1] == '@');
            if (!isParameter && equalsIgnoringCase(word, "yes"))
                out += '1';
            else if (!isParameter && equalsIgnoringCase(word, "no"))
                out += '0';
            else
                out.append(word);
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace orvella
