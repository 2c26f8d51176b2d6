#include "metadata/ExifGrid.h"

#include "metadata/ImageInfo.h"
#include "metadata/ImgData.h"
#include "metadata/JpegImage.h"
#include "shell/Log.h"

namespace orvella {

std::vector<ExifGridRow> ExifGridRows(const std::filesystem::path& file) {
    std::vector<ExifGridRow> rows;
    logGuarded("clear grid");
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return rows;
    TimgData data;
    data.ProcessFile(file);
    if (!data.HasEXIF()) {
        rows.emplace_back("EXIF data", "No EXIF data");
        logGuarded("No EXIF data");
        return rows;
    }
    logGuarded("EXIF data found");
    const TImageInfo& info = *data.ExifObj();
    for (const TTagEntry& entry : info.Entries()) {
        const std::string& value = info.FindEntry(entry.name)->value;
        logGuarded("Add EXIF tag " + entry.name + " value (" + value + ")");
        rows.emplace_back(entry.name, value);
    }
    return rows;
}

bool ClearExifInFile(const std::filesystem::path& file) {
    std::error_code error;
    if ((!hasJpegExtension(file) && !hasTiffExtension(file)) ||
        !std::filesystem::exists(file, error))
        return false;
    TimgData data;
    data.ProcessFile(file);
    if (!data.HasEXIF())
        return false;
    TJpegImage image = TJpegImage::Load(file);
    data.ClearEXIF();
    data.WriteJpegFile(image, file, false);
    return true;
}

} // namespace orvella
