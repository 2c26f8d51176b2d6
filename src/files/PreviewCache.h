#pragma once

#include <QImage>

#include <filesystem>
#include <optional>
#include <string>

namespace orvella {

// The size of every preview cache picture.
inline constexpr int kPreviewSize = 96;

// The preview cache file of an image key: the key itself, no extension, in
// the preview cache folder (the data folder's "MD5").
std::filesystem::path PreviewCacheFile(const std::filesystem::path& cacheFolder,
                                       const std::string& imageKey);

// The picture as a Windows bitmap file: 24 bits per pixel, bottom-up rows,
// which every picture program opens.
std::string EncodeBitmap24(const QImage& picture);

// Writes the bitmap through a temporary file and a rename, so a crash never
// leaves half a picture under the final name.
void WriteBitmapFile(const std::filesystem::path& file, const QImage& picture);

// A cached picture, or no value when the file is missing or unreadable.
std::optional<QImage> ReadPreviewFile(const std::filesystem::path& file);

// The cached picture of an image; when there is none yet, the thumbnail made
// from the file, which is then stored. A cache file, once written, is kept:
// a file whose content changes gets a new key and so a new cache file.
std::optional<QImage> LoadOrMakePreview(const std::filesystem::path& cacheFolder,
                                        const std::string& imageKey,
                                        const std::filesystem::path& file, bool jpegPreview);

} // namespace orvella
