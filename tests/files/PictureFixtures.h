#pragma once

#include <QImage>

#include <filesystem>
#include <string>

namespace orvella::test {

// How a JPEG fixture is made.
struct JpegRecipe {
    int width = 0;
    int height = 0;
    QRgb colour = qRgb(255, 0, 0);
    bool noise = false; // random pixels instead of one colour (a large stream)
    bool grayscale = false;
    bool progressive = false; // grayscale only: two scans, DC then all AC coefficients
    bool jfifHeader = true;   // the APP0 "JFIF" segment after SOI
};

// The bytes of a JPEG file made with the IJG compressor.
std::string EncodeJpeg(const JpegRecipe& spec);
// The same stream with its last scan repeated `copies` more times.
std::string WithRepeatedLastScan(const std::string& jpeg, int copies);
// The same stream whose frame header claims another size.
std::string WithClaimedSize(const std::string& jpeg, int width, int height);

// A Photoshop file of one colour, with its composite image raw or
// run-length coded and, optionally, an embedded JPEG thumbnail.
struct PsdRecipe {
    int width = 0;
    int height = 0;
    QRgb colour = qRgb(255, 0, 0); // grayscale files take its red
    bool runLength = false;
    int mode = 3;           // 1 grayscale, 3 RGB, 4 CMYK
    int depth = 8;          // 8 or 16 bits per sample
    int thumbnailWidth = 0; // no thumbnail resource when 0
    int thumbnailHeight = 0;
    QRgb thumbnailColour = qRgb(0, 0, 255);
};
std::string EncodePsd(const PsdRecipe& spec);

void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// Whether the pixel is within `tolerance` of the colour in every channel.
bool IsNear(QRgb pixel, QRgb colour, int tolerance = 12);

} // namespace orvella::test
