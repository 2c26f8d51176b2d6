#pragma once

#include <QImage>

#include <filesystem>
#include <optional>

namespace orvella {

// A picture of a Photoshop file for a thumbnail of size S x S: its embedded
// JPEG thumbnail when that is at least S pixels both ways, otherwise its
// composite image, read at a reduced size. No value when the file is damaged
// or of a layout this reader does not know.
std::optional<QImage> ReadPsdPicture(const std::filesystem::path& file, int size);

} // namespace orvella
