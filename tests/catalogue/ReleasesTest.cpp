#include "OperationsFixture.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;

class ReleasesTest : public OperationsTest {};

TEST_F(ReleasesTest, ReleasesAreListedByModelName) {
    std::string zoe = db->AddModelRelease("/r/zoe.jpg", "Zoe");
    std::string adam = db->AddModelRelease("/r/adam.jpg", "Adam");
    TModelReleases releases = db->GetModelReleases();
    ASSERT_EQ(releases.size(), 2u);
    EXPECT_EQ(releases[0].ReleaseId, adam);
    EXPECT_EQ(releases[0].FileName, "/r/adam.jpg");
    EXPECT_EQ(releases[1].ModelName, "Zoe");
    EXPECT_EQ(releases[1].ReleaseId, zoe);
    EXPECT_NE(rows("select RELEASE_DATE from MODEL_RELEASE").at(0)["RELEASE_DATE"], "<null>");
}

TEST_F(ReleasesTest, AttachingTwiceAddsOneRow) {
    addImage(keyOf('A'));
    TMR release{db->AddModelRelease("/r/a.jpg", "A"), "", ""};
    db->AttachRelease(keyOf('A'), release);
    db->AttachRelease(keyOf('A'), release);
    EXPECT_EQ(count("select * from IMAGE_RELEASE"), 1u);
    EXPECT_THAT(logLines(), ElementsAre("New release added. ID " + release.ReleaseId,
                                        "Image release already exists"));
    db->DetachRelease(keyOf('A'), release);
    EXPECT_TRUE(db->GetImageReleases(keyOf('A')).empty());
}

TEST_F(ReleasesTest, DeletingAReleaseRemovesItFromEveryImage) {
    addImage(keyOf('A'));
    addImage(keyOf('B'));
    TMR gone{db->AddModelRelease("/r/a.jpg", "A"), "", ""};
    TMR kept{db->AddModelRelease("/r/b.jpg", "B"), "", ""};
    db->AttachRelease(keyOf('A'), gone);
    db->AttachRelease(keyOf('B'), gone);
    db->AttachRelease(keyOf('B'), kept);
    db->DeleteRelease(gone.ReleaseId);
    EXPECT_TRUE(db->GetImageReleases(keyOf('A')).empty());
    ASSERT_EQ(db->GetImageReleases(keyOf('B')).size(), 1u);
    EXPECT_EQ(db->GetImageReleases(keyOf('B'))[0].ReleaseId, kept.ReleaseId);
    EXPECT_EQ(count("select * from MODEL_RELEASE"), 1u);
}

// The EXIF and IPTC caches behave alike; each case runs on both.
struct CacheCase {
    const char* name;
    std::string (TStockDBObject::*store)(const std::string&, const std::string&,
                                         const std::string&);
    const char* tagTable;
    const char* valueTable;
};

class MetadataCacheTest : public OperationsTest, public ::testing::WithParamInterface<CacheCase> {};

TEST_P(MetadataCacheTest, StoringATagAgainReplacesItsValue) {
    const CacheCase& c = GetParam();
    std::string first = (db.get()->*c.store)(keyOf('A'), "Model", "old");
    std::string second = (db.get()->*c.store)(keyOf('A'), "model", "new");
    (db.get()->*c.store)(keyOf('B'), "MODEL", "other image");
    EXPECT_NE(first, second);
    EXPECT_EQ(count(std::string("select * from ") + c.tagTable), 1u)
        << "tag names compare without letter case";
    auto values =
        rows(std::string("select * from ") + c.valueTable + " where MD5 = '" + keyOf('A') + "'");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0]["AVALUE"], "new");
    EXPECT_EQ(count(std::string("select * from ") + c.valueTable), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Caches, MetadataCacheTest,
    ::testing::Values(CacheCase{"Exif", &TStockDBObject::StoreExifValue, "EXIFTAG", "EXIF"},
                      CacheCase{"Iptc", &TStockDBObject::StoreIptcValue, "IPTCTAG", "IPTC"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvella::test
