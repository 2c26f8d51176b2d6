#include "PictureFixtures.h"

#include "files/PreviewCache.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace orvella::test {
namespace {

uint32_t littleEndian(const std::string& bytes, size_t offset, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]);
    return value;
}

TEST(PreviewCacheTest, BitmapIsA24BitBottomUpWindowsBitmap) {
    QImage picture(96, 96, QImage::Format_RGB32);
    picture.fill(qRgb(255, 255, 255));
    picture.setPixel(0, 0, qRgb(255, 0, 0));  // top left
    picture.setPixel(0, 95, qRgb(0, 0, 255)); // bottom left
    std::string bytes = EncodeBitmap24(picture);
    ASSERT_EQ(bytes.size(), 54u + 96 * 96 * 3);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(littleEndian(bytes, 2, 4), bytes.size());
    EXPECT_EQ(littleEndian(bytes, 10, 4), 54u);
    EXPECT_EQ(littleEndian(bytes, 14, 4), 40u);
    EXPECT_EQ(littleEndian(bytes, 18, 4), 96u);
    EXPECT_EQ(littleEndian(bytes, 22, 4), 96u);
    EXPECT_EQ(littleEndian(bytes, 28, 2), 24u);
    EXPECT_EQ(littleEndian(bytes, 30, 4), 0u);
    EXPECT_EQ(bytes.substr(54, 3), std::string("\xFF\x00\x00", 3))
        << "first stored row is the bottom, in BGR";
    EXPECT_EQ(bytes.substr(54 + 95 * 96 * 3, 3), std::string("\x00\x00\xFF", 3));
}

TEST(PreviewCacheTest, RowsArePaddedToWholeWords) {
    QImage picture(5, 2, QImage::Format_RGB32);
    picture.fill(qRgb(1, 2, 3));
    std::string bytes = EncodeBitmap24(picture);
    EXPECT_EQ(bytes.size(), 54u + 2 * 16);
    EXPECT_EQ(bytes.substr(54 + 15, 1), std::string(1, '\0'));
}

TEST(PreviewCacheTest, CachedPictureReadsBackExactly) {
    TempFolder folder;
    QImage picture(96, 96, QImage::Format_RGB32);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
            picture.setPixel(x, y, qRgb(x * 2, y * 2, (x + y) % 256));
    WriteBitmapFile(folder / "KEY", picture);
    std::optional<QImage> back = ReadPreviewFile(folder / "KEY");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_FALSE(ReadPreviewFile(folder / "none"));
}

TEST(PreviewCacheTest, AnotherProgramOpensTheCacheFile) {
    TempFolder folder;
    QImage picture(96, 96, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    WriteBitmapFile(folder / "0123456789ABCDEF0123456789ABCDEF", picture);
    std::string command = "identify -format '%m %w %h %[pixel:p{5,5}]' 'bmp:" +
                          (folder / "0123456789ABCDEF0123456789ABCDEF").string() + "' > " +
                          (folder / "out").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(folder / "out"), "BMP3 96 96 srgb(10,200,30)");
}

TEST(PreviewCacheTest, APreviewIsMadeOnceAndThenReadFromTheCache) {
    TempFolder folder;
    std::filesystem::path cache = folder / "MD5";
    std::filesystem::create_directory(cache);
    std::filesystem::path photo = folder / "photo.jpg";
    WriteBytes(photo, EncodeJpeg({300, 200, qRgb(255, 0, 0)}));
    const std::string key = "00112233445566778899AABBCCDDEEFF";
    std::optional<QImage> made = LoadOrMakePreview(cache, key, photo, false);
    ASSERT_TRUE(made);
    EXPECT_EQ(PreviewCacheFile(cache, key), cache / key);
    ASSERT_TRUE(std::filesystem::exists(cache / key));
    std::filesystem::remove(photo);
    std::optional<QImage> cached = LoadOrMakePreview(cache, key, photo, false);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->convertToFormat(QImage::Format_RGB32),
              made->convertToFormat(QImage::Format_RGB32));

    EXPECT_FALSE(LoadOrMakePreview(cache, "FFFF", folder / "missing.jpg", false));
    EXPECT_FALSE(std::filesystem::exists(cache / "FFFF")) << "nothing is stored without a picture";
    int entries = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(cache))
        ++entries;
    EXPECT_EQ(entries, 1) << "no temporary files are left behind";
}

} // namespace
} // namespace orvella::test
