// Times the image key and the JPEG thumbnail against their peers on the same
// files: FileMD5 against md5sum, MakeThumbnail against djpeg at one eighth
// with the fast DCT followed by the same fit. Prints both times and the
// ratios. Usage: orvella-bench-files ROUNDS FILE...
#include "BenchSupport.h"
#include "files/FileIdentity.h"
#include "files/Thumbnail.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using orvella::bench::bestOf;
using orvella::bench::Clock;
using orvella::bench::Pair;
using orvella::bench::runCapturing;
using orvella::bench::secondsSince;

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
