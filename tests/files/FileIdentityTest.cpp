#include "files/FileIdentity.h"
#include "support/TempFolder.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

namespace orvella::test {
namespace {

TEST(FileMD5Test, KnownDigestsInUpperCaseHex) {
    TempFolder folder;
    struct Case {
        const char* content;
        const char* key;
    };
    for (Case c : {Case{"", "D41D8CD98F00B204E9800998ECF8427E"},
                   Case{"The quick brown fox jumps over the lazy dog",
                        "9E107D9D372BB6826BD81D3542A419D6"}}) {
        writeFile(folder / "f", c.content);
        EXPECT_EQ(FileMD5(folder / "f"), c.key);
    }
}

// Sizes around the read blocks, checked against another MD5 implementation.
TEST(FileMD5Test, LargeFilesMatchAnIndependentDigest) {
    TempFolder folder;
    for (size_t size : {4095u, 4096u, 4097u, 131072u, 131073u, 1000003u}) {
        SCOPED_TRACE(size);
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i)
            content[i] = static_cast<char>((i * 2654435761u) >> 13);
        writeFile(folder / "big", content);
        QByteArray expected =
            QCryptographicHash::hash(QByteArray(content.data(), static_cast<qsizetype>(size)),
                                     QCryptographicHash::Md5)
                .toHex()
                .toUpper();
        EXPECT_EQ(FileMD5(folder / "big"), expected.toStdString());
    }
}

TEST(FileMD5Test, UnreadableFilesRaiseAnError) {
    TempFolder folder;
    EXPECT_THROW(FileMD5(folder / "missing"), std::system_error);
    EXPECT_THROW(FileMD5(folder.path()), std::system_error);
    ASSERT_EQ(mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);
    EXPECT_THROW(FileMD5(folder / "pipe.jpg"), std::system_error)
        << "a named pipe neither blocks nor hashes";
}

TEST(ChangeExtensionTest, ReplacesOrAppendsTheExtensionOfTheName) {
    struct Case {
        const char* path;
        const char* result;
    };
    for (Case c : {Case{"/a/photo.eps", "/a/photo.jpg"}, Case{"/a/photo", "/a/photo.jpg"},
                   Case{"/my.folder/file", "/my.folder/file.jpg"}, Case{"a.b.c", "a.b.jpg"},
                   Case{"name.", "name.jpg"}, Case{"/tmp/~abc", "/tmp/~abc.jpg"}}) {
        EXPECT_EQ(ChangeExtension(c.path, "jpg"), c.result) << c.path;
    }
}

TEST(MakeTempFileNameTest, ReservesAFreshNameWithTheExtension) {
    std::filesystem::path first = MakeTempFileName(".jpg");
    std::filesystem::path second = MakeTempFileName(".jpg");
    EXPECT_NE(first, second);
    for (const std::filesystem::path& name : {first, second}) {
        EXPECT_EQ(name.parent_path(), std::filesystem::temp_directory_path());
        EXPECT_TRUE(name.filename().string().starts_with("~"));
        EXPECT_EQ(name.extension(), ".jpg");
        EXPECT_TRUE(std::filesystem::exists(name));
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(name).replace_extension()))
            << "no stray stem file";
        std::filesystem::remove(name);
    }
}

TEST(FileTimeTest, ListingTimesStayInUtc) {
    EXPECT_EQ(toIsoText(FileTimeToDateTime({1600000000, 0})), "2020-09-13 12:26:40");
    DateTime unreadable = FileTimeToDateTime({std::numeric_limits<time_t>::max(), 0});
    EXPECT_LT(std::chrono::abs(unreadable - nowUtc()), std::chrono::seconds(5))
        << "falls back to now";
}

TEST(FileTimeTest, HashDataCarriesTheListingFactsWithoutALocalShift) {
    const char* oldZone = std::getenv("TZ");
    std::string saved = oldZone ? oldZone : "";
    setenv("TZ", "Etc/GMT-2", 1); // two hours ahead of UTC
    tzset();
    TempFolder folder;
    writeFile(folder / "Photo.JPG", "12345");
    timespec times[2] = {{0, UTIME_OMIT}, {1623053350, 0}}; // 2021-06-07 08:09:10 UTC
    ASSERT_EQ(utimensat(AT_FDCWD, (folder / "Photo.JPG").c_str(), times, 0), 0);
    THashData data = ReadHashData(folder / "Photo.JPG");
    EXPECT_EQ(data.FileName, "Photo.JPG");
    EXPECT_EQ(data.FilePath, folder.path().string());
    EXPECT_EQ(data.FullName, (folder / "Photo.JPG").string());
    EXPECT_EQ(data.FileSize, 5);
    EXPECT_EQ(toIsoText(data.ModifyDate), "2021-06-07 08:09:10");
    EXPECT_NE(data.CreationDate, DateTime{});
    EXPECT_EQ(data.MD5, "");
    if (oldZone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_THROW(ReadHashData(folder / "missing"), std::system_error);
}

} // namespace
} // namespace orvella::test
