// Times the image key and the JPEG thumbnail against their peers on the same
// files: FileMD5 against md5sum, MakeThumbnail against djpeg at one eighth
// with the fast DCT followed by the same fit. Prints both times and the
// ratios. Usage: orvella-bench-files ROUNDS FILE...
#include "files/FileIdentity.h"
#include "files/Thumbnail.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs a program and gives what it wrote to standard output.
std::string runCapturing(const std::vector<std::string>& argv) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t child = 0;
    int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    std::string out;
    char buffer[1 << 16];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(argv[0] + " failed");
    return out;
}

double timeOurHashing(const std::vector<std::string>& files) {
    Clock::time_point start = Clock::now();
    for (const std::string& file : files)
        if (orvella::FileMD5(file).size() != 32)
            throw std::runtime_error("bad key");
    return secondsSince(start);
}

double timePeerHashing(const std::vector<std::string>& files) {
    std::vector<std::string> argv{"md5sum"};
    argv.insert(argv.end(), files.begin(), files.end());
    Clock::time_point start = Clock::now();
    runCapturing(argv);
    return secondsSince(start);
}

double timeOurThumbnail(const std::string& file) {
    Clock::time_point start = Clock::now();
    if (!orvella::MakeThumbnail(file, 96))
        throw std::runtime_error("no thumbnail for " + file);
    return secondsSince(start);
}

double timePeerThumbnail(const std::string& file) {
    Clock::time_point start = Clock::now();
    std::string pnm = runCapturing({"djpeg", "-scale", "1/8", "-dct", "fast", "-pnm", file});
    QImage decoded;
    if (!decoded.loadFromData(
            QByteArray::fromRawData(pnm.data(), static_cast<qsizetype>(pnm.size())), "PPM"))
        throw std::runtime_error("djpeg gave no picture for " + file);
    orvella::FitIntoSquare(decoded, 96);
    return secondsSince(start);
}

// The two sides alternate, file by file, and each keeps its best time per
// file over the rounds: the machine is shared, and a burst of other work
// should not decide the ratio.
struct Pair {
    double ours = 0, peer = 0;
};

template <typename Ours, typename Peer>
Pair bestOf(int rounds, size_t items, Ours ours, Peer peer) {
    std::vector<double> bestOurs(items, 1e30), bestPeer(items, 1e30);
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < items; ++i) {
            bestOurs[i] = std::min(bestOurs[i], ours(i));
            bestPeer[i] = std::min(bestPeer[i], peer(i));
        }
    Pair total;
    for (size_t i = 0; i < items; ++i) {
        total.ours += bestOurs[i];
        total.peer += bestPeer[i];
    }
    return total;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvella-bench-files ROUNDS FILE...\n");
        return 1;
    }
    int rounds = std::max(1, std::atoi(argv[1]));
    std::vector<std::string> files(argv + 2, argv + argc);
    double megabytes = 0;
    for (const std::string& file : files)
        megabytes += static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    try {
        timeOurHashing(files); // bring every file into the page cache first
        // md5sum hashes the whole list in one run, so both sides do.
        Pair hashing = bestOf(
            rounds, 1, [&](size_t) { return timeOurHashing(files); },
            [&](size_t) { return timePeerHashing(files); });
        Pair thumbnails = bestOf(
            rounds, files.size(), [&](size_t i) { return timeOurThumbnail(files[i]); },
            [&](size_t i) { return timePeerThumbnail(files[i]); });
        std::printf("files: %zu, %.1f MB\n", files.size(), megabytes);
        std::printf("hashing     FileMD5 %.3f s (%.0f MB/s)   md5sum %.3f s (%.0f MB/s)   "
                    "throughput ratio %.2f "
                    "(target >= 0.95)\n",
                    hashing.ours, megabytes / hashing.ours, hashing.peer, megabytes / hashing.peer,
                    hashing.peer / hashing.ours);
        std::printf(
            "thumbnails  MakeThumbnail %.1f ms/file   djpeg+fit %.1f ms/file   time ratio %.2f "
            "(target <= 1.10)\n",
            1000 * thumbnails.ours / static_cast<double>(files.size()),
            1000 * thumbnails.peer / static_cast<double>(files.size()),
            thumbnails.ours / thumbnails.peer);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvella-bench-files: %s\n", error.what());
        return 1;
    }
    return 0;
}
