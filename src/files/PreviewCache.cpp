#include "files/PreviewCache.h"

#include "files/Thumbnail.h"
#include "shell/AtomicFile.h"
#include "shell/Log.h"

#include <system_error>

namespace orvella {

namespace {

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::filesystem::path PreviewCacheFile(const std::filesystem::path& cacheFolder,
                                       const std::string& imageKey) {
    return cacheFolder / imageKey;
}

std::string EncodeBitmap24(const QImage& picture) {
    QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    const uint32_t width = static_cast<uint32_t>(pixels.width());
    const uint32_t height = static_cast<uint32_t>(pixels.height());
    const uint32_t rowBytes = (width * 3 + 3) & ~3u; // rows are padded to whole 32-bit words
    const uint32_t headerBytes = 14 + 40;
    std::string out;
    out.reserve(headerBytes + size_t{rowBytes} * height);
    out += "BM";
    putLittleEndian(out, headerBytes + rowBytes * height, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, headerBytes, 4);
    putLittleEndian(out, 40, 4); // BITMAPINFOHEADER
    putLittleEndian(out, width, 4);
    putLittleEndian(out, height, 4); // positive: bottom-up
    putLittleEndian(out, 1, 2);
    putLittleEndian(out, 24, 2);
    putLittleEndian(out, 0, 4); // uncompressed
    putLittleEndian(out, rowBytes * height, 4);
    putLittleEndian(out, 2835, 4); // 72 dpi
    putLittleEndian(out, 2835, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 0, 4);
    for (uint32_t y = height; y-- > 0;) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(static_cast<int>(y)));
        for (uint32_t x = 0; x < width; ++x) {
            out += static_cast<char>(qBlue(line[x]));
            out += static_cast<char>(qGreen(line[x]));
            out += static_cast<char>(qRed(line[x]));
        }
        out.append(rowBytes - width * 3, '\0');
    }
    return out;
}

void WriteBitmapFile(const std::filesystem::path& file, const QImage& picture) {
    // A cache file lost in a crash is made again, so it is not flushed.
    replaceFileAtomically(file, EncodeBitmap24(picture), 0644, Durability::Cache);
}

std::optional<QImage> ReadPreviewFile(const std::filesystem::path& file) {
    QImage picture;
    if (!picture.load(QString::fromStdString(file.string()), "BMP"))
        return std::nullopt;
    return picture;
}

std::optional<QImage> LoadOrMakePreview(const std::filesystem::path& cacheFolder,
                                        const std::string& imageKey,
                                        const std::filesystem::path& file, bool jpegPreview) {
    std::filesystem::path cached = PreviewCacheFile(cacheFolder, imageKey);
    if (std::optional<QImage> picture = ReadPreviewFile(cached))
        return picture;
    std::optional<QImage> thumbnail =
        MakeThumbnail(file, kPreviewSize, ThumbnailOptions{jpegPreview});
    if (!thumbnail)
        return std::nullopt;
    try {
        WriteBitmapFile(cached, *thumbnail);
    } catch (const std::system_error& error) {
        // The picture is still shown; the next listing tries to store it again.
        logGuarded(std::string("Preview not stored: ") + error.what());
    }
    return thumbnail;
}

} // namespace orvella
