#pragma once

#include <QImage>

#include <string>

namespace orvella {

// The picture as a baseline JPEG file (RGB, 4:2:0) at the given quality.
// Throws std::runtime_error when the encoder fails.
std::string EncodeJpeg(const QImage& picture, int quality = 90);

} // namespace orvella
