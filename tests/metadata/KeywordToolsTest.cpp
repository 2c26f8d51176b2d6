// The keyword list commands: catalogue first, then the files.
#include "KeywordingFixture.h"

#include "catalogue/Query.h"

namespace orvella {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Words = std::vector<std::string>;

constexpr uint8_t kKeywords = 25;

using KeywordToolsTest = KeywordingTest;

TEST_F(KeywordToolsTest, TypedKeywordsGoToTheEndOfEveryImageAfterTheFilesOwn) {
    std::vector<TImageData> selection = {addPicture("a.jpg", {{kKeywords, "boat"}}),
                                         addPicture("b.jpg"),
                                         addPicture("c.jpg", {{kKeywords, "Fruit"}})};
    giveKeywords(selection[0], {"sea"});
    EXPECT_TRUE(tools->AddKeywordText(selection, "red apple, fruit;sky"));
    const Words expected[] = {{"sea", "boat", "red apple", "fruit", "sky"},
                              {"red apple", "fruit", "sky"},
                              {"fruit", "red apple", "sky"}};
    for (size_t i = 0; i < selection.size(); ++i) {
        EXPECT_EQ(keywordsOf(selection[i]), expected[i]) << selection[i].FileName;
        EXPECT_EQ(fileKeywords(selection[i]), expected[i]) << selection[i].FileName;
    }
    EXPECT_EQ(progress.events, (Words{"open 2", "step 0", "step 1", "step 2", "close"}));

    EXPECT_FALSE(tools->AddKeywordText(selection, " ;, "));
    EXPECT_EQ(count("select * from KEYWORDS where trim(KEYWORD) = ''"), 0u);
}

TEST_F(KeywordToolsTest, AddingAKeywordTheImageHasRewritesTheFileOnly) {
    TImageData image = addPicture("a.jpg");
    giveKeywords(image, {"sky", "sea"});
    tools->AddKeywordText({image}, "Sky");
    EXPECT_EQ(keywordsOf(image), (Words{"sky", "sea"}));
    EXPECT_EQ(fileKeywords(image), (Words{"sky", "sea"}));
}

TEST_F(KeywordToolsTest, DescriptionWordsWithoutStopWordsOrShortWords) {
    const std::pair<const char*, Words> cases[] = {
        {"The cat and the dog sat under a tree.", {"cat", "dog", "sat", "tree"}},
        {"Red-eye, WHEN snow_fall; été", {"Red-eye", "snow_fall", "été"}},
        {"   ", {}},
    };
    for (const auto& [description, words] : cases)
        EXPECT_EQ(DescriptionKeywords(description), words) << description;

    TImageData first = addPicture("a.jpg", {{kKeywords, "old"}});
    TImageData second = addPicture("b.jpg");
    tools->AddWordsFromDescription({first, second}, "The cat and the dog sat under a tree.");
    EXPECT_EQ(keywordsOf(first), (Words{"cat", "dog", "sat", "tree"}));
    EXPECT_EQ(fileKeywords(first), (Words{"cat", "dog", "sat", "tree"})); // merge off
    EXPECT_TRUE(keywordsOf(second).empty());
}

TEST_F(KeywordToolsTest, MovingStopsAtBothEndsOfTheList) {
    TImageData image = addPicture("a.jpg");
    giveKeywords(image, {"one", "two", "three"});
    std::string before = readFile(image.FullName);
    EXPECT_FALSE(tools->MoveKeyword({image}, "one", true));
    EXPECT_FALSE(tools->MoveKeyword({image}, "three", false));
    EXPECT_EQ(keywordsOf(image), (Words{"one", "two", "three"}));
    EXPECT_EQ(readFile(image.FullName), before);

    EXPECT_TRUE(tools->MoveKeyword({image}, "three", true));
    EXPECT_EQ(keywordsOf(image), (Words{"one", "three", "two"}));
    EXPECT_TRUE(tools->MoveKeyword({image}, "one", false));
    EXPECT_EQ(keywordsOf(image), (Words{"three", "one", "two"}));
    EXPECT_EQ(fileKeywords(image), (Words{"three", "one", "two"}));
}

TEST_F(KeywordToolsTest, SortingPassesOverFilesThatAreNotJpegOrTiff) {
    std::vector<TImageData> selection = {
        addPicture("a.jpg"), addPicture("b.eps", "%!PS-Adobe-3.0 EPSF-3.0\n"), addPicture("c.jpg")};
    for (const TImageData& image : selection)
        giveKeywords(image, {"pear", "Apple", "fig"});
    tools->SortKeywords(selection);
    EXPECT_EQ(keywordsOf(selection[0]), (Words{"Apple", "fig", "pear"}));
    EXPECT_EQ(fileKeywords(selection[0]), (Words{"Apple", "fig", "pear"}));
    EXPECT_EQ(keywordsOf(selection[1]), (Words{"pear", "Apple", "fig"}));
    EXPECT_EQ(keywordsOf(selection[2]), (Words{"Apple", "fig", "pear"}));
    EXPECT_EQ(fileKeywords(selection[2]), (Words{"Apple", "fig", "pear"}));
}

TEST_F(KeywordToolsTest, KeywordFilesAreCrLfLinesReadWithAnyLineEnd) {
    const std::pair<const char*, const char*> names[] = {
        {"list", "list.txt"}, {"list.txt", "list.txt"}, {"my.list", "my.list"}};
    for (const auto& [chosen, saved] : names)
        EXPECT_EQ(KeywordFileName(folder / chosen), folder / saved) << chosen;

    WriteKeywordFile(folder / "list.txt", {"red apple", "été", "sky"});
    EXPECT_EQ(readFile(folder / "list.txt"), "red apple\r\nété\r\nsky\r\n");
    writeFile(folder / "mixed.txt", "one\rtwo\nthree\r\n\r\n  \nfour, five ");
    EXPECT_EQ(ReadKeywordFile(folder / "mixed.txt"), (Words{"one", "two", "three", "four, five"}));
    EXPECT_THROW(ReadKeywordFile(folder / "missing.txt"), std::system_error);
}

TEST_F(KeywordToolsTest, LoadingAFileAddsEachLineAndPassesOverBlankOnes) {
    TImageData image = addPicture("a.jpg", {{kKeywords, "from file"}});
    TImageData other = addPicture("b.jpg");
    writeFile(folder / "words.txt", "\r\nred apple\r\n\r\n   \r\nsky\r\n");
    tools->LoadKeywordsFromFile({image, other}, folder / "words.txt");
    EXPECT_EQ(keywordsOf(image), (Words{"red apple", "sky", "from file"}));
    EXPECT_EQ(fileKeywords(image), (Words{"red apple", "sky", "from file"}));
    EXPECT_TRUE(keywordsOf(other).empty());
    EXPECT_EQ(count("select * from KEYWORDS where trim(KEYWORD) = ''"), 0u);

    EXPECT_THROW(tools->LoadKeywordsFromFile({image}, folder / "missing.txt"), std::system_error);
}

TEST_F(KeywordToolsTest, CopyImageKeywordsNeedsExactlyOneImage) {
    TImageData image = addPicture("a.jpg", {{kKeywords, "from file"}});
    TImageData other = addPicture("b.jpg", {{kKeywords, "other"}});
    giveKeywords(image, {"red apple"});
    EXPECT_EQ(tools->CopyImageKeywords({image, other}), std::nullopt);
    EXPECT_EQ(prompts.messages, Words{"You should select one image only for keywords copy."});
    EXPECT_EQ(keywordsOf(image), Words{"red apple"});
    EXPECT_TRUE(keywordsOf(other).empty());

    EXPECT_EQ(tools->CopyImageKeywords({image}), "red apple,from file");
}

TEST_F(KeywordToolsTest, DeletingFromTheDatabaseAsksFirst) {
    TImageData image = addPicture("a.jpg");
    TImageData other = addPicture("b.jpg");
    giveKeywords(image, {"sky", "sea"});
    giveKeywords(other, {"sky"});
    editor->SaveKeywordsToFile(image.FullName, image.MD5, false);
    prompts.answers = {false, true};
    EXPECT_FALSE(tools->DeleteKeywordsFromDatabase({image}, {"sky"}));
    EXPECT_EQ(keywordsOf(image), (Words{"sky", "sea"}));
    EXPECT_EQ(fileKeywords(image), (Words{"sky", "sea"}));

    EXPECT_TRUE(tools->DeleteKeywordsFromDatabase({image}, {"sky"}));
    EXPECT_EQ(prompts.questions,
              Words(2, "Do you want to delete keyword from database permanently?"));
    EXPECT_EQ(keywordsOf(image), Words{"sea"});
    EXPECT_TRUE(keywordsOf(other).empty());
    EXPECT_EQ(count("select * from KEYWORDS where KEYWORD = 'sky'"), 0u);
    EXPECT_EQ(fileKeywords(image), Words{"sea"});
}

TEST_F(KeywordToolsTest, RemovingKeywordsTellsOnceAboutOneTheCatalogueLacks) {
    std::vector<TImageData> selection = {addPicture("a.jpg"), addPicture("b.jpg")};
    giveKeywords(selection[0], {"sky", "sea", "sun"});
    giveKeywords(selection[1], {"sea", "sun"});
    tools->RemoveImageKeywords(selection, {"sea", "gone", "sun"});
    EXPECT_EQ(prompts.messages, Words{"Keyword absent in the DB"});
    EXPECT_EQ(keywordsOf(selection[0]), Words{"sky"});
    EXPECT_TRUE(keywordsOf(selection[1]).empty());
    EXPECT_EQ(fileKeywords(selection[0]), Words{"sky"});
}

TEST_F(KeywordToolsTest, CategoryKeywordsAddOnlyTheCheckedOnesAndReachTheFiles) {
    std::vector<TImageData> selection = {addPicture("a.jpg"),
                                         addPicture("b.jpg", {{kKeywords, "own"}})};
    EXPECT_FALSE(tools->AddCategoryKeywords(selection, {}));
    EXPECT_TRUE(keywordsOf(selection[0]).empty());
    EXPECT_EQ(readFile(selection[0].FullName), original(selection[0]));

    EXPECT_TRUE(tools->AddCategoryKeywords(selection, {"blue sky", "sea"}));
    EXPECT_EQ(keywordsOf(selection[0]), (Words{"blue sky", "sea"}));
    EXPECT_EQ(fileKeywords(selection[0]), (Words{"blue sky", "sea"}));
    EXPECT_EQ(fileKeywords(selection[1]), (Words{"own", "blue sky", "sea"}));
}

TEST_F(KeywordToolsTest, UnwritableFileEndsTheCommandThereAndKeepsItsCatalogueKeywords) {
    std::vector<TImageData> selection = {addPicture("a.jpg"), addPicture("b.jpg"),
                                         addPicture("c.jpg")};
    fs::permissions(selection[1].FullName, fs::perms::owner_write, fs::perm_options::remove);
    setOption("ClearRO", false);
    try {
        tools->AddKeywordText(selection, "sky");
        FAIL() << "the read-only file was written";
    } catch (const EImageWriteError& error) {
        EXPECT_EQ(error.file().filename(), "b.jpg");
    }
    EXPECT_EQ(fileKeywords(selection[0]), Words{"sky"});
    EXPECT_EQ(keywordsOf(selection[0]), Words{"sky"});
    // the refused file's catalogue keywords stay as its file holds them
    EXPECT_TRUE(keywordsOf(selection[1]).empty());
    EXPECT_EQ(readFile(selection[1].FullName), original(selection[1]));
    EXPECT_TRUE(keywordsOf(selection[2]).empty());
    EXPECT_EQ(readFile(selection[2].FullName), original(selection[2]));
    EXPECT_EQ(progress.events.back(), "close");
}

TEST_F(KeywordToolsTest, CategoryListCommands) {
    std::string category = db->CreateCategory(std::string("Nature"), "");
    EXPECT_FALSE(tools->AddCategoryKeywordText(category, " , "));
    EXPECT_TRUE(tools->AddCategoryKeywordText(category, "tree, blue sky"));
    EXPECT_EQ(db->GetCategoryKeywords(category), (Words{"blue sky", "tree"}));
    writeFile(folder / "words.txt", "leaf\n\nroot\n");
    tools->LoadCategoryKeywordsFromFile(category, folder / "words.txt");
    tools->RemoveCategoryKeyword(category, "tree");
    EXPECT_EQ(db->GetCategoryKeywords(category), (Words{"blue sky", "leaf", "root"}));
    tools->DeleteKeywordFromDatabase("leaf");
    EXPECT_EQ(db->GetCategoryKeywords(category), (Words{"blue sky", "root"}));
    EXPECT_EQ(count("select * from KEYWORDS where KEYWORD = 'leaf'"), 0u);
    EXPECT_EQ(count("select * from KEYWORDS where KEYWORD = 'tree'"), 1u);
}

TEST_F(KeywordToolsTest, CategoryTreeCreateDeleteAndRename) {
    prompts.texts = {"Nature", "Trees", "Nature", "City"};
    std::string nature = tools->AddCategory("", false);
    std::string trees = tools->AddCategory(nature, false);
    EXPECT_EQ(tools->AddCategory("", false), ""); // a second root of that name
    std::string city = tools->AddCategory(nature, true);
    ASSERT_FALSE(nature.empty());
    ASSERT_FALSE(trees.empty());
    ASSERT_FALSE(city.empty());
    EXPECT_EQ(count("select * from CATEGORY where PARENT_ID = '" + nature + "'"), 1u);
    EXPECT_EQ(count("select * from CATEGORY where PARENT_ID = ''"), 2u);

    prompts.answers = {false, true, true};
    EXPECT_FALSE(tools->DeleteCategory(city));
    EXPECT_EQ(count("select * from CATEGORY"), 3u);
    EXPECT_TRUE(tools->DeleteCategory(nature));
    EXPECT_EQ(prompts.messages,
              Words{"You can't delete the category because it contains children categories"});
    EXPECT_EQ(count("select * from CATEGORY"), 3u);
    EXPECT_TRUE(tools->DeleteCategory(trees));
    EXPECT_EQ(count("select * from CATEGORY"), 2u);

    tools->RenameCategory(city, "Town");
    tools->RenameCategory(city, "  ");
    EXPECT_EQ(count("select * from CATEGORY where CNAME = 'Town'"), 1u);
}

TEST_F(KeywordToolsTest, DroppedImagesJoinTheCategoryAndCanBeUnfastened) {
    std::string category = db->CreateCategory(std::string("Nature"), "");
    db->AddKeywordTextToCategory(category, "tree");
    std::vector<TImageData> images = {addPicture("a.jpg"), addPicture("b.jpg"),
                                      addPicture("c.jpg")};
    tools->AddImagesToCategory(category, images);
    EXPECT_EQ(count("select * from IMAGE_CATEGORY where CATEGORY_ID = '" + category + "'"), 3u);
    EXPECT_EQ(progress.events, (Words{"open 3", "step 1", "step 2", "close"}));
    EXPECT_EQ(db->GetImageCategoryKeywords(images[1].MD5), Words{"tree"});
    tools->UnfastenImage(images[1].MD5, category);
    EXPECT_TRUE(db->GetImageCategoryKeywords(images[1].MD5).empty());
}

} // namespace
} // namespace orvella
