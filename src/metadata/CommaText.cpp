#include "metadata/CommaText.h"

#include <QString>

#include <algorithm>

namespace orvella {

namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

bool isSpaceOrControl(unsigned char c) {
    return c >= 1 && c <= 32;
}

// Cursor over the text; reading past its end (or at a zero byte) yields 0.
class TextCursor {
public:
    explicit TextCursor(std::string_view text) : text_(text) {}
    unsigned char peek(size_t ahead = 0) const {
        size_t at = position_ + ahead;
        return at < text_.size() ? static_cast<unsigned char>(text_[at]) : 0;
    }
    void advance(size_t count = 1) { position_ = std::min(text_.size(), position_ + count); }
    bool atEnd() const { return peek() == 0; }
    void skipSpaces() {
        while (isSpaceOrControl(peek()))
            advance();
    }

private:
    std::string_view text_;
    size_t position_ = 0;
};

// An item in double quotes: runs to the next single double quote (or the
// end of the text); two double quotes inside stand for one. Text after the
// closing quote up to the next comma belongs to the same item.
std::string readQuotedItem(TextCursor& cursor) {
    std::string item;
    cursor.advance();
    while (!cursor.atEnd()) {
        unsigned char c = cursor.peek();
        if (c == kQuote) {
            if (cursor.peek(1) != kQuote) {
                cursor.advance();
                break;
            }
            cursor.advance();
        }
        item.push_back(static_cast<char>(c));
        cursor.advance();
    }
    return item;
}

// A plain item runs to the next comma; its trailing blanks are trimmed.
std::string readPlainItem(TextCursor& cursor) {
    std::string item;
    while (!cursor.atEnd() && cursor.peek() != kDelimiter) {
        item.push_back(static_cast<char>(cursor.peek()));
        cursor.advance();
    }
    return trimControl(item);
}

bool needsQuotes(const std::string& item) {
    for (unsigned char c : item) {
        if (c == 0)
            return false;
        if (c == kQuote || c == kDelimiter)
            return true;
    }
    return false;
}

std::string quoted(const std::string& item) {
    std::string out(1, kQuote);
    for (char c : item) {
        out.push_back(c);
        if (c == kQuote)
            out.push_back(kQuote);
    }
    out.push_back(kQuote);
    return out;
}

bool containsKeyword(const std::vector<std::string>& items, const std::string& item) {
    std::string folded = foldKeywordCase(item);
    return std::any_of(items.begin(), items.end(),
                       [&](const std::string& held) { return foldKeywordCase(held) == folded; });
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::vector<std::string> parseCommaText(std::string_view text) {
    std::vector<std::string> items;
    TextCursor cursor(text);
    cursor.skipSpaces();
    while (!cursor.atEnd()) {
        if (cursor.peek() == kQuote) {
            std::string item = readQuotedItem(cursor);
            // Anything between the closing quote and the next comma is kept
            // with the item rather than starting a new one.
            std::string tail = readPlainItem(cursor);
            items.push_back(tail.empty() ? item : item + tail);
        } else {
            items.push_back(readPlainItem(cursor));
        }
        if (cursor.peek() == kDelimiter) {
            if (cursor.peek(1) == 0)
                items.emplace_back();
            cursor.advance();
            cursor.skipSpaces();
        }
    }
    return items;
}

std::string toCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items.front().empty())
        return std::string(2, kQuote);
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out.push_back(kDelimiter);
        out += needsQuotes(items[i]) ? quoted(items[i]) : items[i];
    }
    return out;
}

std::string trimControl(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string foldKeywordCase(std::string_view text) {
    if (isAscii(text)) {
        std::string folded(text);
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return folded;
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .toCaseFolded()
        .toUtf8()
        .toStdString();
}

bool sameKeyword(std::string_view a, std::string_view b) {
    return foldKeywordCase(a) == foldKeywordCase(b);
}

std::string MergeCommaText(std::string_view a, std::string_view b) {
    std::vector<std::string> merged = parseCommaText(a);
    for (const std::string& item : parseCommaText(b)) {
        std::string trimmed = trimControl(item);
        if (!containsKeyword(merged, trimmed))
            merged.push_back(std::move(trimmed));
    }
    return toCommaText(merged);
}

} // namespace orvella
