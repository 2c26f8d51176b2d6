// IPTC written into a file reached through a symbolic link, or into a file
// with a second hard link: the real file is the one rewritten, the link stays
// a link, and the file keeps its mode and owner; links are never parted.
#include "MetadataFixtures.h"
#include "metadata/IPTCData.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr uid_t kOtherUser = 65534; // "nobody", a user the test does not run as

struct stat factsOf(const fs::path& file) {
    struct stat facts {};
    EXPECT_EQ(::stat(file.c_str(), &facts), 0) << file;
    return facts;
}

class LinkedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        original_ = withSegments(plainJpeg(),
                                 jpegSegment(0xED, photoshopPayload(iptcDataset(2, 5, "old"))));
        fs::create_directories(folder_ / "originals");
        writeFile(real(), original_);
        ASSERT_EQ(::chmod(real().c_str(), 0640), 0);
    }
    fs::path real() const { return folder_ / "originals" / "photo.jpg"; }
    bool carriesNewName(const fs::path& file) const {
        return readFile(file).find(iptcDataset(2, 5, "new")) != std::string::npos;
    }

    TempFolder folder_;
    std::string original_;
};

TEST_F(LinkedFiles, ThroughASymbolicLinkTheRealFileIsRewritten) {
    // As root the file is first given to another user, whose it must stay.
    bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(real().c_str(), kOtherUser, kOtherUser), 0);
    }
    fs::create_directories(folder_ / "selection");
    fs::path link = folder_ / "selection" / "pick.jpg";
    fs::create_symlink("../originals/photo.jpg", link);

    WriteIPTCFieldToFile(link, "ObjectName", "new");

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "../originals/photo.jpg");
    EXPECT_TRUE(carriesNewName(real()));
    struct stat facts = factsOf(real());
    EXPECT_EQ(facts.st_mode & 07777, 0640u);
    if (asRoot) {
        EXPECT_EQ(facts.st_uid, kOtherUser);
        EXPECT_EQ(facts.st_gid, kOtherUser);
    } else {
        EXPECT_EQ(facts.st_uid, ::geteuid());
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "selection"), {}), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "originals"), {}), 1);
}

TEST_F(LinkedFiles, AFileWithASecondHardLinkIsRefusedAndLeftWhole) {
    fs::create_hard_link(real(), folder_ / "second.jpg");
    try {
        WriteIPTCFieldToFile(folder_ / "second.jpg", "ObjectName", "new");
        ADD_FAILURE() << "the write was not refused";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EMLINK);
        EXPECT_NE(std::string(error.what()).find("has 2 hard links"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(readFile(real()), original_);
    EXPECT_EQ(readFile(folder_ / "second.jpg"), original_);
    EXPECT_EQ(factsOf(real()).st_nlink, 2u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "originals"), {}), 1);
}

} // namespace
} // namespace orvella
