#include "files/PsdPicture.h"

#include "files/JpegDecode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace orvella {

namespace {

// Every read checks the bytes are there; a short or inconsistent file ends
// the read with this.
struct PsdFormatError : std::runtime_error {
    PsdFormatError() : std::runtime_error("damaged Photoshop file") {}
};

class BigEndianReader {
public:
    explicit BigEndianReader(const std::filesystem::path& file) : in_(file, std::ios::binary) {
        if (!in_)
            throw PsdFormatError();
    }
    void read(void* target, size_t count) {
        if (count && !in_.read(static_cast<char*>(target), static_cast<std::streamsize>(count)))
            throw PsdFormatError();
    }
    std::vector<unsigned char> bytes(size_t count) {
        std::vector<unsigned char> data(count);
        read(data.data(), count);
        return data;
    }
    uint32_t u32() {
        unsigned char b[4];
        read(b, 4);
        return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
    }
    uint16_t u16() {
        unsigned char b[2];
        read(b, 2);
        return static_cast<uint16_t>(b[0] << 8 | b[1]);
    }
    void skip(uint64_t count) {
        if (!in_.seekg(static_cast<std::streamoff>(count), std::ios::cur))
            throw PsdFormatError();
    }
    uint64_t position() { return static_cast<uint64_t>(in_.tellg()); }
    void seek(uint64_t position) {
        if (!in_.seekg(static_cast<std::streamoff>(position)))
            throw PsdFormatError();
    }

private:
    std::ifstream in_;
};

enum ColourMode : uint16_t { Bitmap = 0, Grayscale = 1, Indexed = 2, RGB = 3, CMYK = 4 };

struct PsdHeader {
    uint16_t channels = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint16_t depth = 0;
    uint16_t mode = 0;
};

PsdHeader readHeader(BigEndianReader& in) {
    char signature[4];
    in.read(signature, 4);
    if (std::string_view(signature, 4) != "8BPS" || in.u16() != 1)
        throw PsdFormatError();
    in.skip(6);
    PsdHeader header;
    header.channels = in.u16();
    header.height = in.u32();
    header.width = in.u32();
    header.depth = in.u16();
    header.mode = in.u16();
    if (header.channels == 0 || header.width == 0 || header.height == 0)
        throw PsdFormatError();
    return header;
}

// The embedded thumbnail resource: a JPEG stream after a 28-byte header.
// The older of the two stores its colours as BGR.
std::optional<QImage> thumbnailResource(const std::vector<unsigned char>& data, bool bgr,
                                        int size) {
    constexpr size_t kHeader = 28;
    if (data.size() <= kHeader || data[3] != 1) // format 1: JPEG
        return std::nullopt;
    std::optional<QImage> picture =
        DecodeJpegForThumbnail(data.data() + kHeader, data.size() - kHeader, size);
    if (picture && bgr)
        picture = picture->rgbSwapped();
    return picture;
}

std::optional<QImage> findThumbnail(BigEndianReader& in, uint32_t sectionLength, int size) {
    uint64_t end = in.position() + sectionLength;
    std::optional<QImage> found;
    while (in.position() + 12 <= end && !found) {
        char signature[4];
        in.read(signature, 4);
        if (std::string_view(signature, 4) != "8BIM")
            break;
        uint16_t id = in.u16();
        uint8_t nameLength = 0;
        in.read(&nameLength, 1);
        in.skip(nameLength +
                ((nameLength + 1) % 2)); // the name with its length byte is padded to even
        uint32_t length = in.u32();
        if (in.position() + length > end)
            throw PsdFormatError();
        if (id == 1036 || id == 1033)
            found = thumbnailResource(in.bytes(length), id == 1033, size);
        else
            in.skip(length);
        in.skip(length % 2);
    }
    in.seek(end);
    if (found && (found->width() < size || found->height() < size))
        found.reset(); // too small to be a good source; the composite is better
    return found;
}

// The composite image keeps every step-th row and column of each channel,
// so the memory it takes stays near what the thumbnail needs.
struct Composite {
    uint32_t width = 0, height = 0, step = 1;
    std::vector<std::vector<unsigned char>> planes;
};

void unpackBits(const std::vector<unsigned char>& packed, std::vector<unsigned char>& row) {
    size_t in = 0, out = 0;
    while (in < packed.size() && out < row.size()) {
        int n = static_cast<signed char>(packed[in++]);
        if (n >= 0) {
            size_t count = std::min<size_t>(static_cast<size_t>(n) + 1, row.size() - out);
            if (in + count > packed.size())
                throw PsdFormatError();
            std::copy_n(packed.begin() + static_cast<long>(in), count,
                        row.begin() + static_cast<long>(out));
            in += static_cast<size_t>(n) + 1;
            out += count;
        } else if (n != -128) {
            if (in >= packed.size())
                throw PsdFormatError();
            size_t count = std::min<size_t>(static_cast<size_t>(1 - n), row.size() - out);
            std::fill_n(row.begin() + static_cast<long>(out), count, packed[in++]);
            out += count;
        }
    }
}

unsigned char sampleAt(const std::vector<unsigned char>& row, uint32_t x, uint16_t depth) {
    switch (depth) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255; // a set bit is black
    case 16:
        return row[size_t{x} * 2]; // the high byte
    default:
        return row[x];
    }
}

Composite readComposite(BigEndianReader& in, const PsdHeader& header, int size) {
    if (header.depth != 1 && header.depth != 8 && header.depth != 16)
        throw PsdFormatError();
    Composite composite;
    uint32_t shorter = std::min(header.width, header.height);
    composite.step = std::max<uint32_t>(1, shorter / static_cast<uint32_t>(4 * size));
    composite.width = (header.width + composite.step - 1) / composite.step;
    composite.height = (header.height + composite.step - 1) / composite.step;
    if (static_cast<unsigned long long>(composite.width) * composite.height > kMaxPicturePixels)
        throw PsdFormatError();
    uint16_t compression = in.u16();
    if (compression > 1)
        throw PsdFormatError(); // zip-compressed composites are not read
    size_t rowBytes = (size_t{header.width} * header.depth + 7) / 8;
    uint16_t wanted = std::min<uint16_t>(header.channels, header.mode == CMYK  ? 4
                                                          : header.mode == RGB ? 3
                                                                               : 1);
    std::vector<uint16_t> packedLengths;
    if (compression == 1)
        for (uint64_t i = 0; i < uint64_t{header.channels} * header.height; ++i)
            packedLengths.push_back(in.u16());
    std::vector<unsigned char> row(rowBytes);
    for (uint16_t channel = 0; channel < wanted; ++channel) {
        std::vector<unsigned char>& plane =
            composite.planes.emplace_back(size_t{composite.width} * composite.height);
        for (uint32_t y = 0; y < header.height; ++y) {
            if (compression == 1)
                unpackBits(in.bytes(packedLengths[size_t{channel} * header.height + y]), row);
            else
                in.read(row.data(), row.size());
            if (y % composite.step != 0)
                continue;
            unsigned char* out = plane.data() + size_t{y / composite.step} * composite.width;
            for (uint32_t x = 0; x < composite.width; ++x)
                out[x] = sampleAt(row, x * composite.step, header.depth);
        }
    }
    return composite;
}

QImage toImage(const Composite& composite, const PsdHeader& header,
               const std::vector<unsigned char>& palette) {
    QImage picture(static_cast<int>(composite.width), static_cast<int>(composite.height),
                   QImage::Format_RGB32);
    if (picture.isNull())
        throw PsdFormatError();
    const auto& p = composite.planes;
    for (uint32_t y = 0; y < composite.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(static_cast<int>(y)));
        for (uint32_t x = 0; x < composite.width; ++x) {
            size_t i = size_t{y} * composite.width + x;
            if (header.mode == RGB && p.size() == 3)
                line[x] = qRgb(p[0][i], p[1][i], p[2][i]);
            else if (header.mode == CMYK && p.size() == 4) // stored inverted: 255 is no ink
                line[x] =
                    qRgb(p[0][i] * p[3][i] / 255, p[1][i] * p[3][i] / 255, p[2][i] * p[3][i] / 255);
            else if (header.mode == Indexed && palette.size() >= 768)
                line[x] = qRgb(palette[p[0][i]], palette[256 + p[0][i]], palette[512 + p[0][i]]);
            else
                line[x] = qRgb(p[0][i], p[0][i], p[0][i]);
        }
    }
    return picture;
}

std::optional<QImage> readPsd(const std::filesystem::path& file, int size) {
    BigEndianReader in(file);
    PsdHeader header = readHeader(in);
    if (header.mode > CMYK)
        return std::nullopt;
    uint32_t colourDataLength = in.u32();
    std::vector<unsigned char> palette;
    if (header.mode == Indexed && colourDataLength >= 768) {
        palette = in.bytes(768);
        in.skip(colourDataLength - 768);
    } else {
        in.skip(colourDataLength);
    }
    if (std::optional<QImage> thumbnail = findThumbnail(in, in.u32(), size))
        return thumbnail;
    in.skip(in.u32()); // layers and masks
    return toImage(readComposite(in, header, size), header, palette);
}

} // namespace

std::optional<QImage> ReadPsdPicture(const std::filesystem::path& file, int size) {
    try {
        return readPsd(file, size);
    } catch (const PsdFormatError&) {
        return std::nullopt;
    }
}

} // namespace orvella
