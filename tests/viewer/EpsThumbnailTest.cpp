// Thumbnails of PostScript files, with the interpreter on and off.
#include "PostScriptFixtures.h"

#include "files/OutsideRenderers.h"
#include "files/Thumbnail.h"
#include "shell/Log.h"
#include "support/TempFolder.h"
#include "viewer/EpsToJpeg.h"
#include "viewer/GhostScriptLibrary.h"
#include "viewer/GhostScriptSandbox.h"
#include "viewer/JpegEncode.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvella::test {
namespace {

using ::testing::HasSubstr;

class EpsThumbnailTest : public ::testing::Test {
protected:
    void enableRendering() {
        SetPostScriptRenderer(std::make_shared<TGhostScriptSandbox>(
            std::filesystem::path(ORVELLA_BIN_DIR) / "orvella-render-helper",
            kGhostScriptLibraryName, 32));
    }
    void TearDown() override { SetPostScriptRenderer(nullptr); }

    void writeRedCompanion(const std::string& name) {
        QImage red(40, 40, QImage::Format_RGB888);
        red.fill(QColor(255, 0, 0));
        writeFile(folder / name, EncodeJpeg(red));
    }

    std::optional<QImage> thumbnail(const std::string& name, bool jpegPreview = false) {
        ThumbnailOptions options;
        options.jpegPreview = jpegPreview;
        return MakeThumbnail(folder / name, 96, options);
    }

    TempFolder folder;
};

// Nothing drawn and no showpage: the interpreter delivers no page. (A file
// that calls itself EPSF gets a page all the same: the interpreter ends
// every EPS job with a showpage of its own.)
const std::string kNoPage = "%!PS\n% nothing drawn\n";

TEST_F(EpsThumbnailTest, RenderedEpsIsFittedAndItsCompanionIgnored) {
    enableRendering();
    writeFile(folder / "logo.eps", LogoEps());
    writeRedCompanion("logo.jpg");
    std::optional<QImage> picture = thumbnail("logo.eps", true);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), QSize(96, 96));
    // 144 x 72 points: 96 x 48 on white, from top 24; green on the left.
    EXPECT_EQ(picture->pixelColor(48, 10), QColor(Qt::white));
    EXPECT_TRUE(IsGreenish(*picture, 0.2, 0.5));
    EXPECT_EQ(picture->pixelColor(80, 48), QColor(Qt::white));
}

TEST_F(EpsThumbnailTest, RejectedEpsGivesTheErrorPictureAndLogsTheError) {
    enableRendering();
    TLog log(folder / "LogFile.log", [] { return std::string("T"); });
    installAppLog(&log);
    writeFile(folder / "bad.eps", RejectedEps());
    std::optional<QImage> picture = thumbnail("bad.eps");
    installAppLog(nullptr);
    ASSERT_TRUE(picture);
    EXPECT_EQ(*picture, MakeErrorThumbnail(96));
    std::string lines;
    for (const std::string& line : log.Lines())
        lines += line;
    // The interpreter names the failed operator on its output, which is
    // dropped; its error stream says the job failed.
    EXPECT_THAT(lines, HasSubstr("Unrecoverable error"));
}

TEST_F(EpsThumbnailTest, APagelessRenderingFallsBackToTheEpsDecoder) {
    enableRendering();
    writeFile(folder / "preview.eps", DosEpsWithTiffPreview(kNoPage, 50, 100));
    writeFile(folder / "bare.eps", kNoPage);
    std::optional<QImage> decoded = thumbnail("preview.eps");
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(IsBluish(*decoded, 0.5, 0.5));
    EXPECT_EQ(decoded->pixelColor(5, 48), QColor(Qt::white)); // 48 x 96, centred
    std::optional<QImage> undecodable = thumbnail("bare.eps");
    ASSERT_TRUE(undecodable);
    EXPECT_EQ(*undecodable, MakeErrorThumbnail(96));
}

TEST_F(EpsThumbnailTest, WithRenderingOffEpsFilesFallBack) {
    writeFile(folder / "logo.eps", LogoEps());
    writeRedCompanion("logo.jpg");
    writeFile(folder / "preview.eps", DosEpsWithTiffPreview(kNoPage, 60, 60));
    ASSERT_FALSE(PostScriptRenderingEnabled());

    std::optional<QImage> companion = thumbnail("logo.eps", true);
    ASSERT_TRUE(companion);
    EXPECT_TRUE(IsReddish(*companion, 0.5, 0.5));
    EXPECT_FALSE(thumbnail("logo.eps", false)) << "no decoder reads a bare EPS";
    std::optional<QImage> preview = thumbnail("preview.eps");
    ASSERT_TRUE(preview);
    EXPECT_TRUE(IsBluish(*preview, 0.5, 0.5));
}

TEST_F(EpsThumbnailTest, IllustratorFilesAreRenderedWhetherPdfOrPostScriptInside) {
    writeFile(folder / "modern.ai", BluePdf());
    writeFile(folder / "classic.ai", LogoEps());
    EXPECT_FALSE(thumbnail("modern.ai")) << "no interpreter, no picture";
    enableRendering();
    struct Case {
        const char* name;
        bool (*inLeftHalf)(const QImage&, double, double);
        bool (*inRightHalf)(const QImage&, double, double);
    } cases[] = {
        {"modern.ai", nullptr, IsBluish},
        {"classic.ai", IsGreenish, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<QImage> picture = thumbnail(c.name);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->size(), QSize(96, 96));
        // 144 x 72 points: 96 x 48 on white from top 24, the square in one half.
        EXPECT_EQ(picture->pixelColor(48, 10), QColor(Qt::white));
        auto white = [&](int x) { return picture->pixelColor(x, 48) == QColor(Qt::white); };
        EXPECT_TRUE(c.inLeftHalf ? c.inLeftHalf(*picture, 0.25, 0.5) : white(24));
        EXPECT_TRUE(c.inRightHalf ? c.inRightHalf(*picture, 0.75, 0.5) : white(72));
    }
    writeFile(folder / "damaged.ai", "%PDF-1.4\nnothing else");
    EXPECT_FALSE(thumbnail("damaged.ai"))
        << "a file the interpreter cannot draw shows the placeholder";
}

TEST_F(EpsThumbnailTest, TheErrorPictureIsWhiteWithText) {
    QImage picture = MakeErrorThumbnail(96);
    EXPECT_EQ(picture.size(), QSize(96, 96));
    int dark = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
            dark += picture.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_GT(dark, 20);
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::white)); // the text starts at (1, 1)
    EXPECT_EQ(picture.pixelColor(50, 50), QColor(Qt::white));
}

TEST_F(EpsThumbnailTest, ConvertingLogoEpsReplacesLogoJpg) {
    writeFile(folder / "logo.eps", LogoEps());
    writeFile(folder / "logo.jpg", "an old picture");
    TGhostScriptSandbox renderer(std::filesystem::path(ORVELLA_BIN_DIR) / "orvella-render-helper",
                                 kGhostScriptLibraryName, 32);
    std::optional<std::filesystem::path> written = ConvertEpsToJpeg(folder / "logo.eps", renderer);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, folder / "logo.jpg");
    QImage jpeg(QString::fromStdString(written->string()), "JPEG");
    EXPECT_EQ(jpeg.size(), QSize(150, 75)); // 144 x 72 points at 75 dpi
    EXPECT_TRUE(IsGreenish(jpeg, 0.2, 0.5));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2)
        << "no temporary file is left beside them";
}

TEST_F(EpsThumbnailTest, ConvertingAPagelessFileWritesNothing) {
    writeFile(folder / "blank.eps", kNoPage);
    TGhostScriptSandbox renderer(std::filesystem::path(ORVELLA_BIN_DIR) / "orvella-render-helper",
                                 kGhostScriptLibraryName, 32);
    EXPECT_FALSE(ConvertEpsToJpeg(folder / "blank.eps", renderer));
    EXPECT_FALSE(std::filesystem::exists(folder / "blank.jpg"));
}

} // namespace
} // namespace orvella::test
