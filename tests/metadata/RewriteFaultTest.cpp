// A rewrite that is killed, or whose system calls fail, or that meets a full
// file system, leaves the file with its old bytes or its new ones, never
// anything else; a failure is reported with exit status 1 and leaves no
// temporary file behind.
#include "MetadataFixtures.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/mount.h>

namespace orvella {
namespace {

using namespace test;

std::string quotedPath(const std::filesystem::path& file) {
    return shellQuoted(file.string());
}

std::string rewriteCommand(const std::filesystem::path& file) {
    return shellQuoted(toolPath()) + " iptc-set ObjectName new " + quotedPath(file);
}

// The leak checker of a sanitizer build cannot run under ptrace; the
// address checks stay on.
const char* kUnderTrace = "env ASAN_OPTIONS=detect_leaks=0 ";

std::string underStrace(const std::string& injection, const std::string& command) {
    return std::string(kUnderTrace) +
           "strace -f -qq -o /dev/null -e trace=" + injection.substr(0, injection.find(':')) +
           " -e inject=" + injection + " " + command;
}

size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class RewriteFaults : public ::testing::Test {
protected:
    void SetUp() override {
        if (runCommand("strace -qq -o /dev/null true").status != 0)
            GTEST_SKIP() << "strace cannot trace processes here";
        original_ = withSegments(plainJpeg(),
                                 jpegSegment(0xED, photoshopPayload(iptcDataset(2, 5, "old"))));
        writeFile(file(), original_);
        ASSERT_EQ(runCommand(rewriteCommand(file())).status, 0);
        rewritten_ = readFile(file());
        ASSERT_NE(rewritten_, original_);
        // The XMP packet is written in the same rewrite as the IPTC block.
        ASSERT_NE(rewritten_.find(std::string("http://ns.adobe.com/xap/1.0/\0", 29)),
                  std::string::npos);
    }
    std::filesystem::path file() const { return folder_ / "photo.jpg"; }

    TempFolder folder_;
    std::string original_, rewritten_;
};

// The names of the system calls a rewrite makes, from strace's summary.
std::vector<std::string> systemCallsOf(const std::string& command) {
    CommandResult summary =
        runCommand(kUnderTrace + std::string("strace -f -qq -c -U name ") + command);
    std::vector<std::string> calls;
    std::istringstream in(summary.output);
    for (std::string line; std::getline(in, line);) {
        std::string name = line.substr(0, line.find(' '));
        if (!name.empty() &&
            name.find_first_not_of("abcdefghijklmnopqrstuvwxyz_0123456789") == std::string::npos &&
            name != "syscall" && name != "total" && name != "execve")
            calls.push_back(name);
    }
    return calls;
}

TEST_F(RewriteFaults, KilledAtAnySystemCallLeavesTheOldOrTheNewFile) {
    writeFile(file(), original_);
    std::vector<std::string> calls = systemCallsOf(rewriteCommand(file()));
    for (const char* needed : {"openat", "write", "fsync", "rename", "fchmod"})
        ASSERT_NE(std::find(calls.begin(), calls.end(), needed), calls.end()) << needed;
    for (const std::string& call : calls) {
        int killedRuns = 0;
        for (int n = 1; n <= 100; ++n) {
            writeFile(file(), original_);
            std::string injection = call + ":signal=KILL:when=" + std::to_string(n);
            CommandResult run = runCommand(underStrace(injection, rewriteCommand(file())));
            std::string now = readFile(file());
            EXPECT_TRUE(now == original_ || now == rewritten_) << "killed at " << call << " #" << n;
            if (run.status == 0) {
                EXPECT_EQ(now, rewritten_) << call << " #" << n;
                break; // the run made fewer such calls: all were covered
            }
            ++killedRuns;
        }
        EXPECT_GT(killedRuns, 0) << call;
    }
}

// The number of the first write into the temporary file: runtimes such as
// the sanitizers' make writes of their own before it. strace -y names each
// descriptor's file.
int temporaryFileWriteNumber(const std::string& command, const std::filesystem::path& log) {
    runCommand(kUnderTrace + std::string("strace -f -qq -y -o ") + shellQuoted(log.string()) +
               " -e trace=write " + command);
    std::istringstream in(readFile(log));
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find("write(") == std::string::npos)
            continue;
        ++number;
        if (line.find("/~photo.jpg.") != std::string::npos)
            return number;
    }
    ADD_FAILURE() << "no write into the temporary file";
    return 1;
}

TEST_F(RewriteFaults, FailingCallsAreReportedAndLeaveTheFileAsItWas) {
    TempFolder logFolder;
    writeFile(file(), original_);
    int firstWrite = temporaryFileWriteNumber(rewriteCommand(file()), logFolder / "log");
    std::string contentWrite = std::to_string(firstWrite);
    std::string bodyWrite = std::to_string(firstWrite + 1); // the old body after the new head
    struct Case {
        std::string injection;
        const char* message;
    };
    const Case cases[] = {
        {"write:error=ENOSPC:when=" + contentWrite, "No space left on device"},
        {"write:error=EIO:when=" + contentWrite, "Input/output error"},
        {"write:error=ENOSPC:when=" + bodyWrite, "No space left on device"},
        {"fsync:error=EIO:when=1", "cannot flush"},
        {"fchmod:error=EPERM:when=1", "cannot set the permissions"},
        {"rename:error=EIO:when=1", "cannot replace"},
    };
    for (const Case& c : cases) {
        writeFile(file(), original_);
        CommandResult run = runCommand(underStrace(c.injection, rewriteCommand(file())));
        EXPECT_EQ(run.status, 1) << c.injection;
        EXPECT_NE(run.output.find(c.message), std::string::npos)
            << c.injection << ": " << run.output;
        EXPECT_EQ(readFile(file()), original_) << c.injection;
        EXPECT_EQ(entriesIn(folder_.path()), 1u) << c.injection << ": the temporary file is left";
    }
}

// A tmpfs too small for the old and the new file side by side.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const std::filesystem::path& at) : at_(at) {
        std::filesystem::create_directories(at_);
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(at_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::filesystem::path at_;
    bool mounted_ = false;
};

TEST(RewriteOnFullDisk, ReportsTheFailureAndKeepsTheOriginal) {
    TempFolder folder;
    SmallFileSystem disk(folder / "disk");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    std::filesystem::path file = folder / "disk" / "photo.jpg";
    // 160 KiB of trailing data after the picture: the copy cannot fit beside it.
    std::string original = plainJpeg() + std::string(160 * 1024, 'T');
    writeFile(file, original);
    CommandResult run = runCommand(rewriteCommand(file));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("No space left on device"), std::string::npos) << run.output;
    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(entriesIn(folder / "disk"), 1u);
}

} // namespace
} // namespace orvella
