// The RAW library on DNG files made here: its facts, its previews and the
// RAW thumbnails made from them, and damaged files.
#include "DngFixture.h"

#include "files/OutsideRenderers.h"
#include "files/Thumbnail.h"
#include "support/TempFolder.h"
#include "viewer/RawBridge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace orvella::test {
namespace {

using Preview = DngDescription::Preview;

class RawBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The thumbnail's temporary files go to a folder of the test's own.
        const char* saved = std::getenv("TMPDIR");
        savedTemp_ = saved ? std::optional<std::string>(saved) : std::nullopt;
        std::filesystem::create_directory(folder / "tmp");
        setenv("TMPDIR", (folder / "tmp").c_str(), 1);
        SetRawPreviewWriter(std::make_shared<TRawPreviewWriter>());
    }
    void TearDown() override {
        SetRawPreviewWriter(nullptr);
        if (savedTemp_)
            setenv("TMPDIR", savedTemp_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    std::filesystem::path dng(const std::string& name, Preview preview) {
        DngDescription description;
        description.preview = preview;
        WriteDng(folder / name, description);
        return folder / name;
    }
    bool temporaryFolderEmpty() { return std::filesystem::is_empty(folder / "tmp"); }

    TempFolder folder;

private:
    std::optional<std::string> savedTemp_;
};

TEST_F(RawBridgeTest, RawInfoReadsTheCameraFacts) {
    std::optional<TRawSummary> summary = ReadRawInfo(dng("photo.dng", Preview::Jpeg));
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->iso, 200);
    EXPECT_FLOAT_EQ(summary->shutter, 1.0f / 125);
    EXPECT_FLOAT_EQ(summary->aperture, 5.6f);
    EXPECT_FLOAT_EQ(summary->focalLength, 50.0f);
    EXPECT_EQ(summary->rotation, 90);
    EXPECT_EQ(summary->width, 64);
    EXPECT_EQ(summary->height, 48);
    EXPECT_EQ(summary->make, "Orvella");
    EXPECT_EQ(summary->model, "Bench Camera");
}

TEST_F(RawBridgeTest, SummaryRowsAreNamedAndFormatted) {
    TRawSummary summary{400, 0.004f, 2.8f, 135.0f, 270, 6000, 4000, "Maker", "Model X"};
    using Row = std::pair<std::string, std::string>;
    EXPECT_THAT(RawSummaryRows(summary),
                ::testing::ElementsAre(Row{"ISO", "400"}, Row{"Shutter Speed", "0.00400 second"},
                                       Row{"Aperture", "  2.80"}, Row{"Focal Length", "135.00"},
                                       Row{"Rotate Image", "270 degress"}, Row{"Width", "6000"},
                                       Row{"Height", "4000"}, Row{"Model", "Model X"},
                                       Row{"Make", "Maker"}));
}

TEST_F(RawBridgeTest, PreviewFormatFollowsWhatTheFileCarries) {
    struct Case {
        Preview preview;
        int format;
        const char* signature;
    };
    const Case cases[] = {
        {Preview::Jpeg, 1, "\xFF\xD8"}, {Preview::Rgb, 2, "P6"}, {Preview::None, 3, "II*"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        std::filesystem::path raw = dng("photo.dng", c.preview);
        RawPreviewResult result = ConvertRawPreview(raw, folder / "preview.out");
        EXPECT_EQ(result.outcome, RawPreviewResult::Written);
        EXPECT_EQ(result.format, c.format);
        EXPECT_EQ(readFile(folder / "preview.out").rfind(c.signature, 0), 0u);
    }
}

TEST_F(RawBridgeTest, ThumbnailsComeFromEveryKindOfPreview) {
    for (Preview preview : {Preview::Jpeg, Preview::Rgb, Preview::None}) {
        SCOPED_TRACE(static_cast<int>(preview));
        std::optional<QImage> thumbnail = MakeThumbnail(dng("photo.dng", preview), 96);
        ASSERT_TRUE(thumbnail);
        EXPECT_EQ(thumbnail->size(), QSize(96, 96));
        // Not square: white margins, the picture in the middle.
        EXPECT_EQ(thumbnail->pixelColor(0, 0), QColor(Qt::white));
        EXPECT_NE(thumbnail->pixelColor(48, 48), QColor(Qt::white));
        EXPECT_TRUE(temporaryFolderEmpty()) << "temporary files are removed";
    }
}

TEST_F(RawBridgeTest, DamagedRawFilesGiveNoInformationAndNoThumbnail) {
    std::string whole = MakeDng(DngDescription{});
    const std::pair<const char*, std::string> cases[] = {
        {"truncated", whole.substr(0, 120)},
        {"garbage", std::string(4096, '\x5A')},
        {"empty", ""},
        {"header pointing nowhere",
         std::string("II*\0\xFF\xFF\xFF\x7F", 8) + std::string(64, '\0')},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        writeFile(folder / "broken.dng", content);
        EXPECT_FALSE(ReadRawInfo(folder / "broken.dng"));
        EXPECT_EQ(ConvertRawPreview(folder / "broken.dng", folder / "out").outcome,
                  RawPreviewResult::Error);
        EXPECT_FALSE(MakeThumbnail(folder / "broken.dng", 96));
        EXPECT_TRUE(temporaryFolderEmpty());
    }
    EXPECT_FALSE(ReadRawInfo(folder / "missing.dng"));
}

// A file cut short inside its picture data keeps its directories, so the
// library opens it and reports a data error while reading: the zeros it
// fills in are no picture of the file.
TEST_F(RawBridgeTest, FileCutShortInItsDataGivesAnErrorAndNoThumbnail) {
    DngDescription description;
    description.dataLast = true;
    std::string whole = MakeDng(description);
    writeFile(folder / "whole.dng", whole);
    ASSERT_TRUE(MakeThumbnail(folder / "whole.dng", 96)) << "the uncut file has a picture";
    size_t dataBytes = static_cast<size_t>(description.width * description.height * 2);
    writeFile(folder / "cut.dng", whole.substr(0, whole.size() - dataBytes + 200));

    EXPECT_TRUE(ReadRawInfo(folder / "cut.dng")) << "the directories are whole";
    RawPreviewResult result = ConvertRawPreview(folder / "cut.dng", folder / "out");
    EXPECT_EQ(result.outcome, RawPreviewResult::Error);
    EXPECT_THAT(result.error, ::testing::HasSubstr("cut.dng: "));
    ThumbnailAttempt attempt = TryMakeThumbnail(folder / "cut.dng", 96);
    EXPECT_FALSE(attempt.picture);
    EXPECT_EQ(attempt.error, result.error);
    EXPECT_FALSE(MakeThumbnail(folder / "cut.dng", 96));
    EXPECT_TRUE(temporaryFolderEmpty());
}

TEST_F(RawBridgeTest, WithoutTheConverterRawFilesHaveNoThumbnail) {
    SetRawPreviewWriter(nullptr);
    EXPECT_FALSE(MakeThumbnail(dng("photo.dng", Preview::Jpeg), 96));
}

} // namespace
} // namespace orvella::test
