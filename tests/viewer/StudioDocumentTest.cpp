// The picture viewer's document: decoding, turns, zoom, navigation, saving.
#include "PostScriptFixtures.h"

#include "files/OutsideRenderers.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"
#include "viewer/GhostScriptLibrary.h"
#include "viewer/GhostScriptSandbox.h"
#include "viewer/JpegEncode.h"
#include "viewer/StudioDocument.h"

#include <QColorSpace>
#include <QImage>
#include <QPainter>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kRewriteQuestion = "Do you want to rewrite existsing file?";
const std::string kSaveKindsWarning = "You can save BMP and JPEG images only.";

// Four quadrants of distinct colours, so any turn or mirror shows.
QImage quadrants(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(255, 0, 0));
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(0, 255, 0));
    painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor(0, 0, 255));
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2,
                     QColor(255, 255, 0));
    return picture;
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct CommandResult {
    int status;
    std::string output;
};

CommandResult run(const std::string& commandLine) {
    CommandResult result{0, {}};
    std::FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
    std::array<char, 4096> buffer{};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), got);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Pixels only: an embedded colour profile is no difference here.
bool samePixels(const QImage& a, const QImage& b) {
    QImage left = a.convertToFormat(QImage::Format_RGB32);
    QImage right = b.convertToFormat(QImage::Format_RGB32);
    left.setColorSpace(QColorSpace());
    right.setColorSpace(QColorSpace());
    return left == right;
}

class StudioDocumentTest : public ::testing::Test {
protected:
    std::filesystem::path writeJpeg(const std::string& name, int width, int height) {
        std::filesystem::path file = folder / name;
        writeFile(file, EncodeJpeg(quadrants(width, height), 95));
        return file;
    }

    TempFolder folder;
    StudioDocument document;
};

TEST(StudioTurnTest, QuarterTurnsMoveTheCornersAndSwapTheSides) {
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(299, 0, qRgb(0, 255, 0));

    QImage clockwise = TurnedClockwise(picture);
    EXPECT_EQ(clockwise.size(), QSize(200, 300));
    EXPECT_EQ(clockwise.pixel(199, 0), qRgb(255, 0, 0)); // top-left to top-right
    EXPECT_EQ(clockwise.pixel(199, 299), qRgb(0, 255, 0));

    QImage anticlockwise = TurnedAnticlockwise(picture);
    EXPECT_EQ(anticlockwise.size(), QSize(200, 300));
    EXPECT_EQ(anticlockwise.pixel(0, 299), qRgb(255, 0, 0)); // top-left to bottom-left
    EXPECT_EQ(anticlockwise.pixel(0, 0), qRgb(0, 255, 0));

    EXPECT_TRUE(samePixels(TurnedAnticlockwise(clockwise), picture));
}

TEST_F(StudioDocumentTest, ZoomDoublesAndHalvesWithoutLimitsAndALoadShowsTheMode) {
    auto first = writeJpeg("first.jpg", 64, 48);
    auto second = writeJpeg("second.jpg", 32, 32);
    document.Load(first, false);
    EXPECT_EQ(document.StatusText(0), "100%");
    EXPECT_EQ(document.StatusText(1), first.string());
    EXPECT_EQ(document.ControlSize(), QSize(64, 48));

    document.ZoomIn();
    document.ZoomIn();
    EXPECT_EQ(document.StatusText(0), "400%");
    EXPECT_EQ(document.ControlSize(), QSize(256, 192));
    EXPECT_TRUE(document.ScrollBarsShown());

    document.Load(second, false);
    EXPECT_EQ(document.StatusText(0), "100%");
    document.ZoomIn();
    EXPECT_EQ(document.StatusText(0), "800%"); // a load keeps the percentage

    document.Load(second, true);
    EXPECT_EQ(document.StatusText(0), "Resized");
}

TEST_F(StudioDocumentTest, ZoomOutFromTheStartGoesDownToZero) {
    document.Load(writeJpeg("a.jpg", 64, 48), false);
    std::vector<std::string> shown;
    for (int i = 0; i < 7; ++i) {
        document.ZoomOut();
        shown.push_back(document.StatusText(0));
    }
    EXPECT_THAT(shown, ElementsAre("50%", "25%", "12%", "6%", "3%", "1%", "0%"));
    EXPECT_EQ(document.ControlSize(), QSize(0, 0));
}

TEST_F(StudioDocumentTest, AFittedPictureFillsThePageCentred) {
    document.SetPageSize(QSize(400, 400));
    document.Load(writeJpeg("wide.jpg", 64, 32), true);
    EXPECT_EQ(document.ControlSize(), QSize(400, 400));
    EXPECT_EQ(document.PictureRect(), QRect(0, 100, 400, 200)); // small pictures are enlarged
    EXPECT_FALSE(document.ScrollBarsShown());
}

// A fitted picture is decoded at the smallest reduced scale that still
// covers the page; real size and zooming decode the whole picture.
TEST_F(StudioDocumentTest, FittedJpegIsDecodedAtTheCoveringScale) {
    auto file = writeJpeg("large.jpg", 1600, 1200);
    struct Case {
        QSize page;
        bool fit;
        QSize decoded;
    };
    const Case cases[] = {
        {{200, 150}, true, {200, 150}},     // 1/8
        {{201, 151}, true, {400, 300}},     // 1/8 would not cover: 1/4
        {{700, 500}, true, {800, 600}},     // 1/2
        {{1280, 800}, true, {1600, 1200}},  // 1/2 would not cover
        {{1900, 1900}, true, {1600, 1200}}, // larger than the picture
        {{200, 150}, false, {1600, 1200}},  // real size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.page.width()) + (c.fit ? " fit" : " real"));
        document.SetPageSize(c.page);
        document.Load(file, c.fit);
        EXPECT_EQ(document.Picture().size(), c.decoded);
        EXPECT_EQ(document.FullPictureSize(), QSize(1600, 1200));
    }

    document.SetPageSize({200, 150});
    document.Load(file, true);
    document.RotateClockwise();
    EXPECT_EQ(document.FullPictureSize(), QSize(1200, 1600));
    document.ZoomIn();
    EXPECT_FALSE(document.PictureIsReduced());
    ASSERT_EQ(document.Picture().size(), QSize(1200, 1600));
    EXPECT_GT(QColor(document.Picture().pixel(1199, 0)).red(), 240); // red quadrant, turned
    EXPECT_EQ(document.ControlSize(), QSize(400, 300));
}

TEST_F(StudioDocumentTest, UndecodableAndUnshownFilesLeaveTheCurrentFile) {
    auto good = writeJpeg("good.jpg", 32, 16);
    document.Load(good, true);

    writeFile(folder / "broken.jpg", "\xFF\xD8\xFF\xE0 not a picture");
    EXPECT_THROW(document.Load(folder / "broken.jpg", true), EStudioDecodeError);
    EXPECT_TRUE(document.Picture().isNull());
    EXPECT_EQ(document.CurrentFile(), good);

    document.Load(good, true);
    writeFile(folder / "a.gif", "GIF89a");
    document.Load(folder / "a.gif", true);
    EXPECT_TRUE(document.Picture().isNull());
    EXPECT_EQ(document.CurrentFile(), good);
}

TEST_F(StudioDocumentTest, NavigationListIsKeptAfterTheFolderChanges) {
    auto a = writeJpeg("a.jpg", 16, 16), b = writeJpeg("b.jpg", 16, 16),
         c = writeJpeg("c.jpg", 16, 16);
    std::vector<std::string> shownList = {a.string(), b.string(), c.string()};
    auto imageList = [&] { return shownList; };

    document.Load(a, true);
    EXPECT_FALSE(document.LoadPrevious(imageList, true)); // no wrap-around
    EXPECT_TRUE(document.LoadNext(imageList, true));
    EXPECT_EQ(document.CurrentFile(), b);

    shownList = {(folder / "other.jpg").string()}; // the image list shows another folder
    EXPECT_TRUE(document.LoadNext(imageList, true));
    EXPECT_EQ(document.CurrentFile(), c);
    EXPECT_FALSE(document.LoadNext(imageList, true));
    EXPECT_TRUE(document.LoadPrevious(imageList, false));
    EXPECT_EQ(document.CurrentFile(), b);
    EXPECT_EQ(document.StatusText(0), "100%");

    auto outside = writeJpeg("outside.jpg", 16, 16);
    document.Load(outside, true);
    EXPECT_FALSE(document.LoadNext(imageList, true)); // not in the list: no step
    EXPECT_EQ(document.CurrentFile(), outside);
}

TEST_F(StudioDocumentTest, SavingAnotherKindWarnsOnlyAfterYes) {
    auto png = folder / "a.png";
    quadrants(20, 10).save(QString::fromStdString(png.string()), "PNG");
    std::string before = readFile(png);
    document.Load(png, true);

    for (bool answer : {false, true}) {
        ScriptedPrompts prompts;
        prompts.answers = {answer};
        document.Save(prompts);
        EXPECT_THAT(prompts.questions, ElementsAre(kRewriteQuestion));
        EXPECT_EQ(prompts.messages, answer ? std::vector<std::string>{kSaveKindsWarning}
                                           : std::vector<std::string>{});
    }
    EXPECT_EQ(readFile(png), before);
}

TEST_F(StudioDocumentTest, SavedBitmapHoldsTheTurnedPicture) {
    auto bmp = folder / "a.bmp";
    quadrants(30, 20).save(QString::fromStdString(bmp.string()), "BMP");
    document.Load(bmp, true);
    document.RotateAnticlockwise();
    ScriptedPrompts prompts;
    document.Save(prompts);
    QImage saved(QString::fromStdString(bmp.string()));
    EXPECT_TRUE(samePixels(saved, TurnedAnticlockwise(quadrants(30, 20))));
}

// A JPEG with EXIF, IPTC and an ICC profile, turned and saved: the data is
// turned without re-encoding and every metadata segment stays.
TEST_F(StudioDocumentTest, TurnedJpegIsSavedLosslesslyWithItsMetadata) {
    auto file = writeJpeg("photo.jpg", 64, 48);
    auto quoted = shellQuoted(file.string());
    ASSERT_EQ(run("exiftool -q -overwrite_original -Artist=Ann -Keywords=sky "
                  "'-ICC_Profile<=/usr/share/color/icc/ghostscript/srgb.icc' " +
                  quoted)
                  .status,
              0);
    auto reference = folder / "reference.jpg";
    ASSERT_EQ(run("jpegtran -rotate 90 -outfile " + shellQuoted(reference.string()) + " " + quoted)
                  .status,
              0);

    document.SetPageSize({16, 16});
    document.Load(file, true);
    document.RotateClockwise();
    ScriptedPrompts prompts;
    document.Save(prompts);
    EXPECT_THAT(prompts.questions, ElementsAre(kRewriteQuestion));

    CommandResult tags =
        run("exiftool -s -Artist -Keywords -ProfileDescription -ImageSize " + quoted);
    EXPECT_THAT(tags.output, HasSubstr("Artist                          : Ann"));
    EXPECT_THAT(tags.output, HasSubstr("Keywords                        : sky"));
    EXPECT_THAT(tags.output, HasSubstr("ProfileDescription"));
    EXPECT_THAT(tags.output, HasSubstr("ImageSize                       : 48x64"));
    EXPECT_TRUE(samePixels(QImage(QString::fromStdString(file.string())),
                           QImage(QString::fromStdString(reference.string()))));
}

// A size that is not a whole number of blocks cannot be turned exactly in
// the data: the picture is encoded, and the metadata still kept.
TEST_F(StudioDocumentTest, PartialBlocksAreEncodedKeepingTheMetadata) {
    auto file = writeJpeg("odd.jpg", 70, 50);
    auto quoted = shellQuoted(file.string());
    ASSERT_EQ(run("exiftool -q -overwrite_original -Artist=Ann -Keywords=sky " + quoted).status, 0);
    document.Load(file, false);
    document.RotateClockwise();
    ScriptedPrompts prompts;
    document.Save(prompts);

    CommandResult tags = run("exiftool -s -Artist -Keywords -ImageSize " + quoted);
    EXPECT_THAT(tags.output, HasSubstr("Ann"));
    EXPECT_THAT(tags.output, HasSubstr("sky"));
    EXPECT_THAT(tags.output, HasSubstr("50x70"));
    QImage saved(QString::fromStdString(file.string()));
    EXPECT_GT(QColor(saved.pixel(45, 5)).red(), 200); // red top-left quadrant now at the top right
    EXPECT_LT(QColor(saved.pixel(45, 5)).blue(), 60);
}

TEST_F(StudioDocumentTest, EpsIsShownThroughTheRenderer) {
    writeFile(folder / "logo.eps", LogoEps());
    document.Load(folder / "logo.eps", true); // no renderer: nothing shown
    EXPECT_TRUE(document.Picture().isNull());

    SetPostScriptRenderer(std::make_shared<TGhostScriptSandbox>(
        std::filesystem::path(ORVELLA_BIN_DIR) / "orvella-render-helper", kGhostScriptLibraryName,
        32));
    document.Load(folder / "logo.eps", true);
    SetPostScriptRenderer(nullptr);
    ASSERT_FALSE(document.Picture().isNull());
    EXPECT_EQ(document.CurrentFile(), folder / "logo.eps");
    EXPECT_TRUE(IsGreenish(document.Picture(), 0.25, 0.5));
}

} // namespace
} // namespace orvella::test
