#include "OperationsFixture.h"

#include "catalogue/SqlText.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ImageRecordsTest : public OperationsTest {};

TEST_F(ImageRecordsTest, AddImageStoresTheFileAsFoundAndOnlyOnce) {
    addImage(keyOf('A'), "Holiday.JPG", "/home/Me/Photos");
    auto images = rows("select * from IMAGES");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]["FileName"], "Holiday.JPG");
    EXPECT_EQ(images[0]["FilePath"], "/home/Me/Photos");
    EXPECT_EQ(images[0]["FileSize"], "1234");
    EXPECT_EQ(images[0]["ImgBits"], "24");
    EXPECT_EQ(images[0]["ParentCopy"], "");
    EXPECT_EQ(images[0]["CreationDate"], "2020-01-02 03:04:05");
    EXPECT_EQ(images[0]["ModifyDate"], "2021-06-07 08:09:10");
    EXPECT_EQ(db->GetImagePath(keyOf('A')), "/home/Me/Photos/Holiday.JPG");

    StatementRecorder recorder(*connection);
    addImage(keyOf('A'), "other.jpg", "/elsewhere");
    EXPECT_THAT(recorder.changes(), IsEmpty());
    EXPECT_EQ(db->GetImagePath(keyOf('A')), "/home/Me/Photos/Holiday.JPG");
}

TEST_F(ImageRecordsTest, ImagePathOfAnUnknownKeyIsEmptyAndRootFolderHasOneSlash) {
    EXPECT_EQ(db->GetImagePath(keyOf('B')), "");
    addImage(keyOf('B'), "top.jpg", "/");
    EXPECT_EQ(db->GetImagePath(keyOf('B')), "/top.jpg");
}

TEST_F(ImageRecordsTest, RenameAndMoveKeepTheRecord) {
    addImage(keyOf('A'));
    db->SetImageFileName(keyOf('A'), "New Name.jpg");
    db->SetImageFolder(keyOf('A'), "/archive/2021");
    EXPECT_EQ(db->GetImagePath(keyOf('A')), "/archive/2021/New Name.jpg");
    EXPECT_EQ(db->LatestStatement(), "select * from IMAGES where MD5 = '" + keyOf('A') + "'");
}

TEST_F(ImageRecordsTest, ReKeyedImageKeepsItsKeywordsStatesCategoriesAndReleases) {
    addImage(keyOf('A'));
    db->AddKeywordTextToImage(keyOf('A'), "sky,sea");
    db->SetState(2, keyOf('A'), 3);
    std::string category = db->CreateCategory(std::string("Nature"), "");
    db->AddImageToCategory(category, keyOf('A'));
    std::string release = db->AddModelRelease("/releases/anna.jpg", "Anna");
    db->AttachRelease(keyOf('A'), {release, "", ""});

    StatementRecorder recorder(*connection);
    db->ChangeImageKey(keyOf('C'), keyOf('A'));
    EXPECT_THAT(recorder.statements, ElementsAre("update IMAGES set MD5 = '" + keyOf('C') +
                                                 "' where MD5 = '" + keyOf('A') + "'"));

    EXPECT_THAT(db->GetImageKeywords(keyOf('C')), ElementsAre("sky", "sea"));
    EXPECT_EQ(db->GetState(2, keyOf('C')), 3);
    EXPECT_TRUE(db->IsImageInCategory(category, keyOf('C')));
    ASSERT_EQ(db->GetImageReleases(keyOf('C')).size(), 1u);
    EXPECT_EQ(db->GetImageReleases(keyOf('C'))[0].ReleaseId, release);
    EXPECT_THAT(db->GetImageKeywords(keyOf('A')), IsEmpty());
}

TEST_F(ImageRecordsTest, DeleteImageRemovesEverythingAttachedButTheMetadataCache) {
    addImage(keyOf('A'));
    db->AddKeywordTextToImage(keyOf('A'), "sky");
    db->SetState(0, keyOf('A'), 2);
    db->StoreExifValue(keyOf('A'), "Model", "Camera");
    StatementRecorder recorder(*connection);
    db->DeleteImage(keyOf('A'));
    std::string key = "'" + keyOf('A') + "'";
    EXPECT_THAT(recorder.changes(), ElementsAre("delete from IMAGE_RELEASE where MD5 = " + key,
                                                "delete from IMAGE_STOCK where MD5 = " + key,
                                                "delete from IMAGE_KEYWORD where MD5 = " + key,
                                                "delete from IMAGE_CATEGORY where MD5 = " + key,
                                                "delete from IMAGES where MD5 = " + key));
    EXPECT_EQ(count("select * from IMAGES"), 0u);
    EXPECT_EQ(count("select * from IMAGE_KEYWORD"), 0u);
    EXPECT_EQ(count("select * from IMAGE_STOCK"), 0u);
    EXPECT_EQ(count("select * from EXIF"), 1u);
}

TEST_F(ImageRecordsTest, DeleteImageOfAnUnknownKeyRunsNoDelete) {
    StatementRecorder recorder(*connection);
    db->DeleteImage(keyOf('A'));
    EXPECT_THAT(recorder.changes(), IsEmpty());
}

TEST_F(ImageRecordsTest, CleanupOrphansDeletesRowsWithoutNameAndFolder) {
    addImage(keyOf('A'), "", "");
    addImage(keyOf('B'), "kept.jpg", "");
    addImage(keyOf('C'), "", "");
    db->SetState(1, keyOf('C'), 2);
    db->CleanupOrphans();
    EXPECT_THAT(progress.events, ElementsAre("open 2", "step 0", "step 1", "close"));
    auto left = rows("select MD5 from IMAGES");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]["MD5"], keyOf('B'));
    EXPECT_EQ(count("select * from IMAGE_STOCK"), 0u);
}

TEST_F(ImageRecordsTest, CleanupOrphansWithoutOrphansShowsNoProgress) {
    addImage(keyOf('A'));
    db->CleanupOrphans();
    EXPECT_THAT(progress.events, IsEmpty());
}

TEST_F(ImageRecordsTest, CleanupOrphansClosesItsProgressWindowOnAnError) {
    addImage(keyOf('A'), "", "");
    execute("drop table IMAGE_RELEASE");
    EXPECT_THROW(db->CleanupOrphans(), EDatabaseError);
    EXPECT_THAT(progress.events, ElementsAre("open 1", "close"));
    EXPECT_EQ(db->LatestStatement(), "delete from IMAGE_RELEASE where MD5 = '" + keyOf('A') + "'");
}

TEST_F(ImageRecordsTest, StateOrdinalsMapToStoredCodes) {
    addImage(keyOf('A'));
    EXPECT_EQ(db->GetState(4, keyOf('A')), 0) << "no row reads as Not ready";
    for (uint8_t ordinal = 1; ordinal <= 8; ++ordinal) {
        db->SetState(4, keyOf('A'), ordinal);
        auto stored = rows("select STATE_ID from IMAGE_STOCK where STOCK_ID = 4");
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(stored[0]["STATE_ID"], std::to_string(ordinal - 1));
        EXPECT_EQ(db->GetState(4, keyOf('A')), ordinal);
    }
    EXPECT_THROW(db->SetState(4, keyOf('A'), 0), std::invalid_argument);
    EXPECT_THROW(db->SetState(4, keyOf('A'), 9), std::invalid_argument);
}

TEST_F(ImageRecordsTest, StoredStateTextsReadAsOrdinals) {
    struct Case {
        const char* stored;
        uint8_t ordinal;
    };
    for (Case c :
         {Case{"0", 1}, Case{"7", 8}, Case{"8", 0}, Case{"x", 0}, Case{"", 0}, Case{"12", 0}}) {
        SCOPED_TRACE(c.stored);
        execute("delete from IMAGE_STOCK");
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + keyOf('A') +
                "', 1, " + QuotedStr(c.stored) + ")");
        EXPECT_EQ(db->GetState(1, keyOf('A')), c.ordinal);
        ASSERT_EQ(db->GetStates(keyOf('A')).size(), 1u);
        EXPECT_EQ(db->GetStates(keyOf('A'))[0].State, c.ordinal);
    }
}

TEST_F(ImageRecordsTest, SetStateInsertsThenUpdatesWithTheExactStatements) {
    addImage(keyOf('A'));
    db->SetState(3, keyOf('A'), 2);
    EXPECT_EQ(db->LatestStatement(), "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID)  values('" +
                                         keyOf('A') + "', 3, '1')");
    db->SetState(3, keyOf('A'), 6);
    EXPECT_EQ(db->LatestStatement(), "update IMAGE_STOCK set STATE_ID = '5' where MD5 ='" +
                                         keyOf('A') + "' and STOCK_ID = 3");
    EXPECT_EQ(count("select * from IMAGE_STOCK"), 1u);
}

TEST_F(ImageRecordsTest, SetStateOfAnImageOutsideTheCatalogueTellsTheUserAndStoresNothing) {
    db->SetState(3, keyOf('D'), 2);
    EXPECT_EQ(count("select * from IMAGE_STOCK"), 0u);
    EXPECT_THAT(
        prompts.messages,
        ElementsAre("Please find the image in the folder tree, system can't recognize an image"));
    EXPECT_THAT(
        logLines(),
        ElementsAre("Attempt to update a state for unavaliable image... MD5 = " + keyOf('D')));
}

TEST_F(ImageRecordsTest, UploadCommentCreatesANotReadyRowEvenWithoutAnImage) {
    db->SetUploadComment(2, keyOf('E'), "resize first");
    auto stored = rows("select * from IMAGE_STOCK");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]["STATE_ID"], "0");
    EXPECT_EQ(stored[0]["UPLOAD_COMMENT"], "resize first");
    EXPECT_EQ(db->GetState(2, keyOf('E')), 1);

    db->SetUploadComment(2, keyOf('E'), "done");
    EXPECT_EQ(count("select * from IMAGE_STOCK where UPLOAD_COMMENT = 'done'"), 1u);
    EXPECT_EQ(count("select * from IMAGE_STOCK"), 1u);
}

TEST_F(ImageRecordsTest, GetStatesListsEveryStockInOrderWithCommentAndDate) {
    addImage(keyOf('A'));
    db->SetState(5, keyOf('A'), 3);
    db->SetState(1, keyOf('A'), 2);
    db->SetUploadComment(5, keyOf('A'), "note");
    execute("update IMAGE_STOCK set UPLOAD_DATE = '2022-03-04 05:06:07' where STOCK_ID = 5");
    TStockStates states = db->GetStates(keyOf('A'));
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].StockId, 1);
    EXPECT_EQ(states[0].State, 2);
    EXPECT_EQ(states[0].UploadDate, DateTime{});
    EXPECT_EQ(states[1].StockId, 5);
    EXPECT_EQ(states[1].State, 3);
    EXPECT_EQ(states[1].UploadComment, "note");
    EXPECT_EQ(toIsoText(states[1].UploadDate), "2022-03-04 05:06:07");
    EXPECT_THAT(db->GetStates(keyOf('B')), IsEmpty());
}

TEST_F(ImageRecordsTest, StateSummaryNamesStockAndState) {
    addImage(keyOf('A'));
    db->AddStock("Agency One", "", false, "");
    db->SetState(0, keyOf('A'), 3);
    std::vector<std::string> lines{"stale line"};
    db->GetStateSummary(lines, keyOf('A'));
    EXPECT_THAT(lines, ElementsAre("Agency One: Pending"));
    EXPECT_EQ(db->GetStateName("9"), "");
}

TEST_F(ImageRecordsTest, RemoveStateDeletesOneStockRowAndIgnoresAnEmptyKey) {
    addImage(keyOf('A'));
    db->SetState(1, keyOf('A'), 2);
    db->SetState(2, keyOf('A'), 2);
    StatementRecorder recorder(*connection);
    db->RemoveState(1, "");
    EXPECT_THAT(recorder.statements, IsEmpty());
    db->RemoveState(1, keyOf('A'));
    EXPECT_EQ(db->GetState(1, keyOf('A')), 0);
    EXPECT_EQ(db->GetState(2, keyOf('A')), 2);
}

// Every text argument of the catalogue operations may hold apostrophes; each
// must be stored and found again unchanged.
TEST_F(ImageRecordsTest, ApostrophesInEveryTextArgument) {
    const std::string quote = "it's o'clock ''";
    THashData file = addImage(keyOf('A'), quote + ".jpg", "/" + quote);
    EXPECT_EQ(db->GetImagePath(keyOf('A')), file.FullName);
    db->SetImageFileName(keyOf('A'), "b" + quote);
    db->SetImageFolder(keyOf('A'), "/c" + quote);
    EXPECT_EQ(db->GetImagePath(keyOf('A')), "/c" + quote + "/b" + quote);
    db->SetUploadComment(0, keyOf('A'), quote);
    EXPECT_EQ(db->GetStates(keyOf('A'))[0].UploadComment, quote);

    db->AddStock(quote, "http://" + quote, true, "ftp." + quote);
    db->SetStockFtpLogin(0, "l" + quote, "p" + quote);
    db->SetStockWebLogin(0, "w" + quote, "x" + quote);
    EXPECT_EQ(db->GetStockId(quote), 0);
    TStock stock = db->GetStocks(false).at(0);
    EXPECT_EQ(stock.Name, quote);
    EXPECT_EQ(stock.Url, "http://" + quote);
    EXPECT_EQ(stock.FtpHost, "ftp." + quote);
    EXPECT_EQ(stock.FtpLogin, "l" + quote);
    EXPECT_EQ(stock.FtpPassword, "p" + quote);
    EXPECT_EQ(stock.WebLogin, "w" + quote);
    EXPECT_EQ(stock.WebPassword, "x" + quote);

    // The apostrophe parts keywords in a typed text, but a keyword may
    // still hold one.
    db->AddKeywordToImage(keyOf('A'), db->GetOrCreateKeyword("children's toys"));
    EXPECT_FALSE(db->FindKeywordId("children's toys").empty());
    EXPECT_EQ(db->GetImageKeywordLine(keyOf('A')), "children's toys");
    db->DeleteKeyword("children's toys");
    EXPECT_EQ(count("select * from KEYWORDS"), 0u);

    std::string category = db->CreateCategory(quote, "");
    EXPECT_TRUE(db->CategoryExists(quote, ""));
    db->RenameCategory(category, "r" + quote);
    EXPECT_TRUE(db->CategoryExists("r" + quote, ""));
    db->AddKeywordToCategory(category, db->GetOrCreateKeyword("l'eau"));
    EXPECT_THAT(db->GetCategoryKeywords(category), ElementsAre("l'eau"));

    std::string release = db->AddModelRelease("/m/" + quote + ".jpg", quote);
    EXPECT_EQ(db->GetModelReleases().at(0).FileName, "/m/" + quote + ".jpg");
    EXPECT_EQ(db->GetModelReleases().at(0).ModelName, quote);

    db->StoreExifValue(keyOf('A'), "Maker's note", quote);
    db->StoreIptcValue(keyOf('A'), "Photographer's", quote);
    EXPECT_EQ(count("select * from EXIF where AVALUE = " + QuotedStr(quote)), 1u);
    EXPECT_EQ(count("select * from IPTCTAG where DEFAULT_VALUE = " + QuotedStr("Photographer's")),
              1u);
}

} // namespace
} // namespace orvella::test
