#include "files/ModelReleases.h"
#include "catalogue/StockDB.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct ModelReleasesTest : ::testing::Test {
    test::TempFolder root;
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;
    test::ScriptedPrompts prompts;
    std::unique_ptr<ModelReleaseBook> book;

    void SetUp() override {
        fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", root / "Orvella.dat");
        connection = std::make_unique<TCatalogueConnection>(root / "Orvella.dat");
        db = std::make_unique<TStockDBObject>(*connection);
        book = std::make_unique<ModelReleaseBook>(*db, prompts);
    }
    std::vector<std::string> names() {
        std::vector<std::string> result;
        for (const TModelRelease& release : book->Releases())
            result.push_back(release.ModelName);
        return result;
    }
};

TEST_F(ModelReleasesTest, AddSaysWhatIsMissingFileFirst) {
    struct Case {
        const char* file;
        const char* name;
        const char* message;
    };
    for (Case c : {Case{"", "", "You should load model release picture"},
                   Case{"  ", "Anna", "You should load model release picture"},
                   Case{"/r/anna.jpg", " ", "You should enter model name"}}) {
        prompts.messages.clear();
        EXPECT_EQ(book->Add(c.file, c.name), "");
        EXPECT_THAT(prompts.messages, ElementsAre(c.message));
    }
    EXPECT_THAT(book->Releases(), IsEmpty());

    EXPECT_NE(book->Add("/r/zoe.jpg", "Zoe"), "");
    EXPECT_NE(book->Add("/r/anna.jpg", "Anna"), "");
    EXPECT_THAT(names(), ElementsAre("Anna", "Zoe"));
}

TEST_F(ModelReleasesTest, AttachingTwiceAddsOneRowAndDeletingReachesEveryImage) {
    TMR anna{book->Add("/r/anna.jpg", "Anna"), "/r/anna.jpg", "Anna"};
    TMR zoe{book->Add("/r/zoe.jpg", "Zoe"), "/r/zoe.jpg", "Zoe"};
    const std::string first(32, 'A'), second(32, 'B');
    book->SetAttached(first, anna, true);
    book->SetAttached(first, anna, true);
    book->SetAttached(first, zoe, true);
    book->SetAttached(second, anna, true);
    EXPECT_EQ(db->GetImageReleases(first).size(), 2u);
    EXPECT_EQ(book->AttachedTo(first), (std::set<std::string>{anna.ReleaseId, zoe.ReleaseId}));

    book->SetAttached(first, zoe, false);
    EXPECT_EQ(book->AttachedTo(first), std::set<std::string>{anna.ReleaseId});

    book->Delete(anna.ReleaseId);
    EXPECT_THAT(book->AttachedTo(first), IsEmpty());
    EXPECT_THAT(book->AttachedTo(second), IsEmpty());
    EXPECT_THAT(names(), ElementsAre("Zoe"));
}

TEST_F(ModelReleasesTest, AnImageDroppedOnTheListAsksForTheModelName) {
    prompts.texts = {std::nullopt, std::string("  "), std::string("Mia Lee")};
    EXPECT_EQ(book->AddFromImage("/photos/mia.jpg"), "");
    EXPECT_EQ(book->AddFromImage("/photos/mia.jpg"), "");
    EXPECT_NE(book->AddFromImage("/photos/mia.jpg"), "");
    ASSERT_EQ(book->Releases().size(), 1u);
    EXPECT_EQ(book->Releases()[0].FileName, "/photos/mia.jpg");
    EXPECT_EQ(book->Releases()[0].ModelName, "Mia Lee");
}

TEST_F(ModelReleasesTest, AReleaseIsFoundByItsUniqueModelName) {
    book->Add("/r/a.jpg", "Anna");
    EXPECT_EQ(book->ReleaseOfModel("anna").FileName, "/r/a.jpg");
    EXPECT_THROW(book->ReleaseOfModel("Zoe"), std::runtime_error);
    book->Add("/r/b.jpg", "Anna");
    EXPECT_THROW(book->ReleaseOfModel("Anna"), std::runtime_error);
}

} // namespace
} // namespace orvella
