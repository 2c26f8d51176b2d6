#pragma once

#include <cstdint>
#include <vector>

namespace orvella {

// One rendered page: 8-bit RGB, three bytes per pixel, rows top first. Kept
// free of Qt so that the render helper starts without loading it.
struct TPageBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    bool Empty() const { return width == 0 || height == 0; }
};

} // namespace orvella
