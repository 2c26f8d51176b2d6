// orvella-tool's render and rawinfo verbs, and thumb on RAW and PostScript.
#include "DngFixture.h"
#include "PostScriptFixtures.h"

#include "support/TempFolder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace orvella::test {
namespace {

class ViewerVerbsTest : public ::testing::Test {
protected:
    int run(const std::string& arguments) {
        std::string command = std::string(ORVELLA_BIN_DIR) + "/orvella-tool " + arguments + " > '" +
                              (folder / "stdout").string() + "' 2> '" +
                              (folder / "stderr").string() + "'";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string quoted(const std::string& name) { return "'" + (folder / name).string() + "'"; }
    QImage bitmap(const std::string& name) {
        return QImage(QString::fromStdString((folder / name).string()), "BMP");
    }
    TempFolder folder;
};

TEST_F(ViewerVerbsTest, RenderWritesTheFirstPageAt75Dpi) {
    writeFile(folder / "two.ps", TwoPagePostScript());
    ASSERT_EQ(run("render " + quoted("two.ps") + " " + quoted("page.bmp")), 0);
    QImage page = bitmap("page.bmp");
    EXPECT_EQ(page.size(), QSize(208, 104));
    EXPECT_TRUE(IsReddish(page, 0.05, 0.95));
}

TEST_F(ViewerVerbsTest, RenderReportsAMissingFile) {
    EXPECT_EQ(run("render " + quoted("none.eps") + " " + quoted("page.bmp")), 1);
    EXPECT_NE(readFile(folder / "stderr").find("does not exist."), std::string::npos);
}

TEST_F(ViewerVerbsTest, RawInfoPrintsTheNineRows) {
    WriteDng(folder / "photo.dng", DngDescription{});
    ASSERT_EQ(run("rawinfo " + quoted("photo.dng")), 0);
    EXPECT_EQ(readFile(folder / "stdout"), "ISO=200\n"
                                           "Shutter Speed=0.00800 second\n"
                                           "Aperture=  5.60\n"
                                           "Focal Length= 50.00\n"
                                           "Rotate Image=90 degress\n"
                                           "Width=64\n"
                                           "Height=48\n"
                                           "Model=Bench Camera\n"
                                           "Make=Orvella\n");
    writeFile(folder / "broken.dng", "not a raw file");
    EXPECT_EQ(run("rawinfo " + quoted("broken.dng")), 1);
}

TEST_F(ViewerVerbsTest, ThumbCoversRawAndPostScriptFiles) {
    DngDescription description;
    description.preview = DngDescription::Preview::Jpeg;
    WriteDng(folder / "photo.dng", description);
    writeFile(folder / "logo.eps", LogoEps());
    for (const char* file : {"photo.dng", "logo.eps"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(run(std::string("thumb ") + quoted(file) + " " + quoted("thumb.bmp")), 0);
        QImage thumbnail = bitmap("thumb.bmp");
        EXPECT_EQ(thumbnail.size(), QSize(96, 96));
        EXPECT_NE(thumbnail.pixelColor(30, 48), QColor(Qt::white));
    }
}

TEST_F(ViewerVerbsTest, ThumbOfARawFileCutShortFailsWithTheLibrarysWords) {
    DngDescription description;
    description.dataLast = true;
    std::string whole = MakeDng(description);
    writeFile(folder / "cut.dng", whole.substr(0, whole.size() - 4000));
    EXPECT_EQ(run("thumb " + quoted("cut.dng") + " " + quoted("thumb.bmp")), 1);
    std::string error = readFile(folder / "stderr");
    EXPECT_EQ(error.rfind("no thumbnail: " + (folder / "cut.dng").string() + ": ", 0), 0u) << error;
    EXPECT_FALSE(std::filesystem::exists(folder / "thumb.bmp"));
}

} // namespace
} // namespace orvella::test
