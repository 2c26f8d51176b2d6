// The interpreter wrapper itself, run inside the test process on files that
// are known to be harmless; hostile files go through the sandbox only.
#include "PostScriptFixtures.h"

#include "support/TempFolder.h"
#include "viewer/GhostScript.h"
#include "viewer/GhostScriptSandbox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Keeps the test process's current directory as it was.
struct CurrentDirectoryKept {
    std::filesystem::path saved = std::filesystem::current_path();
    ~CurrentDirectoryKept() { std::filesystem::current_path(saved); }
};

TEST(GhostScriptTest, InitialisesWithExactlyFourArgumentsOnA32BitScreen) {
    TGhostScriptLibrary library(kGhostScriptLibraryName);
    TGhostScript ghostScript(library, "/opt/orvella/Orvella", 32);
    EXPECT_THAT(ghostScript.InitArguments(), ElementsAre("/opt/orvella/Orvella", "-sDEVICE=display",
                                                         "-dDisplayFormat=198660", "-r75"));
}

TEST(GhostScriptTest, DisplayFormatFollowsTheScreenDepth) {
    const std::pair<int, unsigned> cases[] = {{32, 198660}, {24, 198660}, {15, 198660},
                                              {16, 204801}, {8, 198657},  {7, 197633},
                                              {4, 197633},  {3, 196865},  {1, 196865}};
    for (auto [bits, format] : cases)
        EXPECT_EQ(TGhostScript::DisplayFormatFor(bits), format) << bits << " bits";
}

// The format flags of the display device as one number.
constexpr unsigned flags(auto... flag) {
    return (static_cast<unsigned>(flag) | ...);
}

TEST(GhostScriptTest, SizeHandlerDerivesBitsAndColoursFromTheFormat) {
    struct Case {
        unsigned format;
        int bits;
        int colours;
    };
    const Case cases[] = {
        {flags(DISPLAY_COLORS_NATIVE, DISPLAY_DEPTH_1), 1, 2},
        {flags(DISPLAY_COLORS_NATIVE, DISPLAY_DEPTH_4), 4, 16},
        {flags(DISPLAY_COLORS_NATIVE, DISPLAY_DEPTH_8), 8, 96},
        {flags(DISPLAY_COLORS_NATIVE, DISPLAY_DEPTH_16, DISPLAY_LITTLEENDIAN), 16, 0},
        {flags(DISPLAY_COLORS_NATIVE, DISPLAY_DEPTH_16), 24, 0},
        {flags(DISPLAY_COLORS_GRAY, DISPLAY_DEPTH_8), 8, 256},
        {flags(DISPLAY_COLORS_GRAY, DISPLAY_DEPTH_1), 1, 2},
        {flags(DISPLAY_COLORS_RGB, DISPLAY_DEPTH_8), 24, 0},
        {flags(DISPLAY_COLORS_CMYK, DISPLAY_DEPTH_8), 24, 0},
    };
    for (const Case& c : cases) {
        int bits = -1, colours = -1;
        TGhostScript::DescribeFormat(c.format, bits, colours);
        EXPECT_EQ(bits, c.bits) << c.format;
        EXPECT_EQ(colours, c.colours) << c.format;
    }
}

// A 2 x 2 buffer in each layout the device may deliver, rows padded to 8
// bytes: the page must come out top row first as red, green / blue, white.
TEST(GhostScriptTest, PagesAreReadInEveryDeliveredLayout) {
    struct Case {
        const char* name;
        unsigned format;
        std::vector<uint8_t> buffer;
        std::vector<uint8_t> rgb;
    };
    const std::vector<uint8_t> redGreenBlueWhite = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const Case cases[] = {
        {"24-bit BGR, bottom first",
         198660,
         {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0},
         redGreenBlueWhite},
        {"24-bit RGB, top first",
         flags(DISPLAY_COLORS_RGB, DISPLAY_DEPTH_8),
         {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0},
         redGreenBlueWhite},
        {"16-bit 565, bottom first",
         204801,
         {0x1F, 0x00, 0xFF, 0xFF, 0, 0, 0, 0, 0x00, 0xF8, 0xE0, 0x07, 0, 0, 0, 0},
         redGreenBlueWhite},
        {"8-bit grey, top first",
         flags(DISPLAY_COLORS_GRAY, DISPLAY_DEPTH_8),
         {0, 255, 0, 0, 0, 0, 0, 0, 128, 64, 0, 0, 0, 0, 0, 0},
         {0, 0, 0, 255, 255, 255, 128, 128, 128, 64, 64, 64}},
        {"8-bit native, bottom first",
         198657,
         {95, 48, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0},
         {0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> buffer = c.buffer;
        TGhostScript::ImageDescriptor image;
        image.width = 2;
        image.height = 2;
        image.rowLength = 8;
        image.format = c.format;
        image.pixels = buffer.data();
        TPageBitmap page = TGhostScript::PictureFromDisplay(image);
        EXPECT_EQ(page.width, 2);
        EXPECT_EQ(page.height, 2);
        EXPECT_EQ(page.rgb, c.rgb);
    }
    TGhostScript::ImageDescriptor cmyk;
    cmyk.width = cmyk.height = 1;
    cmyk.rowLength = 4;
    cmyk.format = flags(DISPLAY_COLORS_CMYK, DISPLAY_DEPTH_8);
    uint8_t pixel[4] = {};
    cmyk.pixels = pixel;
    EXPECT_TRUE(TGhostScript::PictureFromDisplay(cmyk).Empty())
        << "a layout the program never asks for";
}

TEST(GhostScriptTest, WithoutTheLibraryEveryCallYieldsZero) {
    TGhostScriptLibrary missing("libgs-that-is-not-installed.so.10");
    ASSERT_FALSE(missing.Loaded());
    void* instance = nullptr;
    int exitCode = 0;
    EXPECT_EQ(missing.NewInstance(&instance, nullptr), 0);
    EXPECT_EQ(missing.SetStdio(instance, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(missing.SetPoll(instance, nullptr), 0);
    EXPECT_EQ(missing.SetDisplayCallback(instance, nullptr), 0);
    EXPECT_EQ(missing.InitWithArgs(instance, 0, nullptr), 0);
    EXPECT_EQ(missing.RunFile(instance, "x.ps", 0, &exitCode), 0);
    EXPECT_EQ(missing.Exit(instance), 0);
    EXPECT_EQ(missing.DeleteInstance(instance), 0);
}

TEST(GhostScriptTest, TwoPagesAreRenderedAndPageOneIsShown) {
    CurrentDirectoryKept kept;
    TempFolder folder;
    writeFile(folder / "two.ps", TwoPagePostScript());
    TGhostScriptLibrary library(kGhostScriptLibraryName);
    TGhostScript ghostScript(library, "orvella", 32);
    TPageBitmap view;
    ghostScript.SetViewBitmap(&view);
    std::vector<int> generated;
    int pageChanges = 0;
    ghostScript.OnPageGenerated = [&](int pages) { generated.push_back(pages); };
    ghostScript.OnPageChanged = [&] { ++pageChanges; };

    ghostScript.OpenInstance();
    EXPECT_EQ(ghostScript.CurrentState(), TGhostScript::InstanceOpen);
    ghostScript.Initialise();
    EXPECT_EQ(ghostScript.CurrentState(), TGhostScript::Initialised);
    EXPECT_TRUE(ghostScript.RunFile(folder / "two.ps", true));
    ghostScript.Exit();
    ghostScript.DeleteInstance();
    EXPECT_EQ(ghostScript.CurrentState(), TGhostScript::NoInstance);

    EXPECT_THAT(generated, ElementsAre(1, 2));
    ASSERT_EQ(ghostScript.PageCount(), 2);
    ghostScript.FirstPage();
    EXPECT_EQ(pageChanges, 1);
    EXPECT_EQ(ghostScript.CurrentPage(), 1);
    // 200 x 100 points at 75 dpi.
    EXPECT_EQ(ghostScript.PageWidth(), 208);
    EXPECT_EQ(ghostScript.PageHeight(), 104);
    EXPECT_TRUE(IsReddish(PageImage(view), 0.05, 0.95));
    EXPECT_FALSE(IsBluish(PageImage(view), 0.95, 0.05));
    EXPECT_TRUE(IsBluish(PageImage(ghostScript.Page(2)), 0.95, 0.05));
    // The run leaves the process in the file's folder.
    EXPECT_EQ(std::filesystem::current_path(), folder.path());
}

TEST(GhostScriptTest, RunningAMissingFileFailsWithItsName) {
    TGhostScriptLibrary library(kGhostScriptLibraryName);
    TGhostScript ghostScript(library, "orvella");
    try {
        ghostScript.RunFile("/nonexistent/logo.eps", true);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "File /nonexistent/logo.eps does not exist.");
    }
}

TEST(GhostScriptTest, ResolutionMustBePositive) {
    TGhostScriptLibrary library(kGhostScriptLibraryName);
    TGhostScript ghostScript(library, "orvella");
    EXPECT_EQ(ghostScript.Resolution(), 75);
    for (int bad : {0, -72}) {
        try {
            ghostScript.SetResolution(bad);
            FAIL() << bad;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "The resolution cannot be negative");
        }
    }
    ghostScript.SetResolution(150);
    EXPECT_THAT(ghostScript.InitArguments().back(), "-r150");
}

TEST(GhostScriptTest, InterpreterErrorsComeThroughTheErrorEvent) {
    CurrentDirectoryKept kept;
    TempFolder folder;
    writeFile(folder / "bad.eps", RejectedEps());
    TGhostScriptLibrary library(kGhostScriptLibraryName);
    TGhostScript ghostScript(library, "orvella");
    std::string errors;
    ghostScript.OnError = [&](const std::string& text) { errors += text; };
    ghostScript.OpenInstance();
    ghostScript.Initialise();
    EXPECT_FALSE(ghostScript.RunFile(folder / "bad.eps", true));
    EXPECT_THAT(errors, HasSubstr("Unrecoverable error"));
    EXPECT_EQ(ghostScript.PageCount(), 0);
}

} // namespace
} // namespace orvella::test
