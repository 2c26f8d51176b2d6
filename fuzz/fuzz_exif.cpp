// The EXIF reader with maker notes on arbitrary bytes, read both as an APP1
// segment's data and as the start of a TIFF file.
#include "metadata/ImageInfo.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace orvella;

namespace {

void useEntries(const TImageInfo& info, std::string& block) {
    for (const TTagEntry& entry : info.Entries()) {
        info.FindEntry(entry.name);
        info.NumericValue(entry.name);
    }
    const TImageInfo::PixelSize& size = info.RecordedPixelSize();
    info.PatchValue(block, size.widthPosition, size.widthType, 6000);
    info.PatchValue(block, size.heightPosition, size.heightType, 4000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string block(reinterpret_cast<const char*>(bytes), size);
    TImageInfo segment;
    segment.ReadJpegBlock(block);
    useEntries(segment, block);

    TImageInfo tiff;
    tiff.ReadTiffBlock(block.size() > 6 ? block.substr(6) : block);
    useEntries(tiff, block);
    return 0;
}
