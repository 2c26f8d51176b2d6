#include "PictureFixtures.h"

#include "files/JpegDecode.h"
#include "files/Thumbnail.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>

namespace orvella::test {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// The thumbnail is white outside the rectangle and the colour inside it.
void expectPictureIn(const QImage& thumbnail, const QRect& area, QRgb colour) {
    ASSERT_EQ(thumbnail.size(), QSize(96, 96));
    int wrong = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) {
            QRgb pixel = thumbnail.pixel(x, y);
            bool ok = area.contains(x, y) ? IsNear(pixel, colour) : pixel == kWhite;
            if (!ok && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << pixel;
        }
    EXPECT_EQ(wrong, 0);
}

class ThumbnailTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const std::string& bytes) {
        std::filesystem::path file = folder / name;
        WriteBytes(file, bytes);
        return file;
    }
    std::filesystem::path jpeg(const std::string& name, const JpegRecipe& spec) {
        return write(name, EncodeJpeg(spec));
    }
    TempFolder folder;
};

TEST_F(ThumbnailTest, JpegsAreFittedOnWhite) {
    struct Case {
        int width, height;
        QRect area;
    };
    for (Case c : {Case{3000, 2000, {0, 16, 96, 64}}, Case{600, 400, {0, 16, 96, 64}},
                   Case{2000, 3000, {16, 0, 64, 96}}, Case{800, 800, {0, 0, 96, 96}},
                   Case{97, 48, {0, 24, 96, 47}}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        std::optional<QImage> thumbnail =
            MakeThumbnail(jpeg("p.jpg", {c.width, c.height, kRed}), 96);
        ASSERT_TRUE(thumbnail);
        expectPictureIn(*thumbnail, c.area, kRed);
    }
}

TEST_F(ThumbnailTest, JpegsDecodeAtOneEighthUnlessThatIsSmallerThanTheThumbnail) {
    struct Case {
        int width, height;
        QSize decoded;
    };
    for (Case c : {Case{3000, 2000, {375, 250}}, Case{600, 400, {600, 400}},
                   Case{768, 800, {96, 100}}, Case{760, 800, {760, 800}}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        std::optional<QImage> picture =
            DecodeJpegForThumbnail(jpeg("p.jpg", {c.width, c.height, kRed}), 96);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->size(), c.decoded);
    }
}

TEST_F(ThumbnailTest, GrayscaleAndProgressiveJpegsDecode) {
    std::optional<QImage> gray =
        MakeThumbnail(jpeg("g.jpg", {300, 200, qRgb(90, 90, 90), false, true}), 96);
    ASSERT_TRUE(gray);
    expectPictureIn(*gray, {0, 16, 96, 64}, qRgb(90, 90, 90));
    std::optional<QImage> progressive =
        MakeThumbnail(jpeg("pr.jpg", {300, 200, qRgb(40, 40, 40), false, true, true}), 96);
    ASSERT_TRUE(progressive);
    expectPictureIn(*progressive, {0, 16, 96, 64}, qRgb(40, 40, 40));
}

// CMYK files as another program writes them (Adobe's inverted samples).
TEST_F(ThumbnailTest, CmykJpegsShowTheirColour) {
    std::string command =
        "convert -size 300x200 xc:red -colorspace CMYK " + (folder / "cmyk.jpg").string();
    ASSERT_EQ(std::system(command.c_str()), 0) << "ImageMagick makes the fixture";
    std::optional<QImage> thumbnail = MakeThumbnail(folder / "cmyk.jpg", 96);
    ASSERT_TRUE(thumbnail);
    expectPictureIn(*thumbnail, {0, 16, 96, 64}, kRed);
}

TEST_F(ThumbnailTest, AOnePixelWidePictureLeavesAWhiteSquare) {
    QImage column(1, 1000, QImage::Format_RGB32);
    column.fill(kRed);
    ASSERT_TRUE(column.save(QString::fromStdString((folder / "c.png").string()), "PNG"));
    for (const std::filesystem::path& file : {jpeg("c.jpg", {1, 1000, kRed}), folder / "c.png"}) {
        SCOPED_TRACE(file.string());
        std::optional<QImage> thumbnail = MakeThumbnail(file, 96);
        ASSERT_TRUE(thumbnail);
        expectPictureIn(*thumbnail, {}, kWhite);
    }
}

TEST_F(ThumbnailTest, BrokenJpegsGiveNoThumbnail) {
    std::string good = EncodeJpeg({600, 400, kRed, true});
    std::mt19937 random(1);
    std::string noise(20000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    struct Case {
        const char* name;
        std::string bytes;
    };
    for (const Case& c :
         {Case{"truncated", good.substr(0, good.size() / 2)}, Case{"random bytes", noise},
          Case{"empty", ""}, Case{"header only", good.substr(0, 200)},
          Case{"damaged data",
               good.substr(0, 2000) + std::string(3000, '\xFF') + good.substr(5000)}}) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(MakeThumbnail(write("bad.jpg", c.bytes), 96));
    }
    EXPECT_FALSE(MakeThumbnail(folder / "missing.jpg", 96));
}

TEST_F(ThumbnailTest, AJpegClaimingAHugeSizeIsRefusedBeforeDecoding) {
    std::string huge = WithClaimedSize(EncodeJpeg({64, 64, kRed}), 65500, 65500);
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(MakeThumbnail(write("huge.jpg", huge), 96));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

TEST_F(ThumbnailTest, AJpegWithThousandsOfScansIsRefused) {
    std::string progressive = EncodeJpeg({64, 64, kRed, true, true, true});
    // The repeated scan is valid, so a few repeats still decode ...
    EXPECT_TRUE(MakeThumbnail(write("few.jpg", WithRepeatedLastScan(progressive, 20)), 96));
    // ... but thousands are taken for a hostile file.
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(MakeThumbnail(write("many.jpg", WithRepeatedLastScan(progressive, 5000)), 96));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

TEST_F(ThumbnailTest, OtherFormatsDecodeByExtension) {
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(kBlue);
    struct Case {
        const char* name;
        const char* format;
    };
    for (Case c :
         {Case{"p.png", "PNG"}, Case{"p.bmp", "BMP"}, Case{"p.dib", "BMP"}, Case{"p.tif", "TIFF"},
          Case{"p.TIFF", "TIFF"}, Case{"p.ppm", "PPM"}, Case{"p.ico", "ICO"}}) {
        SCOPED_TRACE(c.name);
        QImage source = std::string(c.format) == "ICO" ? picture.scaled(96, 64) : picture;
        ASSERT_TRUE(source.save(QString::fromStdString((folder / c.name).string()), c.format));
        std::optional<QImage> thumbnail = MakeThumbnail(folder / c.name, 96);
        ASSERT_TRUE(thumbnail);
        expectPictureIn(*thumbnail, {0, 16, 96, 64}, kBlue);
    }
}

// Qt's Targa reader takes only files with the version 2 footer, which
// ImageMagick leaves out; the footer is added to its output.
TEST_F(ThumbnailTest, GifAndTargaFilesMadeByAnotherProgramDecode) {
    const std::string targaFooter("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0", 26);
    for (const char* name : {"p.gif", "p.tga", "p.vst"}) {
        SCOPED_TRACE(name);
        bool targa = std::string(name) != "p.gif";
        std::string command = "convert -size 300x200 xc:blue " + std::string(targa ? "tga:" : "") +
                              (folder / name).string();
        ASSERT_EQ(std::system(command.c_str()), 0) << "ImageMagick makes the fixture";
        if (targa)
            WriteBytes(folder / name, readFile(folder / name) + targaFooter);
        std::optional<QImage> thumbnail = MakeThumbnail(folder / name, 96);
        ASSERT_TRUE(thumbnail);
        expectPictureIn(*thumbnail, {0, 16, 96, 64}, kBlue);
    }
}

TEST_F(ThumbnailTest, TransparentPicturesStandOnWhite) {
    QImage clear(300, 200, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    ASSERT_TRUE(clear.save(QString::fromStdString((folder / "clear.png").string()), "PNG"));
    std::optional<QImage> thumbnail = MakeThumbnail(folder / "clear.png", 96);
    ASSERT_TRUE(thumbnail);
    expectPictureIn(*thumbnail, {}, kWhite);
}

TEST_F(ThumbnailTest, FilesWithoutADecoderGiveNoThumbnail) {
    std::string content = EncodeJpeg({300, 200, kRed});
    for (const char* name :
         {"art.ai", "art.svg", "scan.eps", "scan.ps", "raw.CR2", "notes.txt", "README", "p.pcx"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(MakeThumbnail(write(name, content), 96));
    }
}

TEST_F(ThumbnailTest, CompanionJpegIsUsedOnlyWithTheOption) {
    jpeg("art.jpg", {300, 200, kRed});
    for (const char* name : {"art.ai", "art.svg", "art.eps", "art.ps"}) {
        SCOPED_TRACE(name);
        std::filesystem::path file = write(name, "not a picture");
        EXPECT_FALSE(MakeThumbnail(file, 96, {false}));
        std::optional<QImage> thumbnail = MakeThumbnail(file, 96, {true});
        ASSERT_TRUE(thumbnail);
        expectPictureIn(*thumbnail, {0, 16, 96, 64}, kRed);
    }
    std::filesystem::path alone = write("alone.ai", "not a picture");
    EXPECT_FALSE(MakeThumbnail(alone, 96, {true})) << "no companion beside it";
}

TEST_F(ThumbnailTest, SvgDrawingsAreRenderedAtTheThumbnailSize) {
    auto svg = [](const std::string& size, const std::string& shapes) {
        return "<svg xmlns='http://www.w3.org/2000/svg' " + size + ">" + shapes + "</svg>";
    };
    auto full = [](int width, int height) {
        return "<rect width='" + std::to_string(width) + "' height='" + std::to_string(height) +
               "' fill='#ff0000'/>";
    };
    struct Case {
        const char* name;
        std::string content;
        QRect red;
    } cases[] = {
        {"wide.svg", svg("width='300' height='200'", full(300, 200)), {0, 16, 96, 64}},
        {"tall.svg", svg("viewBox='0 0 200 300'", full(200, 300)), {16, 0, 64, 96}},
        // A declared size far beyond any screen costs nothing: it is drawn small.
        {"huge.svg",
         svg("width='3000000' height='2000000' viewBox='0 0 3 2'", full(3, 2)),
         {0, 16, 96, 64}},
        // Transparent parts are white.
        {"half.svg",
         svg("width='200' height='200'", "<rect width='100' height='200' fill='red'/>"),
         {0, 0, 48, 96}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<QImage> thumbnail = MakeThumbnail(write(c.name, c.content), 96);
        ASSERT_TRUE(thumbnail);
        expectPictureIn(*thumbnail, c.red, kRed);
    }
    EXPECT_FALSE(MakeThumbnail(write("broken.svg", "<svg xmlns='http://www.w3.org/2000/svg'"), 96));
}

TEST_F(ThumbnailTest, PhotoshopFilesShowTheirCompositeImage) {
    struct Case {
        bool runLength;
        int mode, depth;
        QRgb colour;
    };
    const QRgb orange = qRgb(250, 120, 10), gray = qRgb(90, 90, 90);
    for (Case c : {Case{false, 3, 8, orange}, Case{true, 3, 8, orange}, Case{true, 3, 16, orange},
                   Case{false, 1, 8, gray}, Case{true, 1, 16, gray}, Case{false, 4, 8, orange},
                   Case{true, 4, 16, orange}}) {
        SCOPED_TRACE(std::to_string(c.mode) + "/" + std::to_string(c.depth) +
                     (c.runLength ? " run-length" : " raw"));
        PsdRecipe spec{300, 200, c.colour, c.runLength, c.mode, c.depth};
        std::optional<QImage> thumbnail = MakeThumbnail(write("p.psd", EncodePsd(spec)), 96);
        ASSERT_TRUE(thumbnail);
        expectPictureIn(*thumbnail, {0, 16, 96, 64}, c.colour);
    }
    std::optional<QImage> large =
        MakeThumbnail(write("l.pdd", EncodePsd({3000, 2000, kRed, true})), 96);
    ASSERT_TRUE(large);
    expectPictureIn(*large, {0, 16, 96, 64}, kRed);
}

TEST_F(ThumbnailTest, PhotoshopThumbnailResourceIsUsedWhenLargeEnough) {
    std::optional<QImage> fromResource =
        MakeThumbnail(write("t.psd", EncodePsd({300, 200, kRed, true, 3, 8, 160, 107, kBlue})), 96);
    ASSERT_TRUE(fromResource);
    expectPictureIn(*fromResource, {0, 16, 96, 64}, kBlue);
    std::optional<QImage> tooSmall =
        MakeThumbnail(write("s.psd", EncodePsd({300, 200, kRed, true, 3, 8, 60, 40, kBlue})), 96);
    ASSERT_TRUE(tooSmall);
    expectPictureIn(*tooSmall, {0, 16, 96, 64}, kRed);
}

TEST_F(ThumbnailTest, DamagedPhotoshopFilesGiveNoThumbnail) {
    std::string good = EncodePsd({300, 200, kRed, true});
    std::string huge = good;
    for (size_t field : {14u, 18u}) // height and width: 100000 each, with the data of 300 x 200
        huge.replace(field, 4, std::string("\x00\x01\x86\xA0", 4));
    for (const std::string& bytes :
         {good.substr(0, good.size() / 2), good.substr(0, 20), std::string("8BPS"), huge})
        EXPECT_FALSE(MakeThumbnail(write("bad.psd", bytes), 96));
}

} // namespace
} // namespace orvella::test
