#include "files/FileCommands.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

struct MoveFolders {
    TempFolder root;
    fs::path from = root / "from";
    fs::path to = root / "to";
    MoveFolders() {
        fs::create_directories(from);
        fs::create_directories(to);
    }
};

TEST(MoveFiles, MovesEveryFileAndReportsEachOneLeftBehind) {
    MoveFolders folders;
    writeFile(folders.from / "new.jpg", "new");
    writeFile(folders.from / "taken.jpg", "dropped");
    writeFile(folders.to / "taken.jpg", "already here");
    writeFile(folders.to / "own.jpg", "own");
    std::vector<int> steps;
    FileCommandReport report =
        MoveFiles({folders.from / "new.jpg", folders.from / "taken.jpg", folders.from / "gone.jpg",
                   folders.to / "own.jpg"},
                  folders.to, [&steps](int position) { steps.push_back(position); });

    EXPECT_EQ(steps, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(report.done, std::vector<fs::path>{folders.to / "new.jpg"});
    EXPECT_EQ(readFile(folders.to / "new.jpg"), "new");
    EXPECT_FALSE(fs::exists(folders.from / "new.jpg"));
    // A file of the same name is never replaced; the dropped one stays put.
    EXPECT_EQ(readFile(folders.to / "taken.jpg"), "already here");
    EXPECT_EQ(readFile(folders.from / "taken.jpg"), "dropped");
    // A file already in the folder is no problem; a missing one is.
    EXPECT_EQ(readFile(folders.to / "own.jpg"), "own");
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_EQ(report.problems[0].file, folders.from / "taken.jpg");
    EXPECT_NE(report.problems[0].reason.find("already in"), std::string::npos);
    EXPECT_EQ(report.problems[1].file, folders.from / "gone.jpg");
    EXPECT_FALSE(report.complete());
    EXPECT_EQ(describeProblems(report).substr(0, 11), "taken.jpg: ");
}

// The folder cannot be written: the move is refused for the files, which
// stay where they were, and each is reported. Root may write anywhere, so
// the move then runs in a child process as an unprivileged user.
TEST(MoveFiles, ReportsPermissionDenied) {
    MoveFolders folders;
    writeFile(folders.from / "a.jpg", "a");
    writeFile(folders.from / "b.jpg", "b");
    fs::permissions(folders.root.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folders.from, fs::perms::all);
    fs::permissions(folders.to,
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    auto moveAndCheck = [&folders] {
        FileCommandReport report =
            MoveFiles({folders.from / "a.jpg", folders.from / "b.jpg"}, folders.to);
        return report.done.empty() && report.problems.size() == 2 &&
               report.problems[0].reason ==
                   std::make_error_code(std::errc::permission_denied).message() &&
               report.problems[1].file == folders.from / "b.jpg";
    };
    if (::geteuid() == 0) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && moveAndCheck() ? 0 : 1);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    } else {
        fs::permissions(folders.to, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_TRUE(moveAndCheck());
        fs::permissions(folders.to, fs::perms::owner_all);
    }
    EXPECT_EQ(readFile(folders.from / "a.jpg"), "a");
    EXPECT_FALSE(fs::exists(folders.to / "a.jpg"));
}

} // namespace
} // namespace orvella
