// The interpreter run in the helper process: what comes back, and what a
// hostile file can and cannot do.
#include "PostScriptFixtures.h"

#include "shell/Log.h"
#include "support/TempFolder.h"
#include "viewer/GhostScriptLibrary.h"
#include "viewer/GhostScriptSandbox.h"
#include "viewer/Renderers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

std::filesystem::path helper() {
    return std::filesystem::path(ORVELLA_BIN_DIR) / "orvella-render-helper";
}

TGhostScriptSandbox sandbox(RenderLimits limits = {}) {
    return TGhostScriptSandbox(helper(), kGhostScriptLibraryName, 32, limits);
}

TEST(SandboxTest, TheDefaultLimitIsThirtySeconds) {
    EXPECT_EQ(RenderLimits{}.time, 30s);
}

TEST(SandboxTest, TwoPagesAreRenderedAndTheResultIsPageOne) {
    TempFolder folder;
    writeFile(folder / "two.ps", TwoPagePostScript());
    TGhostScriptSandbox renderer = sandbox();
    std::vector<int> generated;
    renderer.OnPageGenerated = [&](int pages) { generated.push_back(pages); };
    QImage page = renderer.RenderFirstPage(folder / "two.ps");
    EXPECT_THAT(generated, ElementsAre(1, 2));
    EXPECT_EQ(renderer.LastPageCount(), 2);
    EXPECT_EQ(page.size(), QSize(208, 104));
    EXPECT_TRUE(IsReddish(page, 0.05, 0.95));
    EXPECT_FALSE(IsBluish(page, 0.95, 0.05));
}

TEST(SandboxTest, TheProgramKeepsItsCurrentDirectory) {
    TempFolder folder;
    writeFile(folder / "logo.eps", LogoEps());
    std::filesystem::path before = std::filesystem::current_path();
    sandbox().RenderFirstPage(folder / "logo.eps");
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST(SandboxTest, WrapperErrorsReachTheCallerWithTheirText) {
    try {
        sandbox().RenderFirstPage("/nonexistent/logo.eps");
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "File /nonexistent/logo.eps does not exist.");
    }
}

TEST(SandboxTest, InterpreterErrorTextGoesToTheDiagnosticLog) {
    TempFolder folder;
    TLog log(folder / "LogFile.log", [] { return std::string("T"); });
    installAppLog(&log);
    writeFile(folder / "bad.eps", RejectedEps());
    QImage page = sandbox().RenderFirstPage(folder / "bad.eps");
    installAppLog(nullptr);
    EXPECT_EQ(page.width(), 0);
    std::string lines;
    for (const std::string& line : log.Lines())
        lines += line + "\n";
    EXPECT_THAT(lines, HasSubstr("T GPL Ghostscript 10"));
    EXPECT_THAT(lines, HasSubstr("Unrecoverable error, exit code 1\n")) << "one log line per line";
}

TEST(SandboxTest, ACrashingHelperEndsInTheErrorPath) {
    TempFolder folder;
    writeFile(folder / "logo.eps", LogoEps());
    RenderLimits starved;
    starved.memoryBytes = 8ull << 20; // too little to even load the interpreter
    EXPECT_THROW(sandbox(starved).RenderFirstPage(folder / "logo.eps"), std::runtime_error);
}

TEST(SandboxTest, AMissingHelperMeansNoRenderer) {
    EXPECT_THROW(
        TGhostScriptSandbox("/nonexistent/orvella-render-helper", kGhostScriptLibraryName, 32),
        std::runtime_error);
}

TEST(SandboxTest, TheHelperIsFoundBesideTheProgramThenInLibexec) {
    namespace fs = std::filesystem;
    TempFolder prefix;
    fs::path bin = prefix / "bin", libexec = prefix / "libexec" / "orvella";
    fs::create_directories(bin);
    fs::create_directories(libexec);
    EXPECT_EQ(TGhostScriptSandbox::HelperFor(bin), bin / "orvella-render-helper")
        << "neither: beside";
    writeFile(libexec / "orvella-render-helper", "");
    EXPECT_EQ(TGhostScriptSandbox::HelperFor(bin), libexec / "orvella-render-helper")
        << "installed";
    writeFile(bin / "orvella-render-helper", "");
    EXPECT_EQ(TGhostScriptSandbox::HelperFor(bin), bin / "orvella-render-helper")
        << "portable wins";
}

// Hostile files end within the limit, write nothing outside the temporary
// folder, and leave the program answering: the pump keeps being called
// while the helper runs, and a good file renders right afterwards.
TEST(SandboxTest, HostileFilesEndWithinTheLimit) {
    TempFolder folder;
    std::filesystem::path outside =
        std::filesystem::path(ORVELLA_BIN_DIR) / "orvella-hostile-was-here";
    // The interpreter's SAFER mode lets files into the temporary folder: the
    // helper's own must be a private one.
    std::filesystem::path inTemporary =
        std::filesystem::temp_directory_path() / "orvella-hostile-was-here";
    std::filesystem::remove(outside);
    std::filesystem::remove(inTemporary);
    struct Case {
        const char* name;
        std::string text;
        bool refused; // the interpreter must stop it: no page comes back
    };
    const Case cases[] = {
        {"endless loop", "%!PS\n{ 1 pop } loop\n", true},
        {"huge page",
         "%!PS\n<< /PageSize [14000 14000] >> setpagedevice\n"
         "0 0 moveto 14000 14000 lineto stroke showpage\n",
         true},
        {"reads /etc/passwd",
         "%!PS\n(/etc/passwd) (r) file 200 string readstring pop\n"
         "/Courier findfont 8 scalefont setfont 10 10 moveto show showpage\n",
         true},
        {"pipe device",
         "%!PS\n(%pipe%touch " + outside.string() + ") (w) file closefile showpage\n", true},
        {"writes outside",
         "%!PS\n(" + outside.string() + ") (w) file dup (x) writestring closefile showpage\n",
         true},
        {"writes into the temporary folder",
         "%!PS\n(" + inTemporary.string() + ") (w) file dup (x) writestring closefile showpage\n",
         true},
    };
    RenderLimits limits;
    limits.time = 4s;
    for (const Case& hostile : cases) {
        SCOPED_TRACE(hostile.name);
        writeFile(folder / "hostile.eps", hostile.text);
        TGhostScriptSandbox renderer = sandbox(limits);
        int pumps = 0;
        renderer.PumpMessages = [&] { ++pumps; };
        auto start = std::chrono::steady_clock::now();
        QImage page;
        bool failed = false;
        try {
            page = renderer.RenderFirstPage(folder / "hostile.eps");
        } catch (const std::runtime_error&) {
            failed = true;
        }
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, limits.time + 2s);
        if (hostile.refused) {
            EXPECT_TRUE(failed || page.width() == 0) << "the hostile file drew its page";
        }
        EXPECT_FALSE(std::filesystem::exists(outside));
        EXPECT_FALSE(std::filesystem::exists(inTemporary));
        EXPECT_GT(pumps, 0);
    }
    writeFile(folder / "logo.eps", LogoEps());
    EXPECT_TRUE(IsGreenish(sandbox().RenderFirstPage(folder / "logo.eps"), 0.25, 0.5));
}

TEST(SandboxTest, StartUpWithAnUnloadableLibraryDisablesRendering) {
    TempFolder folder;
    TLog log(folder / "LogFile.log", [] { return std::string("T"); });
    log.SetLogEnabled(true);
    installAppLog(&log);
    EXPECT_FALSE(StartOutsideRenderers("libgs-hidden-for-this-test.so.10"));
    EXPECT_FALSE(PostScriptRenderingEnabled());
    EXPECT_TRUE(StartOutsideRenderers());
    EXPECT_TRUE(PostScriptRenderingEnabled());
    StopOutsideRenderers();
    installAppLog(nullptr);
    std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], HasSubstr("GhostScript disabled"));
    EXPECT_THAT(lines[1], HasSubstr("GhostScript enabled"));
}

} // namespace
} // namespace orvella::test
