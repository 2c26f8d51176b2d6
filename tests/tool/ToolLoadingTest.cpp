// Which shared objects orvella-tool maps for a verb: read from the process's
// own memory map at the moment it exits, so that libraries opened at run
// time count as well as those linked in.
#include "MetadataFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace orvella {
namespace {

using namespace test;

struct ToolRun {
    int status = -1;
    std::string maps; // /proc/PID/maps as the tool was exiting
};

// Runs the tool under ptrace, stopped on its way out (PTRACE_EVENT_EXIT)
// long enough to read its memory map.
ToolRun runTraced(const std::vector<std::string>& arguments) {
    std::string tool = toolPath();
    std::vector<char*> argv{tool.data()};
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        // The leak checker cannot run in a traced process (sanitizer builds).
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    ToolRun run;
    int status = 0;
    waitpid(child, &status, 0); // stopped at the exec
    ptrace(PTRACE_SETOPTIONS, child, nullptr,
           reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL));
    ptrace(PTRACE_CONT, child, nullptr, nullptr);
    for (;;) {
        waitpid(child, &status, 0);
        if (WIFEXITED(status) || WIFSIGNALED(status))
            break;
        int signal = 0;
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            std::ifstream maps("/proc/" + std::to_string(child) + "/maps");
            std::ostringstream text;
            text << maps.rdbuf();
            run.maps = text.str();
        } else if (WIFSTOPPED(status)) {
            signal = WSTOPSIG(status); // passed on untouched
        }
        ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool maps(const ToolRun& run, const std::string& library) {
    return run.maps.find(library) != std::string::npos;
}

TEST(ToolLoading, VerbsWithoutPicturesMapNoQtGuiNorPictureCode) {
    TempFolder folder;
    std::string file = (folder / "a.jpg").string();
    writeFile(file, plainJpeg());
    const std::vector<std::vector<std::string>> verbs = {
        {"iptc-set", "ObjectName", "Harbour", "Keywords", "sea", "--", file},
        {"iptc", file},
        {"exif", file},
        {"md5", file},
        {"kind", file},
        {"clear-exif", file},
    };
    for (const auto& verb : verbs) {
        ToolRun run = runTraced(verb);
        EXPECT_EQ(run.status, 0) << verb[0];
        ASSERT_TRUE(maps(run, "/orvella-tool")) << verb[0] << ": no map read\n" << run.maps;
        for (const char* library : {"libQt6Gui", "libraw", "orvella-tool-pictures"})
            EXPECT_FALSE(maps(run, library)) << verb[0] << " maps " << library << "\n" << run.maps;
    }
}

// The same reading sees what a picture verb opens at run time.
TEST(ToolLoading, PictureVerbsOpenTheModuleWithQtGui) {
    TempFolder folder;
    writeFile(folder / "a.jpg", plainJpeg(64, 48));
    ToolRun run = runTraced({"thumb", (folder / "a.jpg").string(), (folder / "a.bmp").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(maps(run, "orvella-tool-pictures.so")) << run.maps;
    EXPECT_TRUE(maps(run, "libQt6Gui")) << run.maps;
    EXPECT_TRUE(std::filesystem::exists(folder / "a.bmp"));
}

} // namespace
} // namespace orvella
