// Times loading a JPEG into the viewer fitted into a 1280 x 800 page, as the
// Studio page does it in the running program, against djpeg -scale 1/4 and
// djpeg's full decode of the same file (each a process writing to
// /dev/null). The three alternate; each keeps its best time.
// Usage: orvella-bench-studio ROUNDS FILE
#include "BenchSupport.h"

#include "viewer/StudioDocument.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

using orvella::bench::bestOf;
using orvella::bench::Clock;
using orvella::bench::runCapturing;
using orvella::bench::secondsSince;

double timed(const auto& work) {
    Clock::time_point start = Clock::now();
    work();
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvella-bench-studio ROUNDS FILE\n");
        return 2;
    }
    int rounds = std::atoi(argv[1]);
    std::string file = argv[2];
    orvella::StudioDocument document;
    document.SetPageSize({1280, 800});
    auto load = [&](size_t) {
        return timed([&] {
            document.Load(file, true);
            if (document.Picture().isNull())
                throw std::runtime_error("no picture");
        });
    };
    auto quarter = [&](size_t) {
        return timed([&] {
            runCapturing({"djpeg", "-scale", "1/4", "-outfile", "/dev/null", file});
        });
    };
    auto full = [&](size_t) {
        return timed([&] { runCapturing({"djpeg", "-outfile", "/dev/null", file}); });
    };
    auto againstQuarter = bestOf(rounds, 1, load, quarter);
    auto againstFull = bestOf(rounds, 1, load, full);
    double ours = std::min(againstQuarter.ours, againstFull.ours);
    std::printf("fitted load of %dx%d decoded at %dx%d\n", document.FullPictureSize().width(),
                document.FullPictureSize().height(), document.Picture().width(),
                document.Picture().height());
    std::printf("  orvella (Studio load):  %.4f s\n", ours);
    std::printf("  djpeg -scale 1/4:       %.4f s\n", againstQuarter.peer);
    std::printf("  djpeg (full decode):    %.4f s\n", againstFull.peer);
    std::printf("  ratio orvella / djpeg -scale 1/4: %.2f (target at most 1.20)\n",
                ours / againstQuarter.peer);
    std::printf("  ratio orvella / djpeg full:       %.2f\n", ours / againstFull.peer);
    return 0;
}
