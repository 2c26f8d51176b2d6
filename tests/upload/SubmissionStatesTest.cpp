// The submission state rules: the grid's rows, the per-stock setting with its
// questions, the global status command and the upload comments.
#include "upload/SubmissionStates.h"
#include "../catalogue/OperationsFixture.h"
#include "metadata/IPTCData.h"

#include <QImage>
#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kMissingTail =
    " is missing.\n\rDo you want to set `Ready to upload` state all the same?";
const char* const kIptcTail = " has missing or invalid IPTC data.\n\rDo you want to set `Ready to "
                              "upload` state all the same?";

class SubmissionStatesTest : public OperationsTest {
protected:
    SubmissionStatesTest() { std::filesystem::create_directories(folder / "photos"); }

    void addStock(int id, const std::string& name, bool ftp) {
        execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED) values (" +
                std::to_string(id) + ", '" + name + "', 1, " + (ftp ? "1" : "0") + ")");
    }
    SubmissionStates states() {
        return SubmissionStates(*db, prompts, progress, db->GetStocks(true));
    }

    enum class Content { None, Plain, CompleteIptc, Other };
    // A catalogued image in the photos folder, keyed by letter.
    SelectedImage image(char letter, const std::string& name, Content content) {
        std::filesystem::path path = folder / "photos" / name;
        if (content == Content::Other)
            writeFile(path, "%!PS-Adobe-3.0 EPSF-3.0\n");
        if (content == Content::Plain || content == Content::CompleteIptc)
            QImage(16, 16, QImage::Format_RGB32)
                .save(QString::fromStdString(path.string()), "JPEG");
        if (content == Content::CompleteIptc)
            for (const char* dataset : {"ObjectName", "ImageCaption", "Keywords"})
                WriteIPTCFieldToFile(path, dataset, "sea");
        addImage(keyOf(letter), name, (folder / "photos").string());
        TImageData data{name, (folder / "photos").string(), path.string(), 1234, {}, keyOf(letter),
                        false};
        return {name, data};
    }
    std::string stateOf(char letter, int stockId) {
        auto found = rows("select STATE_ID from IMAGE_STOCK where MD5 = '" + keyOf(letter) +
                          "' and STOCK_ID = " + std::to_string(stockId));
        return found.empty() ? "none" : found.front()["STATE_ID"];
    }
};

TEST_F(SubmissionStatesTest, ReadyToUploadAsksTheFirstMatchingQuestionOnly) {
    addStock(0, "Plain", false);
    addStock(1, "Ftp", true);
    std::string photos = (folder / "photos").string();
    const struct {
        const char* what;
        char letter;
        const char* name;
        Content content;
        int stock;
        std::vector<std::string> questions; // "" stands for no question
    } cases[] = {
        {"a missing RAW file",
         'a',
         "gone.nef",
         Content::None,
         0,
         {"File " + photos + "/gone.nef" + kMissingTail}},
        {"a RAW file",
         'b',
         "shot.nef",
         Content::Plain,
         1,
         {"Do you want to upload file in RAW format?"}},
        {"a JPEG without IPTC at a stock without FTP",
         'c',
         "bare.jpg",
         Content::Plain,
         0,
         {"File " + photos + "/bare.jpg" + kIptcTail}},
        {"an EPS at a stock with FTP", 'd', "art.eps", Content::Other, 1, {}},
        {"an EPS at a stock without FTP",
         'e',
         "art2.eps",
         Content::Other,
         0,
         {"Stock Plain doesn't support FTP uploading. Do you want set `Ready to upload` state "
          "anyway?"}},
        {"a complete JPEG at a stock with FTP", 'f', "full.jpg", Content::CompleteIptc, 1, {}},
    };
    for (const auto& c : cases) {
        prompts.questions.clear();
        SelectedImage selected = image(c.letter, c.name, c.content);
        SubmissionStates rules = states();
        StateSettingOutcome outcome = rules.SetStockState(c.stock, 1, {selected});
        EXPECT_TRUE(outcome.ran) << c.what;
        EXPECT_EQ(prompts.questions, c.questions) << c.what;
        EXPECT_EQ(stateOf(c.letter, c.stock), "1") << c.what << ": Yes sets the state";
    }
    EXPECT_THAT(logLines(),
                Contains("Ready to upload state for missing image " + photos + "/gone.nef"));
    EXPECT_THAT(logLines(),
                Contains("Ready to upload state for RAW image " + photos + "/shot.nef"));
    EXPECT_THAT(logLines(), Contains("Ready to upload state for image with absent IPTC data " +
                                     photos + "/bare.jpg"));
    EXPECT_THAT(logLines(), Contains("Ready to upload state for stock without FTP support " +
                                     photos + "/art2.eps"));
    EXPECT_THAT(logLines(),
                Contains("Try to set Ready to upload state for " + photos + "/full.jpg"));
    EXPECT_THAT(logLines(), Contains("Set state number 1 for image " + photos + "/full.jpg"));
    EXPECT_THAT(prompts.messages, IsEmpty());
}

TEST_F(SubmissionStatesTest, TheGlobalCommandAsksVectorFilesAboutIptcAndSetsEveryStock) {
    addStock(0, "Plain", false);
    addStock(3, "Ftp", true);
    SelectedImage eps = image('a', "art.eps", Content::Other);
    prompts.answers = {false};
    states().SetGlobalStatus(2, {eps});
    EXPECT_THAT(prompts.questions, ElementsAre("File " + eps.image->FullName + kIptcTail));
    EXPECT_EQ(stateOf('a', 0), "none");

    const struct {
        int tag;
        const char* code;
    } tags[] = {{1, "0"}, {2, "1"}, {3, "2"}, {4, "4"}, {5, "5"}, {6, "6"}, {7, "7"}};
    for (const auto& t : tags) {
        StateSettingOutcome outcome = states().SetGlobalStatus(t.tag, {eps});
        EXPECT_EQ(stateOf('a', 0), t.code) << "tag " << t.tag;
        EXPECT_EQ(stateOf('a', 3), t.code) << "tag " << t.tag;
        EXPECT_EQ(outcome.lastKey, keyOf('a'));
    }
    std::vector<std::string> captions;
    for (const GlobalStatusItem& item : GlobalStatusItems())
        captions.push_back(item.caption + " " + item.shortcut);
    EXPECT_THAT(captions, ElementsAre("Not ready Shift+Ctrl+F1", "Ready to upload Shift+Ctrl+F2",
                                      "Pending Shift+Ctrl+F3", "Rejected Shift+Ctrl+F4",
                                      "Accepted Shift+Ctrl+F5", "Resubmit Shift+Ctrl+F6",
                                      "Donated Shift+Ctrl+F7"));
    EXPECT_FALSE(states().SetGlobalStatus(2, {}).ran);
}

TEST_F(SubmissionStatesTest, ADeclinedImageIsLeftAndTheOthersAreSet) {
    addStock(0, "Plain", false);
    std::vector<SelectedImage> selection;
    for (char letter : {'a', 'b', 'c', 'd', 'e'})
        selection.push_back(image(letter, std::string(1, letter) + ".jpg", Content::Plain));
    prompts.answers = {true, true, false, true, true};
    StateSettingOutcome outcome = states().SetStockState(0, 1, selection);

    EXPECT_EQ(prompts.questions.size(), 5u);
    for (char letter : {'a', 'b', 'd', 'e'})
        EXPECT_EQ(stateOf(letter, 0), "1") << letter;
    EXPECT_EQ(stateOf('c', 0), "none");
    EXPECT_THAT(outcome.failed, IsEmpty());
    EXPECT_THAT(progress.events,
                ElementsAre("open 4", "step 0", "step 1", "step 2", "step 3", "step 4", "close"));
}

TEST_F(SubmissionStatesTest, FailuresAreReportedTogetherAtTheEnd) {
    addStock(0, "Plain", false);
    std::vector<SelectedImage> selection;
    for (char letter : {'a', 'b', 'c', 'd'})
        selection.push_back(image(letter, std::string(1, letter) + ".jpg", Content::Plain));
    selection.push_back({"no data", std::nullopt});
    execute("create trigger refuse before insert on IMAGE_STOCK when NEW.MD5 in ('" + keyOf('b') +
            "', '" + keyOf('d') + "') begin select raise(abort, 'refused'); end");

    StateSettingOutcome outcome = states().SetStockState(0, 5, selection);

    EXPECT_EQ(stateOf('a', 0), "5");
    EXPECT_EQ(stateOf('c', 0), "5");
    std::string b = selection[1].image->FullName, d = selection[3].image->FullName;
    EXPECT_THAT(outcome.failed, ElementsAre(b, d, "no data"));
    EXPECT_THAT(prompts.messages, ElementsAre("The state could not be set for 3 images:\n" + b +
                                              "\n" + d + "\nno data"));
    EXPECT_THAT(logLines(), Contains("Set state for image " + b + " failed"));
    EXPECT_THAT(progress.events.back(), "close");

    prompts.messages.clear();
    StateSettingOutcome global = states().SetGlobalStatus(5, {selection[1], selection[2]});
    EXPECT_THAT(global.failed, ElementsAre(b));
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(SubmissionStatesTest, NothingSelectedOrNoDataShowsTheMessage) {
    addStock(0, "Plain", true);
    EXPECT_FALSE(states().SetStockState(0, 2, {}).ran);
    EXPECT_FALSE(states().SetStockState(0, 2, {{"caption.jpg", std::nullopt}}).ran);
    EXPECT_THAT(prompts.messages, ElementsAre("You should select a file before set a state!",
                                              "You should select a file before set a state!"));
    EXPECT_THAT(logLines(), Contains("No files selected"));
    EXPECT_THAT(logLines(), Contains("Invalid data for caption.jpg"));
    EXPECT_THAT(progress.events, IsEmpty());
}

TEST_F(SubmissionStatesTest, TheFtpQuestionNamesTheSelectorsOwnStock) {
    addStock(0, "Zero", true);
    addStock(2, "Two", true);
    addStock(5, "Five", false);
    SelectedImage eps = image('a', "a.eps", Content::Other);
    states().SetStockState(5, 1, {eps});
    EXPECT_THAT(prompts.questions, ElementsAre("Stock Five doesn't support FTP uploading. Do you "
                                               "want set `Ready to upload` state anyway?"));
    EXPECT_EQ(stateOf('a', 5), "1");
    EXPECT_EQ(stateOf('a', 2), "none");
}

TEST_F(SubmissionStatesTest, GridRowsShowEveryListedStock) {
    addStock(0, "Zero", true);
    addStock(2, "Two", true);
    SelectedImage a = image('a', "a.jpg", Content::Plain);
    db->SetState(2, keyOf('a'), 3);
    db->SetUploadComment(2, keyOf('a'), "sent twice");
    std::vector<std::string> shown;
    for (const StockStateRow& row : states().ShowStates(keyOf('a')))
        shown.push_back(row.stockName + "|" + row.stateName + "|" + row.comment);
    EXPECT_THAT(shown, ElementsAre("Zero|Not ready|", "Two|Pending|sent twice"));
    EXPECT_EQ(StateCodeOfName("upload FAILED"), 3);
    EXPECT_FALSE(StateCodeOfName("Lost"));
}

TEST_F(SubmissionStatesTest, CommentsAreCutAndBlankOnlyChangesAreNotWritten) {
    addStock(0, "Zero", true);
    addStock(1, "One", true);
    image('a', "a.jpg", Content::Plain);
    db->SetUploadComment(1, keyOf('a'), "kept");
    SubmissionStates rules = states();

    StatementRecorder recorder(*connection);
    rules.SaveComments(keyOf('a'), {"  ", "  kept "});
    EXPECT_THAT(recorder.changes(), IsEmpty());

    std::string long300;
    for (int i = 0; i < 300; ++i)
        long300 += static_cast<char>('a' + i % 26);
    rules.SaveComments(keyOf('a'), {long300, "new"});
    auto stored = rows("select STOCK_ID, UPLOAD_COMMENT from IMAGE_STOCK where MD5 = '" +
                       keyOf('a') + "' order by STOCK_ID");
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0]["UPLOAD_COMMENT"], long300.substr(0, 255));
    EXPECT_EQ(stored[1]["UPLOAD_COMMENT"], "new");

    std::string accents;
    for (int i = 0; i < 300; ++i)
        accents += "\xC3\xA9"; // é
    EXPECT_EQ(StoredComment(accents).size(), 510u);
    rules.SaveComments("", {"ignored"});
}

TEST_F(SubmissionStatesTest, AnUploadsEntryStaysOnlyWhileReadyAtItsGroupsStock) {
    addStock(0, "Alpha", true);
    addStock(1, "Beta", true);
    SelectedImage a = image('a', "a.jpg", Content::Plain);
    db->SetState(0, keyOf('a'), 2);
    db->SetState(1, keyOf('a'), 2);
    states().SetStockState(0, 0, {a});
    EXPECT_FALSE(UploadEntryStillReady(*db, "Alpha (3)", keyOf('a')));
    EXPECT_TRUE(UploadEntryStillReady(*db, "Beta (3)", keyOf('a')));
    EXPECT_TRUE(UploadEntryStillReady(*db, "Nobody (1)", keyOf('a')));
}

} // namespace
} // namespace orvella::test
