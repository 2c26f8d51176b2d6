#include "viewer/RawBridge.h"

#include "viewer/RawLibrary.h"

#include <array>
#include <cfenv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace orvella {

namespace {

// The library runs with every floating-point exception masked; the caller's
// settings come back afterwards.
class MaskedFloatingPoint {
public:
    MaskedFloatingPoint() {
        std::fegetenv(&saved_);
        fedisableexcept(FE_ALL_EXCEPT);
    }
    ~MaskedFloatingPoint() { std::fesetenv(&saved_); }
    MaskedFloatingPoint(const MaskedFloatingPoint&) = delete;
    MaskedFloatingPoint& operator=(const MaskedFloatingPoint&) = delete;

private:
    std::fenv_t saved_;
};

std::string formatted(const char* format, double value) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), format, value);
    return text.data();
}

} // namespace

std::optional<TRawSummary> ReadRawInfo(const std::filesystem::path& raw) {
    TRawFileOperations table = MakeRawFileOperations();
    TRawFileHandle* input = table.fopen(raw.c_str(), "rb");
    if (!input)
        return std::nullopt;
    table.input = input;
    std::array<uint8_t, 8> zeros{};
    TRawInfoRecord info{};
    int32_t width = 0, height = 0;
    std::vector<char> make(kRawTextSize + 1), model(kRawTextSize + 1), third(kRawTextSize + 1);
    uint8_t errorFlag = 0;
    int result;
    {
        MaskedFloatingPoint masked;
        result = RawInfo(&table, zeros.data(), &info, raw.c_str(), 0, &width, &height, make.data(),
                         model.data(), third.data(), &errorFlag);
    }
    table.fclose(input);
    if (errorFlag)
        result = -1;
    if (result != 0)
        return std::nullopt;
    return TRawSummary{info.iso, info.shutter, info.aperture, info.focalLength, info.rotation,
                       width,    height,       make.data(),   model.data()};
}

std::vector<std::pair<std::string, std::string>> RawSummaryRows(const TRawSummary& summary) {
    return {
        {"ISO", std::to_string(summary.iso)},
        {"Shutter Speed", formatted("%1.5f", summary.shutter) + " second"},
        {"Aperture", formatted("%6.2f", summary.aperture)},
        {"Focal Length", formatted("%6.2f", summary.focalLength)},
        {"Rotate Image", std::to_string(summary.rotation) + " degress"},
        {"Width", std::to_string(summary.width)},
        {"Height", std::to_string(summary.height)},
        {"Model", summary.model},
        {"Make", summary.make},
    };
}

RawPreviewResult ConvertRawPreview(const std::filesystem::path& raw,
                                   const std::filesystem::path& output) {
    TRawFileOperations table = MakeRawFileOperations();
    std::array<uint8_t, 8> zeros{};
    std::array<uint8_t, 21> scratch{};
    TRawProgress progress{[](void*) {}, nullptr};
    std::array<uint8_t, kRawOptionsSize> options{};
    int32_t optionsSize = kRawOptionsSize, wholeImage = -1;
    std::memcpy(options.data(), &optionsSize, sizeof optionsSize);
    std::memcpy(options.data() + 12, &wholeImage, sizeof wholeImage);
    std::vector<uint8_t> workArea(kRawWorkAreaSize);
    int32_t scratchValue = 0;
    std::vector<char> scratchText(kRawTextSize + 1), errorText(kRawTextSize + 1);
    uint8_t errorFlag = 0;
    options[43] = 1;
    {
        MaskedFloatingPoint masked;
        FromRawToPSD(&table, zeros.data(), scratch.data(), &progress, raw.c_str(), output.c_str(),
                     options.data(), workArea.data(), &scratchValue, &scratchValue,
                     errorText.data(), scratchText.data(), scratchText.data(), &errorFlag);
    }
    if (errorFlag)
        return {RawPreviewResult::Error, 0, errorText.data()};
    int format = options[44];
    if (format < 1 || format > 3)
        return {RawPreviewResult::NothingUsable, 0, {}};
    return {RawPreviewResult::Written, format, {}};
}

} // namespace orvella
