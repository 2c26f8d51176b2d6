#pragma once

#include "catalogue/FileRecords.h"
#include "catalogue/StockDB.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvella {

class ImageInfoEditor;
class Progress;
class Prompts;

// Keyword text files: one keyword a line. Lines end in CR LF when written;
// CR, LF and CR LF all end a line when read. Each line is trimmed and blank
// lines are passed over. Reading throws std::system_error when the file
// cannot be read; writing goes through a temporary file and a rename.
std::vector<std::string> ReadKeywordFile(const std::filesystem::path& file);
void WriteKeywordFile(const std::filesystem::path& file, const std::vector<std::string>& keywords);
// The file a save dialog's answer names: ".txt" is added to a name without
// any ".".
std::filesystem::path KeywordFileName(const std::filesystem::path& chosen);

// The clipboard form of a keyword list: one line, joined by single commas.
std::string KeywordClipboardLine(const std::vector<std::string>& keywords);
// "Keywords (n)".
std::string KeywordsCaption(size_t count);

// The words "Add words from description" takes: split at the keyword
// separators and blanks, without the stop words and words shorter than three
// characters, letter case kept.
std::vector<std::string> DescriptionKeywords(std::string_view description);
const std::vector<std::string>& DescriptionStopWords();

// The commands of the keyword lists: each changes the catalogue first and
// then writes the images' keywords into their files through the editor, with
// the merge flag of its kind (on for commands that add, off for those that
// remove or reorder). A file that cannot be written ends the command there
// with EImageWriteError; the catalogue changes made so far stay.
//
// A selection is the images in selection order; "first" commands take its
// first image.
class KeywordTools {
public:
    KeywordTools(ImageInfoEditor& editor, Prompts& prompts, Progress& progress);

    // "Add keyword to image", "Paste from clipboard" and "Add keywords": the
    // text's keywords added at the end of every image's list. False when the
    // text holds no keyword.
    bool AddKeywordText(const std::vector<TImageData>& selection, std::string_view text);
    // "Add selected category keywords to image": the keywords of each checked
    // item added to every image, and written to its file as the other adding
    // commands do.
    bool AddCategoryKeywords(const std::vector<TImageData>& selection,
                             const std::vector<std::string>& checked);
    // "Delete image keyword": each keyword unlinked from every image. A
    // keyword the catalogue no longer has is reported once, and the rest go on.
    void RemoveImageKeywords(const std::vector<TImageData>& selection,
                             const std::vector<std::string>& keywords);
    // "Delete keyword from database", after the user confirms. True when
    // confirmed.
    bool DeleteKeywordsFromDatabase(const std::vector<TImageData>& selection,
                                    const std::vector<std::string>& keywords);
    // "Move keyword up" / "Move keyword down" on the first image. False when
    // the keyword is already at that end of the list (nothing changes).
    bool MoveKeyword(const std::vector<TImageData>& selection, const std::string& keyword, bool up);
    // "Sort alphabetically" on every JPEG or TIFF image of the selection.
    void SortKeywords(const std::vector<TImageData>& selection);
    // "Add words from description" on the first image; gives the words added.
    std::vector<std::string> AddWordsFromDescription(const std::vector<TImageData>& selection,
                                                     std::string_view description);
    // "Load from file" on the first image: each line one keyword.
    void LoadKeywordsFromFile(const std::vector<TImageData>& selection,
                              const std::filesystem::path& file);
    // "Copy Image Keywords": with exactly one image, its file's keywords
    // joined to the catalogue's and the list's clipboard line; with more, the
    // user is told to select one and nothing is given.
    std::optional<std::string> CopyImageKeywords(const std::vector<TImageData>& selection);

    // The category's keyword list.
    bool AddCategoryKeywordText(const std::string& categoryId, std::string_view text);
    void RemoveCategoryKeyword(const std::string& categoryId, const std::string& keyword);
    // Deletes the keyword from the whole catalogue (no question asked).
    void DeleteKeywordFromDatabase(const std::string& keyword);
    void LoadCategoryKeywordsFromFile(const std::string& categoryId,
                                      const std::filesystem::path& file);

    // The category tree. Creating asks for the name; with an empty parent id
    // the category is a root. Gives the new id, or empty text.
    std::string AddCategory(const std::string& parentId, bool root);
    // Asks first; a category with children is refused with a message. True
    // when the user confirmed.
    bool DeleteCategory(const std::string& categoryId);
    void RenameCategory(const std::string& categoryId, const std::string& name);
    // Images dropped on a category: the focused image first, then the rest of
    // the selection.
    void AddImagesToCategory(const std::string& categoryId, const std::vector<TImageData>& images);
    // "Unfasten image from category".
    void UnfastenImage(const std::string& key, const std::string& categoryId);

    TStockDBObject& Catalogue() const;
    Progress& progress() const { return progress_; }

private:
    // Runs work for each image with the progress window open, as one step
    // with the rewrite of its file (ImageInfoEditor::UpdateImageKeywords);
    // with merge on, the file's keywords are taken in first.
    template <class Work>
    void forEachImage(const std::vector<TImageData>& selection, bool merge, Work&& work);
    std::vector<std::string> keywordIdsOf(const std::vector<std::string>& keywords);
    // The keywords added at the end of every selected image, then the files
    // written with merge on; false when there is nothing to add.
    bool addKeywords(const std::vector<TImageData>& selection,
                     const std::vector<std::string>& keywords);

    ImageInfoEditor& editor_;
    Prompts& prompts_;
    Progress& progress_;
};

} // namespace orvella
