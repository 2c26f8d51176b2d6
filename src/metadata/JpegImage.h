#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace orvella {

// Raised when the JPEG decoder refuses a file.
class EJpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A JPEG file loaded for a metadata rewrite: its bytes as they are on disk
// and the frame size, checked by the JPEG decoder reading the headers up to
// the scan data before anything is written.
class TJpegImage {
public:
    static TJpegImage Load(const std::filesystem::path& file);
    static TJpegImage FromBytes(std::string bytes);

    const std::string& Bytes() const { return bytes_; }
    unsigned Width() const { return width_; }
    unsigned Height() const { return height_; }

private:
    std::string bytes_;
    unsigned width_ = 0;
    unsigned height_ = 0;
};

// The extensions read as JPEG files (.jpg, .jpeg, .jpe, .jfif).
bool hasJpegExtension(const std::filesystem::path& file);
// The extensions read as TIFF structures (.tif, .tiff, .nef).
bool hasTiffExtension(const std::filesystem::path& file);

} // namespace orvella
