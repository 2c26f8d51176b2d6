#pragma once

#include <QImage>

#include <cstddef>
#include <filesystem>
#include <optional>

namespace orvella {

// Decoding a JPEG picture for a thumbnail of size S x S: at one eighth of its
// size with the fast DCT when that still gives at least S pixels both ways,
// else at full size. Any fault in the data (a broken or truncated stream,
// too many scans, more pixels than a picture may sensibly have) gives no
// picture; the process is never ended by the decoder.
std::optional<QImage> DecodeJpegForThumbnail(const std::filesystem::path& file, int size);
std::optional<QImage> DecodeJpegForThumbnail(const unsigned char* data, size_t length, int size);

// Limits that keep a hostile file within bounded time and memory.
inline constexpr unsigned long long kMaxPicturePixels = 250'000'000ULL;
inline constexpr int kMaxJpegScans = 100;

} // namespace orvella
