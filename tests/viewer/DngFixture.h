#pragma once

#include <filesystem>
#include <string>

namespace orvella::test {

// A small but complete DNG file: a 16-bit colour-filter mosaic with the
// camera facts in its tags, and optionally a preview in the first IFD.
struct DngDescription {
    enum class Preview { None, Jpeg, Rgb };
    Preview preview = Preview::None;
    int width = 64;
    int height = 48;
    int previewWidth = 32;
    int previewHeight = 24;
    std::string make = "Orvella";
    std::string model = "Bench Camera";
    int iso = 200;
    int exposureDenominator = 125; // 1/125 s
    int apertureTenths = 56;       // f/5.6
    int focalLength = 50;          // mm
    int orientation = 6;           // rotated 90 degrees clockwise
    // The picture data after the directories, as cameras write it, so that a
    // file cut short keeps its directories whole and loses only data.
    bool dataLast = false;
};

std::string MakeDng(const DngDescription& description);
void WriteDng(const std::filesystem::path& file, const DngDescription& description);

} // namespace orvella::test
