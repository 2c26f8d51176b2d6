// The "Convert EPS to JPEG" command on the first selected file.
#include "PostScriptFixtures.h"

#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"
#include "ui/ConvertEpsCommand.h"
#include "viewer/GhostScriptLibrary.h"
#include "viewer/GhostScriptSandbox.h"

#include <gtest/gtest.h>

namespace orvella::test {
namespace {

class ConvertEpsCommandTest : public ::testing::Test {
protected:
    TImageData selected(const std::string& name) {
        TImageData data;
        data.FileName = name;
        data.FilePath = folder.path().string();
        data.FullName = (folder / name).string();
        return data;
    }
    void convert(const TImageData* first, PostScriptRenderer* with) {
        ConvertEpsToJpegCommand(first, with, prompts, [this] { ++refreshes; });
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    TGhostScriptSandbox renderer{std::filesystem::path(ORVELLA_BIN_DIR) / "orvella-render-helper",
                                 kGhostScriptLibraryName, 32};
    int refreshes = 0;
};

TEST_F(ConvertEpsCommandTest, WritesTheJpegBesideTheEpsAndRefreshes) {
    writeFile(folder / "logo.eps", LogoEps());
    writeFile(folder / "logo.jpg", "old");
    TImageData logo = selected("logo.eps");
    convert(&logo, &renderer);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(refreshes, 1);
    QImage jpeg(QString::fromStdString((folder / "logo.jpg").string()), "JPEG");
    EXPECT_EQ(jpeg.size(), QSize(150, 75));
}

TEST_F(ConvertEpsCommandTest, OtherKindsAreAnsweredWithAMessage) {
    writeFile(folder / "photo.jpg", "not converted");
    TImageData photo = selected("photo.jpg");
    convert(&photo, &renderer);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"You should select a single EPS file."});
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(readFile(folder / "photo.jpg"), "not converted");
}

TEST_F(ConvertEpsCommandTest, WithoutASelectionNothingHappens) {
    convert(nullptr, &renderer);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(refreshes, 0);
}

TEST_F(ConvertEpsCommandTest, WithRenderingOffNothingIsWritten) {
    writeFile(folder / "logo.eps", LogoEps());
    TImageData logo = selected("logo.eps");
    convert(&logo, nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder / "logo.jpg"));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ConvertEpsCommandTest, ErrorsReachTheCallerAfterTheRefresh) {
    TImageData missing = selected("gone.eps");
    EXPECT_THROW(convert(&missing, &renderer), std::runtime_error);
    EXPECT_EQ(refreshes, 1);
}

} // namespace
} // namespace orvella::test
