#include "shell/AtomicFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;

size_t entriesIn(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
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

mode_t modeOf(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(stat(file.c_str(), &info), 0) << file;
    return info.st_mode & 07777;
}

// The file a link leads to is replaced in its own folder; the link stays.
TEST(AtomicFile, SymbolicLinksLeadToTheFileRewritten) {
    struct Case {
        const char* why;
        std::vector<std::pair<std::string, std::string>> links; // name, what it points at
    } cases[] = {
        {"relative link into another folder", {{"view/pick", "../store/real.dat"}}},
        {"absolute link", {{"view/pick", "@/store/real.dat"}}},
        {"chain of links", {{"view/pick", "hop"}, {"view/hop", "../store/real.dat"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        fs::create_directories(folder / "store");
        fs::create_directories(folder / "view");
        test::writeFile(folder / "store" / "real.dat", "old");
        chmod((folder / "store" / "real.dat").c_str(), 0604);
        for (const auto& [name, target] : c.links)
            fs::create_symlink(target[0] == '@' ? (folder.path() / target.substr(2)).string()
                                                : target,
                               folder / name);

        replaceFileAtomically(folder / "view" / "pick", "new content");

        EXPECT_EQ(readFile(folder / "store" / "real.dat"), "new content");
        EXPECT_EQ(modeOf(folder / "store" / "real.dat"), 0604u);
        for (const auto& link : c.links)
            EXPECT_TRUE(fs::is_symlink(folder / link.first)) << link.first;
        EXPECT_EQ(entriesIn(folder / "store"), 1u);
        EXPECT_EQ(entriesIn(folder / "view"), c.links.size());
    }
}

TEST(AtomicFile, SeveralHardLinksAreRefusedAndTheFileLeftAlone) {
    TempFolder folder;
    test::writeFile(folder / "a.dat", "old");
    fs::create_hard_link(folder / "a.dat", folder / "b.dat");
    try {
        replaceFileAtomically(folder / "b.dat", "new");
        ADD_FAILURE() << "not refused";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EMLINK);
    }
    EXPECT_EQ(readFile(folder / "a.dat"), "old");
    EXPECT_EQ(readFile(folder / "b.dat"), "old");
    EXPECT_EQ(fs::hard_link_count(folder / "a.dat"), 2u);
    EXPECT_EQ(entriesIn(folder.path()), 2u);
}

TEST(AtomicFile, OwnerAndGroupAreKeptWherePermitted) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser may give a file to another user";
    TempFolder folder;
    test::writeFile(folder / "photo.dat", "old");
    ASSERT_EQ(chown((folder / "photo.dat").c_str(), 65534, 65534), 0);
    chmod((folder / "photo.dat").c_str(), 0664);
    replaceFileAtomically(folder / "photo.dat", "new");
    struct stat info {};
    ASSERT_EQ(stat((folder / "photo.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
}

TEST(AtomicWriteBatch, CompletesReplacementsInOrderAFewFilesLater) {
    TempFolder folder;
    for (const char* name : {"a", "b", "c"})
        test::writeFile(folder / name, "old");
    {
        AtomicWriteBatch batch(2);
        replaceFileAtomically(folder / "a", "new a");
        replaceFileAtomically(folder / "b", "new b");
        EXPECT_EQ(readFile(folder / "a"), "old"); // both still wait
        replaceFileAtomically(folder / "c", "new c");
        EXPECT_EQ(readFile(folder / "a"), "new a");
        EXPECT_EQ(readFile(folder / "b"), "old");
        replaceFileAtomically(folder / "b", "newer b"); // the waiting b goes first
        EXPECT_EQ(readFile(folder / "b"), "new b");
        replaceFileAtomically(folder / "x", "cache", 0644, Durability::Cache); // not batched
        EXPECT_EQ(readFile(folder / "x"), "cache");
        batch.finish();
        EXPECT_EQ(readFile(folder / "b"), "newer b");
        EXPECT_EQ(readFile(folder / "c"), "new c");
    }
    EXPECT_EQ(entriesIn(folder.path()), 4u);
    replaceFileAtomically(folder / "a", "direct"); // no batch open any more
    EXPECT_EQ(readFile(folder / "a"), "direct");
}

TEST(AtomicWriteBatch, AFileThatCannotBeCompletedIsNamedAndTheOnesAfterItAreDropped) {
    TempFolder folder;
    test::writeFile(folder / "a", "old");
    test::writeFile(folder / "c", "old");
    AtomicWriteBatch batch(3);
    replaceFileAtomically(folder / "a", "new a");
    replaceFileAtomically(folder / "b", "new b");
    fs::create_directory(folder / "b"); // now the rename over it fails
    replaceFileAtomically(folder / "c", "new c");
    try {
        batch.finish();
        FAIL() << "the rename over a folder succeeded";
    } catch (const EDeferredWriteError& error) {
        EXPECT_EQ(error.file(), folder / "b");
    }
    EXPECT_EQ(readFile(folder / "a"), "new a");
    EXPECT_TRUE(fs::is_directory(folder / "b"));
    EXPECT_EQ(readFile(folder / "c"), "old");
    EXPECT_EQ(entriesIn(folder.path()), 3u);
}

TEST(AtomicWriteBatch, ClosingTheBatchOnAnErrorCompletesWhatWaits) {
    TempFolder folder;
    test::writeFile(folder / "a", "old");
    EXPECT_THROW(
        {
            AtomicWriteBatch batch;
            replaceFileAtomically(folder / "a", "new a");
            throw std::runtime_error("the command ends at the next file");
        },
        std::runtime_error);
    EXPECT_EQ(readFile(folder / "a"), "new a");
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

} // namespace
} // namespace orvella
