// Times PostScript rendering and RAW thumbnails against their peers on the
// same files: the first page of 20 EPS files through the wrapper (its helper
// process included) against the gs command line with -sDEVICE=ppmraw -r75,
// and MakeThumbnail on 20 DNG files against dcraw -e. Prints both times and
// the ratios. Usage: orvella-bench-render ROUNDS FOLDER
#include "BenchSupport.h"
#include "DngFixture.h"

#include "files/OutsideRenderers.h"
#include "files/Thumbnail.h"
#include "viewer/GhostScriptLibrary.h"
#include "viewer/GhostScriptSandbox.h"
#include "viewer/Renderers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using orvella::bench::bestOf;
using orvella::bench::Clock;
using orvella::bench::Pair;
using orvella::bench::runCapturing;
using orvella::bench::secondsSince;
namespace fs = std::filesystem;

// An A4 page of text and curves, different in every file.
std::string epsPage(int seed) {
    std::string text = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 595 842\n"
                       "/Helvetica findfont 14 scalefont setfont\n";
    for (int line = 0; line < 40; ++line)
        text += "40 " + std::to_string(800 - line * 19) + " moveto (Line " + std::to_string(line) +
                " of picture " + std::to_string(seed) + ", set in Helvetica) show\n";
    for (int curve = 0; curve < 60; ++curve) {
        int x = (seed * 37 + curve * 53) % 500, y = (seed * 11 + curve * 29) % 800;
        text += std::to_string(curve % 3 == 0) + " " + std::to_string(curve % 3 == 1) + " " +
                std::to_string(curve % 3 == 2) + " setrgbcolor " + std::to_string(x) + " " +
                std::to_string(y) + " moveto " + std::to_string(x + 80) + " " +
                std::to_string(y + 200) + " " + std::to_string(x + 160) + " " +
                std::to_string(y - 100) + " " + std::to_string(x + 90) + " " +
                std::to_string(y + 40) + " curveto 2 setlinewidth stroke\n";
    }
    return text + "showpage\n";
}

std::vector<fs::path> makeEpsFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (int index = 1; index <= 20; ++index) {
        fs::path file = folder / ("page" + std::to_string(index) + ".eps");
        if (!fs::exists(file))
            std::ofstream(file, std::ios::binary) << epsPage(index);
        files.push_back(file);
    }
    return files;
}

std::vector<fs::path> makeDngFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (int index = 1; index <= 20; ++index) {
        fs::path file = folder / ("photo" + std::to_string(index) + ".dng");
        if (!fs::exists(file)) {
            orvella::test::DngDescription description;
            description.preview = orvella::test::DngDescription::Preview::Jpeg;
            description.width = 1200;
            description.height = 800;
            description.previewWidth = 1600;
            description.previewHeight = 1064;
            description.iso = 100 * index;
            orvella::test::WriteDng(file, description);
        }
        files.push_back(file);
    }
    return files;
}

double timeOurRendering(orvella::PostScriptRenderer& renderer, const fs::path& file) {
    Clock::time_point start = Clock::now();
    if (renderer.RenderFirstPage(file).width() != 620)
        throw std::runtime_error("unexpected page size of " + file.string());
    return secondsSince(start);
}

double timePeerRendering(const fs::path& file, const fs::path& output) {
    Clock::time_point start = Clock::now();
    runCapturing({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=ppmraw", "-r75",
                  "-sOutputFile=" + output.string(), file.string()});
    return secondsSince(start);
}

double timeOurRawThumbnail(const fs::path& file) {
    Clock::time_point start = Clock::now();
    if (!orvella::MakeThumbnail(file, 96))
        throw std::runtime_error("no thumbnail of " + file.string());
    return secondsSince(start);
}

double timePeerRawThumbnail(const fs::path& file) {
    Clock::time_point start = Clock::now();
    if (runCapturing({"dcraw", "-e", "-c", file.string()}).empty())
        throw std::runtime_error("dcraw gave no preview of " + file.string());
    return secondsSince(start);
}

void report(const char* what, Pair times, const char* peerName) {
    std::printf("%-30s Orvella %7.3f s   %-20s %7.3f s   ratio %.2f\n", what, times.ours, peerName,
                times.peer, times.ours / times.peer);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvella-bench-render ROUNDS FOLDER\n");
        return 2;
    }
    int rounds = std::max(1, std::atoi(argv[1]));
    fs::path folder = argv[2];
    try {
        if (!orvella::StartOutsideRenderers())
            throw std::runtime_error("GhostScript disabled");
        std::vector<fs::path> eps = makeEpsFiles(folder);
        std::vector<fs::path> dng = makeDngFiles(folder);
        std::shared_ptr<orvella::PostScriptRenderer> renderer =
            orvella::CurrentPostScriptRenderer();
        Pair rendering = bestOf(
            rounds, eps.size(), [&](size_t i) { return timeOurRendering(*renderer, eps[i]); },
            [&](size_t i) { return timePeerRendering(eps[i], folder / "peer.ppm"); });
        Pair thumbnails = bestOf(
            rounds, dng.size(), [&](size_t i) { return timeOurRawThumbnail(dng[i]); },
            [&](size_t i) { return timePeerRawThumbnail(dng[i]); });
        report("20 EPS, first page at 75 dpi", rendering, "gs -sDEVICE=ppmraw");
        report("20 DNG thumbnails", thumbnails, "dcraw -e");
        orvella::StopOutsideRenderers();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvella-bench-render: %s\n", error.what());
        return 1;
    }
    return 0;
}
