// The file operations the RAW library works through.
#include "viewer/RawFileOperations.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvella::test {
namespace {

class RawFileOperationsTest : public ::testing::Test {
protected:
    TRawFileOperations ops = MakeRawFileOperations();
    TempFolder folder;
    std::string path(const std::string& name) { return (folder / name).string(); }
};

TEST_F(RawFileOperationsTest, TableStartsWithItsSizeAndHasNoInputByDefault) {
    EXPECT_EQ(ops.size, static_cast<int32_t>(sizeof(TRawFileOperations)));
    EXPECT_EQ(ops.input, nullptr);
    EXPECT_EQ(ops.reserved, 0);
    EXPECT_EQ(ops.noOperation(), 0);
    int value = 0;
    EXPECT_EQ(ops.identity(&value), &value);
}

TEST_F(RawFileOperationsTest, OpenModes) {
    writeFile(folder / "old.bin", "12345");
    // "rb" reads and cannot write.
    TRawFileHandle* read = ops.fopen(path("old.bin").c_str(), "rb");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->marker, kRawHandleMarker);
    EXPECT_EQ(ops.fwrite("x", 1, 1, read), 0);
    char bytes[8] = {};
    EXPECT_EQ(ops.fread(bytes, 1, 8, read), 5);
    EXPECT_STREQ(bytes, "12345");
    EXPECT_EQ(ops.fclose(read), 0);
    EXPECT_EQ(readFile(folder / "old.bin"), "12345");

    // "wb" creates, and truncates what is there.
    TRawFileHandle* created = ops.fopen(path("new.bin").c_str(), "wb");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(ops.fwrite("abcdef", 2, 3, created), 3);
    ops.fclose(created);
    EXPECT_EQ(readFile(folder / "new.bin"), "abcdef");
    ops.fclose(ops.fopen(path("new.bin").c_str(), "w+"));
    EXPECT_EQ(readFile(folder / "new.bin"), "");

    // "ab" appends at the size the file had when opened, wherever the
    // position was moved meanwhile.
    TRawFileHandle* append = ops.fopen(path("old.bin").c_str(), "ab");
    ASSERT_NE(append, nullptr);
    EXPECT_EQ(append->appendPosition, 5);
    ops.fseek(append, 0, 0);
    EXPECT_EQ(ops.fputs("67", append), 1);
    ops.fseek(append, 1, 0);
    EXPECT_EQ(ops.fputc('8', append), '8');
    EXPECT_EQ(append->appendPosition, 8);
    ops.fclose(append);
    EXPECT_EQ(readFile(folder / "old.bin"), "12345678");

    // "r+" reads and writes in place.
    TRawFileHandle* update = ops.fopen(path("old.bin").c_str(), "r+b");
    ops.fseek(update, 2, 0);
    ops.fputc('X', update);
    ops.fclose(update);
    EXPECT_EQ(readFile(folder / "old.bin"), "12X45678");

    EXPECT_EQ(ops.fopen(path("missing.bin").c_str(), "rb"), nullptr);
    EXPECT_EQ(ops.fopen(path("missing.bin").c_str(), "ab"), nullptr);
}

TEST_F(RawFileOperationsTest, FgetsStopsAtLineFeedAtNAndAtTheEnd) {
    writeFile(folder / "lines.txt", "abcd\nxy\nlast");
    TRawFileHandle* file = ops.fopen(path("lines.txt").c_str(), "rb");
    char buffer[16];
    // n = 4 on "abcd\n": three letters, the position after the fourth.
    ASSERT_EQ(ops.fgets(buffer, 4, file), buffer);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(ops.ftell(file), 4);
    EXPECT_STREQ(ops.fgets(buffer, 16, file), ""); // the rest of the line: its line feed
    EXPECT_STREQ(ops.fgets(buffer, 16, file), "xy");
    EXPECT_STREQ(ops.fgets(buffer, 16, file), "last");
    EXPECT_EQ(ops.fgets(buffer, 16, file), nullptr);
    ops.fclose(file);
}

TEST_F(RawFileOperationsTest, FseekWhencesAndFeof) {
    writeFile(folder / "ten.bin", "0123456789");
    TRawFileHandle* file = ops.fopen(path("ten.bin").c_str(), "rb");
    struct Case {
        int64_t offset;
        int whence;
        int result;
        int64_t position;
    };
    const Case cases[] = {
        {4, 0, 0, 4},  {2, 1, 0, 6},  {-3, 2, 0, 7}, {-1, 0, -1, 7},
        {0, 3, -1, 7}, {-9, 1, 0, 7}, {0, 2, 0, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ops.fseek(file, c.offset, c.whence), c.result) << c.offset << "/" << c.whence;
        EXPECT_EQ(ops.ftell(file), c.position) << c.offset << "/" << c.whence;
    }
    EXPECT_EQ(ops.feof(file), -1);
    ops.fseek(file, 9, 0);
    EXPECT_EQ(ops.feof(file), 0);
    EXPECT_EQ(ops.fgetc(file), '9');
    EXPECT_EQ(ops.fgetc(file), -1);
    ops.fclose(file);
}

TEST_F(RawFileOperationsTest, InvalidHandlesAreRejectedByEveryEntry) {
    // A real file behind a handle without the marker.
    TRawFileHandle forged;
    auto file = TBufferedFile::Open("", TBufferedFile::Mode::ReadWrite);
    forged.file = file.get();
    forged.marker = 0x1234;
    char buffer[8] = "keep";
    for (TRawFileHandle* handle : {static_cast<TRawFileHandle*>(nullptr), &forged}) {
        EXPECT_EQ(ops.fileno(handle), -1);
        EXPECT_EQ(ops.fgets(buffer, 8, handle), nullptr);
        EXPECT_EQ(ops.ftell(handle), -1);
        EXPECT_EQ(ops.fread(buffer, 1, 4, handle), -1);
        EXPECT_EQ(ops.fgetc(handle), -1);
        EXPECT_EQ(ops.fwrite(buffer, 1, 4, handle), -1);
        EXPECT_EQ(ops.fputs("x", handle), -1);
        EXPECT_EQ(ops.feof(handle), -1);
        EXPECT_EQ(ops.fseek(handle, 0, 0), -1);
        EXPECT_EQ(ops.fclose(handle), -1);
    }
    EXPECT_EQ(ops.fputc('x', &forged), -1);
    EXPECT_EQ(file->Size(), 0) << "nothing was written through the forged handle";
}

TEST_F(RawFileOperationsTest, FilesAreNumberedFromTenUpwards) {
    writeFile(folder / "a.bin", "a");
    TRawFileHandle* first = ops.fopen(path("a.bin").c_str(), "rb");
    TRawFileHandle* second = ops.fopen(path("a.bin").c_str(), "rb");
    EXPECT_GE(ops.fileno(first), 10);
    EXPECT_EQ(ops.fileno(second), ops.fileno(first) + 1);
    ops.fclose(first);
    ops.fclose(second);
}

TEST_F(RawFileOperationsTest, AnEmptyNameGivesAFileInMemory) {
    TRawFileHandle* memory = ops.fopen("", "w+b");
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(ops.fwrite("hello\n", 1, 6, memory), 6);
    EXPECT_EQ(ops.fseek(memory, 0, 0), 0);
    char buffer[16];
    EXPECT_STREQ(ops.fgets(buffer, 16, memory), "hello");
    EXPECT_EQ(ops.feof(memory), -1);
    ops.fclose(memory);
}

} // namespace
} // namespace orvella::test
