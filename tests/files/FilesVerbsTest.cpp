#include "PictureFixtures.h"

#include "files/PreviewCache.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace orvella::test {
namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

class FilesVerbsTest : public ::testing::Test {
protected:
    ToolRun run(const std::string& arguments) {
        std::string command = std::string(ORVELLA_BIN_DIR) + "/orvella-tool " + arguments + " > '" +
                              (folder / "stdout").string() + "' 2> '" +
                              (folder / "stderr").string() + "'";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(folder / "stdout"),
                readFile(folder / "stderr")};
    }
    std::string quoted(const std::string& name) { return "'" + (folder / name).string() + "'"; }
    TempFolder folder;
};

TEST_F(FilesVerbsTest, Md5PrintsTheImageKey) {
    writeFile(folder / "empty", "");
    ToolRun result = run("md5 " + quoted("empty"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "D41D8CD98F00B204E9800998ECF8427E\n");
}

TEST_F(FilesVerbsTest, KindPrintsKindAndCatalogueMaterial) {
    struct Case {
        const char* name;
        const char* line;
    };
    for (Case c :
         {Case{"photo.jpe", "none catalogue\n"}, Case{"scan.ps", "PostScript not-catalogue\n"},
          Case{"IMG.JPG", "JPEG catalogue\n"}, Case{"icon.gif", "GIF not-catalogue\n"},
          Case{"README", "none not-catalogue\n"}, Case{"x.nef", "RAW catalogue\n"}}) {
        WriteBytes(folder / c.name, "bytes"); // the kind is told by the name
        ToolRun result = run("kind " + quoted(c.name));
        EXPECT_EQ(result.status, 0) << c.name;
        EXPECT_EQ(result.out, c.line);
    }
}

TEST_F(FilesVerbsTest, KindOfAMissingFileOrAFolderSaysWhatIsWrong) {
    std::filesystem::create_directories(folder / "album.jpg");
    for (const char* name : {"missing.jpg", "album.jpg"}) {
        ToolRun result = run("kind " + quoted(name));
        EXPECT_EQ(result.status, 1) << name;
        EXPECT_EQ(result.out, "") << name;
        EXPECT_NE(result.err.find(name), std::string::npos) << result.err;
    }
}

TEST_F(FilesVerbsTest, ThumbWritesTheCacheBitmap) {
    WriteBytes(folder / "p.jpg", EncodeJpeg({3000, 2000, qRgb(255, 0, 0)}));
    ToolRun result = run("thumb " + quoted("p.jpg") + " " + quoted("out.bmp"));
    EXPECT_EQ(result.status, 0) << result.err;
    std::optional<QImage> thumbnail = ReadPreviewFile(folder / "out.bmp");
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->size(), QSize(96, 96));
    EXPECT_EQ(thumbnail->pixel(48, 15), qRgb(255, 255, 255));
    EXPECT_TRUE(IsNear(thumbnail->pixel(48, 16), qRgb(255, 0, 0)));
}

TEST_F(FilesVerbsTest, FailuresGoToStandardErrorWithStatusOne) {
    writeFile(folder / "random.jpg", "\x12\x34 no picture here");
    ToolRun noThumbnail = run("thumb " + quoted("random.jpg") + " " + quoted("out.bmp"));
    EXPECT_EQ(noThumbnail.status, 1);
    EXPECT_EQ(noThumbnail.err, "no thumbnail\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.bmp"));

    ToolRun missing = run("md5 " + quoted("missing"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing"), std::string::npos);
    EXPECT_EQ(missing.out, "");

    for (const char* arguments : {"md5", "kind a b", "thumb a"})
        EXPECT_EQ(run(arguments).status, 1) << arguments;
}

} // namespace
} // namespace orvella::test
