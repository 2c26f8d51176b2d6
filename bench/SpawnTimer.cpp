// Whole-process timing: starts each command many times, alternating between
// them, with its output thrown away, and prints each command's best and
// median wall time in milliseconds. A command that fails stops the run.
// Usage: orvella-bench-spawn RUNS -- COMMAND ARGS... [-- COMMAND ARGS...]...
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

double runOnce(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::string(argv[2]) != "--") {
        std::fprintf(stderr, "usage: %s RUNS -- COMMAND ARGS... [-- COMMAND ARGS...]...\n",
                     argv[0]);
        return 1;
    }
    int runs = std::atoi(argv[1]);
    std::vector<std::vector<std::string>> commands;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--")
            commands.emplace_back();
        else
            commands.back().push_back(argv[i]);
    }
    std::vector<std::vector<double>> times(commands.size());
    for (int run = 0; run < runs; ++run)
        for (size_t c = 0; c < commands.size(); ++c)
            times[c].push_back(runOnce(commands[c]));
    for (std::vector<double>& t : times) {
        std::sort(t.begin(), t.end());
        std::printf("%.3f %.3f\n", t.front() * 1000, t[t.size() / 2] * 1000);
    }
    return 0;
}
