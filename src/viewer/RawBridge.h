#pragma once

#include "files/OutsideRenderers.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvella {

// The facts RawInfo gives about a RAW file.
struct TRawSummary {
    int iso = 0;
    float shutter = 0;
    float aperture = 0;
    float focalLength = 0;
    int rotation = 0;
    int width = 0;
    int height = 0;
    std::string make;
    std::string model;
};

// The RAW library's facts about a file; no value when the library fails on
// it (its error flag).
std::optional<TRawSummary> ReadRawInfo(const std::filesystem::path& raw);

// The nine rows of the RAW summary, in order, as name and value.
std::vector<std::pair<std::string, std::string>> RawSummaryRows(const TRawSummary& summary);

// Asks the RAW library for the camera's preview of raw, written to output.
RawPreviewResult ConvertRawPreview(const std::filesystem::path& raw,
                                   const std::filesystem::path& output);

class TRawPreviewWriter : public RawPreviewWriter {
public:
    RawPreviewResult WritePreview(const std::filesystem::path& raw,
                                  const std::filesystem::path& output) override {
        return ConvertRawPreview(raw, output);
    }
};

} // namespace orvella
