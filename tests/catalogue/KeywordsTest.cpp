#include "OperationsFixture.h"

#include "shell/Options.h"
#include "shell/SettingsStore.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;

class KeywordsTest : public OperationsTest {
protected:
    KeywordsTest() { addImage(keyOf('A')); }
    std::string id(const std::string& keyword) { return db->FindKeywordId(keyword); }
};

TEST_F(KeywordsTest, WordsFindTheirKeywordWithoutLetterCase) {
    db->AddKeywordTextToImage(keyOf('A'), "sky, blue sky;Sky");
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("sky", "blue sky"));
    EXPECT_EQ(count("select * from KEYWORDS"), 2u);
    EXPECT_EQ(id("SKY"), id("sky"));
    EXPECT_EQ(id("  sky "), id("sky"));
    EXPECT_EQ(id("cloud"), "");
}

TEST_F(KeywordsTest, LetterCaseIsIgnoredForEveryLetterNotOnlyAscii) {
    db->AddKeywordTextToImage(keyOf('A'), "Café;CAFÉ;Ελλάδα;ΕΛΛΆΔΑ;Москва");
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("Café", "Ελλάδα", "Москва"));
    EXPECT_EQ(count("select * from KEYWORDS"), 3u);
    EXPECT_EQ(id("café"), id("Café"));
    EXPECT_EQ(id("МОСКВА"), id("Москва"));
    EXPECT_EQ(id("cafe"), "");
    db->DeleteKeyword("CAFÉ");
    EXPECT_EQ(id("Café"), "");
}

TEST_F(KeywordsTest, AddingLogsTheKeywordAndTheImage) {
    db->AddKeywordTextToImage(keyOf('A'), "sky");
    std::string sky = id("sky");
    EXPECT_THAT(logLines(), ElementsAre("New keyword created sky (" + sky + ")",
                                        "Keyword ID " + sky + " added to image " + keyOf('A')));
}

TEST_F(KeywordsTest, KeywordsAreNumberedFromOneAsAdded) {
    db->AddKeywordTextToImage(keyOf('A'), "zebra,apple,mango");
    EXPECT_THAT(keywordOrder(keyOf('A')),
                UnorderedElementsAre(Pair("zebra", "1"), Pair("apple", "2"), Pair("mango", "3")));
    EXPECT_EQ(db->AddKeywordTextAndList("kiwi", keyOf('A')), "zebra,apple,mango,kiwi");
}

TEST_F(KeywordsTest, SortingNumbersFromZeroInAlphabeticalOrder) {
    db->AddKeywordTextToImage(keyOf('A'), "zebra,apple,mango");
    db->SortImageKeywords(keyOf('A'));
    EXPECT_THAT(keywordOrder(keyOf('A')),
                UnorderedElementsAre(Pair("apple", "0"), Pair("mango", "1"), Pair("zebra", "2")));
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("apple", "mango", "zebra"));
    db->AddKeywordTextToImage(keyOf('A'), "banana");
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("apple", "mango", "zebra", "banana"));
}

TEST_F(KeywordsTest, AlphabeticalOptionSortsWhenTheKeywordsAreRead) {
    SettingsStore store(folder.path(), folder / "registry.ini");
    store.writeBoolean(kOptionsSection, "KeywordsAlphaSort", true);
    TOptionsCache options(store);
    options.LoadOptions();
    db->SetOptions(&options);
    db->AddKeywordTextToImage(keyOf('A'), "zebra,apple");
    EXPECT_EQ(db->GetImageKeywordLine(keyOf('A')), "apple,zebra");
}

TEST_F(KeywordsTest, AKeywordAddedAfterARemovalGoesLast) {
    db->AddKeywordTextToImage(keyOf('A'), "one,two,three");
    db->RemoveKeywordFromImage(keyOf('A'), id("one"));
    db->AddKeywordTextToImage(keyOf('A'), "four");
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("two", "three", "four"));
    EXPECT_EQ(keywordOrder(keyOf('A'))["four"], "4");
}

TEST_F(KeywordsTest, MovingTheFirstKeywordUpOrTheLastDownChangesNothing) {
    db->AddKeywordTextToImage(keyOf('A'), "one,two,three");
    auto before = keywordOrder(keyOf('A'));
    db->MoveKeywordUp(keyOf('A'), id("one"));
    EXPECT_EQ(keywordOrder(keyOf('A')), before);
    db->MoveKeywordDown(keyOf('A'), id("three"));
    EXPECT_EQ(keywordOrder(keyOf('A')), before);
}

TEST_F(KeywordsTest, MovingSwapsWithTheNeighbour) {
    db->AddKeywordTextToImage(keyOf('A'), "one,two,three");
    db->MoveKeywordUp(keyOf('A'), id("three"));
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("one", "three", "two"));
    db->MoveKeywordDown(keyOf('A'), id("one"));
    std::string latest = db->LatestStatement();
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("three", "one", "two"));
    EXPECT_EQ(latest, "update IMAGE_KEYWORD set ORDER_ID = 1 where MD5 = '" + keyOf('A') +
                          "' and KEYWORD_ID = '" + id("three") + "'");
}

TEST_F(KeywordsTest, MovingAKeywordTheImageLacksChangesNothing) {
    db->AddKeywordTextToImage(keyOf('A'), "one,two");
    std::string stranger = db->GetOrCreateKeyword("stranger");
    StatementRecorder recorder(*connection);
    db->MoveKeywordUp(keyOf('A'), stranger);
    db->MoveKeywordDown(keyOf('A'), "NO SUCH ID");
    EXPECT_THAT(recorder.changes(), IsEmpty());
}

TEST_F(KeywordsTest, RepairNumbersRowsWithoutOrderFromZero) {
    db->AddKeywordTextToImage(keyOf('A'), "one,two,three");
    StatementRecorder untouched(*connection);
    db->RepairKeywordOrder(keyOf('A'));
    EXPECT_THAT(untouched.changes(), IsEmpty()) << "nothing to repair";
    execute("update IMAGE_KEYWORD set ORDER_ID = NULL where KEYWORD_ID = '" + id("two") + "'");
    db->RepairKeywordOrder(keyOf('A'));
    EXPECT_THAT(keywordOrder(keyOf('A')),
                UnorderedElementsAre(Pair("two", "0"), Pair("one", "1"), Pair("three", "2")));
}

TEST_F(KeywordsTest, DeleteKeywordReachesEveryTable) {
    addImage(keyOf('B'));
    db->AddKeywordTextToImage(keyOf('A'), "gone,kept");
    db->AddKeywordTextToImage(keyOf('B'), "gone");
    std::string category = db->CreateCategory(std::string("C"), "");
    db->AddKeywordTextToCategory(category, "gone");
    std::string gone = id("gone");
    execute("insert into RULE_KEY (KEYWORD_ID, RULE_ID) values ('" + gone + "', 'R1')");
    StatementRecorder recorder(*connection);
    db->DeleteKeyword("gone");
    std::string quoted = "'" + gone + "'";
    EXPECT_THAT(recorder.changes(),
                ElementsAre("delete from RULE_KEY where KEYWORD_ID = " + quoted,
                            "delete from CATEGORY_KEYWORD where KEYWORD_ID = " + quoted,
                            "delete from IMAGE_KEYWORD where KEYWORD_ID = " + quoted,
                            "delete from KEYWORDS where KEYWORD_ID = " + quoted));
    EXPECT_EQ(count("select * from RULE_KEY"), 0u);
    EXPECT_THAT(db->GetCategoryKeywords(category), IsEmpty());
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("kept"));
    EXPECT_THAT(db->GetImageKeywords(keyOf('B')), IsEmpty());
}

TEST_F(KeywordsTest, AddingToAnImageOutsideTheCatalogueTellsTheUser) {
    std::string sky = db->GetOrCreateKeyword("sky");
    db->AddKeywordToImage(keyOf('Z'), sky);
    EXPECT_EQ(count("select * from IMAGE_KEYWORD"), 0u);
    EXPECT_THAT(
        prompts.messages,
        ElementsAre("Please find the image in the folder tree, system can't recognize an image"));
}

TEST_F(KeywordsTest, MergingGivesBothImagesTheUnionAtTheirEnds) {
    addImage(keyOf('B'));
    db->AddKeywordTextToImage(keyOf('A'), "sun,sea");
    db->AddKeywordTextToImage(keyOf('B'), "sea,sand");
    db->MergeImageKeywords(keyOf('A'), keyOf('B'));
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), ElementsAre("sun", "sea", "sand"));
    EXPECT_THAT(db->GetImageKeywords(keyOf('B')), ElementsAre("sea", "sand", "sun"));
}

TEST_F(KeywordsTest, EmptyWordsCreateNoKeyword) {
    db->AddKeywordTextToImage(keyOf('A'), " , ;\t;\r\n");
    EXPECT_EQ(count("select * from KEYWORDS"), 0u);
}

} // namespace
} // namespace orvella::test
