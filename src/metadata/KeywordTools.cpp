#include "metadata/KeywordTools.h"

#include "catalogue/KeywordText.h"
#include "metadata/ImageInfoEditor.h"
#include "shell/AtomicFile.h"
#include "shell/Log.h"
#include "shell/Progress.h"
#include "shell/Prompts.h"
#include "shell/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace orvella {

namespace fs = std::filesystem;

std::vector<std::string> ReadKeywordFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::system_error(errno ? errno : EIO, std::generic_category(),
                                "Cannot read " + file.string());
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::system_error(EIO, std::generic_category(), "Cannot read " + file.string());
    std::vector<std::string> keywords;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (std::string keyword = TrimKeyword(std::string_view(text).substr(start, end - start));
            !keyword.empty())
            keywords.push_back(std::move(keyword));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return keywords;
}

void WriteKeywordFile(const fs::path& file, const std::vector<std::string>& keywords) {
    std::string text;
    for (const std::string& keyword : keywords)
        text += keyword + "\r\n";
    replaceFileAtomically(file, text);
}

fs::path KeywordFileName(const fs::path& chosen) {
    if (chosen.filename().string().find('.') != std::string::npos)
        return chosen;
    fs::path named = chosen;
    named += ".txt";
    return named;
}

std::string KeywordClipboardLine(const std::vector<std::string>& keywords) {
    std::string line;
    for (const std::string& keyword : keywords) {
        if (!line.empty())
            line += ',';
        line += keyword;
    }
    return line;
}

std::string KeywordsCaption(size_t count) {
    return "Keywords (" + std::to_string(count) + ")";
}

const std::vector<std::string>& DescriptionStopWords() {
    static const std::vector<std::string> words = {"the",  "and",   "then",  "else",  "them",
                                                   "each", "you",   "she",   "under", "why",
                                                   "when", "where", "after", "before"};
    return words;
}

namespace {

// Characters, not bytes: a UTF-8 sequence counts once.
size_t characterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool isStopWord(const std::string& word) {
    const auto& stop = DescriptionStopWords();
    return std::find(stop.begin(), stop.end(), toLowerAscii(word)) != stop.end();
}

} // namespace

std::vector<std::string> DescriptionKeywords(std::string_view description) {
    CharSet separators = KeywordSeparators();
    separators.set(' ');
    std::vector<std::string> words;
    int count = WordCount(description, separators);
    for (int n = 1; n <= count; ++n) {
        std::string word = TrimKeyword(ExtractWord(n, description, separators));
        if (characterCount(word) < 3 || isStopWord(word))
            continue;
        words.push_back(std::move(word));
    }
    return words;
}

KeywordTools::KeywordTools(ImageInfoEditor& editor, Prompts& prompts, Progress& progress)
    : editor_(editor), prompts_(prompts), progress_(progress) {}

TStockDBObject& KeywordTools::Catalogue() const {
    return editor_.Catalogue();
}

template <class Work>
void KeywordTools::forEachImage(const std::vector<TImageData>& selection, bool merge, Work&& work) {
    ProgressScope progress(progress_, static_cast<int>(selection.size()) - 1);
    for (size_t i = 0; i < selection.size(); ++i) {
        const TImageData& image = selection[i];
        // The file's own keywords join first, so that what the command adds
        // ends the list in the catalogue and in the file alike.
        editor_.UpdateImageKeywords(
            image.FullName, image.MD5, merge, [&] { work(image); }, true);
        progress.step(static_cast<int>(i));
    }
}

// The ids of the keywords, each created when new, in order and once each.
std::vector<std::string> KeywordTools::keywordIdsOf(const std::vector<std::string>& keywords) {
    std::vector<std::string> ids;
    for (const std::string& keyword : keywords) {
        std::string id = Catalogue().GetOrCreateKeyword(keyword);
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

bool KeywordTools::AddKeywordText(const std::vector<TImageData>& selection, std::string_view text) {
    return addKeywords(selection, SplitKeywords(text));
}

bool KeywordTools::addKeywords(const std::vector<TImageData>& selection,
                               const std::vector<std::string>& keywords) {
    if (selection.empty() || keywords.empty())
        return false;
    std::vector<std::string> ids = keywordIdsOf(keywords);
    forEachImage(selection, true, [&](const TImageData& image) {
        for (const std::string& id : ids)
            Catalogue().AddKeywordToImage(image.MD5, id);
    });
    return true;
}

bool KeywordTools::AddCategoryKeywords(const std::vector<TImageData>& selection,
                                       const std::vector<std::string>& checked) {
    std::vector<std::string> keywords;
    for (const std::string& item : checked)
        for (std::string& keyword : SplitKeywords(item))
            keywords.push_back(std::move(keyword));
    return addKeywords(selection, keywords);
}

void KeywordTools::RemoveImageKeywords(const std::vector<TImageData>& selection,
                                       const std::vector<std::string>& keywords) {
    if (selection.empty())
        return;
    std::vector<std::string> ids;
    for (const std::string& keyword : keywords) {
        std::string id = Catalogue().FindKeywordId(keyword);
        if (id.empty())
            prompts_.showMessage("Keyword absent in the DB");
        else
            ids.push_back(id);
    }
    forEachImage(selection, false, [&](const TImageData& image) {
        for (const std::string& id : ids)
            Catalogue().RemoveKeywordFromImage(image.MD5, id);
    });
}

bool KeywordTools::DeleteKeywordsFromDatabase(const std::vector<TImageData>& selection,
                                              const std::vector<std::string>& keywords) {
    if (selection.empty() || keywords.empty())
        return false;
    if (!prompts_.confirm("Do you want to delete keyword from database permanently?"))
        return false;
    for (const std::string& keyword : keywords)
        Catalogue().DeleteKeyword(keyword);
    editor_.SaveKeywordsToFile(selection.front().FullName, selection.front().MD5, false);
    return true;
}

bool KeywordTools::MoveKeyword(const std::vector<TImageData>& selection, const std::string& keyword,
                               bool up) {
    if (selection.empty())
        return false;
    const TImageData& image = selection.front();
    TKeywords list = Catalogue().GetImageKeywords(image.MD5);
    auto found = std::find_if(list.begin(), list.end(), [&](const std::string& item) {
        return equalsIgnoringCase(item, keyword);
    });
    if (found == list.end())
        return false;
    if (up ? found == list.begin() : found + 1 == list.end())
        return false;
    std::string id = Catalogue().FindKeywordId(keyword);
    editor_.UpdateImageKeywords(image.FullName, image.MD5, false, [&] {
        if (id.empty())
            return;
        if (up)
            Catalogue().MoveKeywordUp(image.MD5, id);
        else
            Catalogue().MoveKeywordDown(image.MD5, id);
    });
    return !id.empty();
}

void KeywordTools::SortKeywords(const std::vector<TImageData>& selection) {
    if (selection.empty())
        return;
    ProgressScope progress(progress_, static_cast<int>(selection.size()) - 1);
    for (size_t i = 0; i < selection.size(); ++i) {
        const TImageData& image = selection[i];
        if (IsMetadataFile(image.FullName))
            editor_.UpdateImageKeywords(image.FullName, image.MD5, false,
                                        [&] { Catalogue().SortImageKeywords(image.MD5); });
        progress.step(static_cast<int>(i));
    }
}

std::vector<std::string>
KeywordTools::AddWordsFromDescription(const std::vector<TImageData>& selection,
                                      std::string_view description) {
    if (selection.empty() || trim(description).empty())
        return {};
    const TImageData& image = selection.front();
    std::vector<std::string> words = DescriptionKeywords(description);
    editor_.UpdateImageKeywords(image.FullName, image.MD5, false, [&] {
        for (const std::string& word : words)
            Catalogue().AddKeywordToImage(image.MD5, Catalogue().GetOrCreateKeyword(word));
    });
    return words;
}

void KeywordTools::LoadKeywordsFromFile(const std::vector<TImageData>& selection,
                                        const fs::path& file) {
    if (selection.empty())
        return;
    std::vector<std::string> keywords = ReadKeywordFile(file);
    const TImageData& image = selection.front();
    editor_.UpdateImageKeywords(image.FullName, image.MD5, true, [&] {
        for (const std::string& keyword : keywords)
            Catalogue().AddKeywordToImage(image.MD5, Catalogue().GetOrCreateKeyword(keyword));
    });
}

std::optional<std::string>
KeywordTools::CopyImageKeywords(const std::vector<TImageData>& selection) {
    if (selection.size() > 1) {
        prompts_.showMessage("You should select one image only for keywords copy.");
        return std::nullopt;
    }
    if (selection.empty())
        return std::nullopt;
    const TImageData& image = selection.front();
    editor_.ImportFileKeywords(image.FullName, image.MD5);
    std::string line = KeywordClipboardLine(Catalogue().GetImageKeywords(image.MD5));
    logGuarded("Keywords was copy to clipboard: " + line);
    return line;
}

bool KeywordTools::AddCategoryKeywordText(const std::string& categoryId, std::string_view text) {
    if (categoryId.empty() || SplitKeywords(text).empty())
        return false;
    Catalogue().AddKeywordTextToCategory(categoryId, std::string(text));
    return true;
}

void KeywordTools::RemoveCategoryKeyword(const std::string& categoryId,
                                         const std::string& keyword) {
    if (categoryId.empty())
        return;
    std::string id = Catalogue().FindKeywordId(keyword);
    if (!id.empty())
        Catalogue().RemoveKeywordFromCategory(categoryId, id);
}

void KeywordTools::DeleteKeywordFromDatabase(const std::string& keyword) {
    if (!Catalogue().FindKeywordId(keyword).empty())
        Catalogue().DeleteKeyword(keyword);
}

void KeywordTools::LoadCategoryKeywordsFromFile(const std::string& categoryId,
                                                const fs::path& file) {
    if (categoryId.empty())
        return;
    for (const std::string& keyword : ReadKeywordFile(file))
        Catalogue().AddKeywordToCategory(categoryId, Catalogue().GetOrCreateKeyword(keyword));
}

std::string KeywordTools::AddCategory(const std::string& parentId, bool root) {
    std::string id = Catalogue().CreateCategory(std::nullopt, root ? std::string() : parentId);
    logGuarded(root ? "Add root category action completed" : "Add category action completed");
    return id;
}

bool KeywordTools::DeleteCategory(const std::string& categoryId) {
    if (categoryId.empty() || !prompts_.confirm("Do you wish to delete the category?"))
        return false;
    Catalogue().DeleteCategory(categoryId);
    logGuarded("Delete category action completed");
    return true;
}

void KeywordTools::RenameCategory(const std::string& categoryId, const std::string& name) {
    if (!categoryId.empty())
        Catalogue().RenameCategory(categoryId, name);
}

void KeywordTools::AddImagesToCategory(const std::string& categoryId,
                                       const std::vector<TImageData>& images) {
    if (categoryId.empty() || images.empty())
        return;
    ProgressScope progress(progress_, static_cast<int>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        if (!images[i].MD5.empty())
            Catalogue().AddImageToCategory(categoryId, images[i].MD5);
        if (i > 0)
            progress.step(static_cast<int>(i));
    }
}

void KeywordTools::UnfastenImage(const std::string& key, const std::string& categoryId) {
    Catalogue().RemoveImageFromCategory(key, categoryId);
}

} // namespace orvella
