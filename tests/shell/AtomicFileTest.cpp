#include "shell/AtomicFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;

size_t entriesIn(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicFile, ReplacesContentAndKeepsPermissionBits) {
    TempFolder folder;
    test::writeFile(folder / "photo.dat", "old");
    chmod((folder / "photo.dat").c_str(), 0640);
    replaceFileAtomically(folder / "photo.dat", "new content");
    EXPECT_EQ(readFile(folder / "photo.dat"), "new content");
    struct stat info {};
    stat((folder / "photo.dat").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entriesIn(folder.path()), 1u); // no temporary file left
}

TEST(AtomicFile, FailureLeavesTheTargetAndNoTemporaryFile) {
    TempFolder folder;
    fs::create_directory(folder / "target"); // a folder cannot be replaced by a file
    EXPECT_THROW(replaceFileAtomically(folder / "target", "x"), std::system_error);
    EXPECT_TRUE(fs::is_directory(folder / "target"));
    EXPECT_EQ(entriesIn(folder.path()), 1u);
    EXPECT_THROW(replaceFileAtomically(folder / "missing" / "file", "x"), std::system_error);
}

} // namespace
} // namespace orvella
