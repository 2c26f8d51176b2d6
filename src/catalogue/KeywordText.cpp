#include "catalogue/KeywordText.h"

namespace orvella {

namespace {

bool isSeparator(char c, const CharSet& separators) {
    return separators.test(static_cast<unsigned char>(c));
}

// Calls visit(begin, end) for each word in turn until it returns false.
template <typename Visit>
void forEachWord(std::string_view text, const CharSet& separators, Visit visit) {
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i], separators))
            ++i;
        if (i == text.size())
            return;
        size_t begin = i;
        while (i < text.size() && !isSeparator(text[i], separators))
            ++i;
        if (!visit(text.substr(begin, i - begin)))
            return;
    }
}

CharSet makeKeywordSeparators() {
    CharSet set;
    set.set('\n');
    set.set('\r');
    for (int c = 33; c <= 126; ++c) {
        bool punctuation = (c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || c >= 123;
        if (punctuation && c != '-' && c != '^' && c != '_')
            set.set(static_cast<size_t>(c));
    }
    return set;
}

} // namespace

const CharSet& KeywordSeparators() {
    static const CharSet set = makeKeywordSeparators();
    return set;
}

int WordCount(std::string_view text, const CharSet& separators) {
    int count = 0;
    forEachWord(text, separators, [&](std::string_view) {
        ++count;
        return true;
    });
    return count;
}

std::string ExtractWord(int n, std::string_view text, const CharSet& separators) {
    std::string found;
    int index = 0;
    forEachWord(text, separators, [&](std::string_view word) {
        if (++index < n)
            return true;
        found = std::string(word);
        return false;
    });
    return n >= 1 ? found : std::string();
}

std::string TrimKeyword(std::string_view word) {
    auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t begin = 0, end = word.size();
    while (begin < end && isTrimmed(word[begin]))
        ++begin;
    while (end > begin && isTrimmed(word[end - 1]))
        --end;
    return std::string(word.substr(begin, end - begin));
}

std::vector<std::string> SplitKeywords(std::string_view text) {
    std::vector<std::string> keywords;
    forEachWord(text, KeywordSeparators(), [&](std::string_view word) {
        if (std::string keyword = TrimKeyword(word); !keyword.empty())
            keywords.push_back(std::move(keyword));
        return true;
    });
    return keywords;
}

} // namespace orvella
