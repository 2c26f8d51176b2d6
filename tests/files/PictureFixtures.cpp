#include "PictureFixtures.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace orvella::test {

namespace {

std::vector<unsigned char> pixelRows(const JpegRecipe& spec, int components) {
    std::vector<unsigned char> pixels(static_cast<size_t>(spec.width) * spec.height * components);
    std::mt19937 random(7);
    unsigned char rgb[3] = {static_cast<unsigned char>(qRed(spec.colour)),
                            static_cast<unsigned char>(qGreen(spec.colour)),
                            static_cast<unsigned char>(qBlue(spec.colour))};
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = spec.noise        ? static_cast<unsigned char>(random())
                    : components == 1 ? rgb[0]
                                      : rgb[i % 3];
    return pixels;
}

void setProgressiveScript(jpeg_compress_struct& info, jpeg_scan_info* scans) {
    scans[0] = {1, {0, 0, 0, 0}, 0, 0, 0, 0};
    scans[1] = {1, {0, 0, 0, 0}, 1, 63, 0, 0};
    info.scan_info = scans;
    info.num_scans = 2;
}

void putBigEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string packBitsRow(const std::string& row) {
    std::string packed;
    for (size_t i = 0; i < row.size();) {
        size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        packed += static_cast<char>(static_cast<signed char>(1 - static_cast<int>(run)));
        packed += row[i];
        i += run;
    }
    return packed;
}

std::string thumbnailResource(const PsdRecipe& spec) {
    if (spec.thumbnailWidth == 0)
        return "";
    std::string jpeg =
        EncodeJpeg({spec.thumbnailWidth, spec.thumbnailHeight, spec.thumbnailColour});
    std::string data;
    putBigEndian(data, 1, 4); // JPEG
    putBigEndian(data, static_cast<uint32_t>(spec.thumbnailWidth), 4);
    putBigEndian(data, static_cast<uint32_t>(spec.thumbnailHeight), 4);
    putBigEndian(data, static_cast<uint32_t>((spec.thumbnailWidth * 24 + 31) / 32 * 4), 4);
    putBigEndian(data, 0, 4);
    putBigEndian(data, static_cast<uint32_t>(jpeg.size()), 4);
    putBigEndian(data, 24, 2);
    putBigEndian(data, 1, 2);
    data += jpeg;
    std::string resource = "8BIM";
    putBigEndian(resource, 1036, 2);
    resource += std::string(2, '\0'); // empty name, padded
    putBigEndian(resource, static_cast<uint32_t>(data.size()), 4);
    resource += data;
    if (data.size() % 2)
        resource += '\0';
    return resource;
}

} // namespace

std::string EncodeJpeg(const JpegRecipe& spec) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    int components = spec.grayscale ? 1 : 3;
    info.image_width = static_cast<JDIMENSION>(spec.width);
    info.image_height = static_cast<JDIMENSION>(spec.height);
    info.input_components = components;
    info.in_color_space = spec.grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    info.write_JFIF_header = spec.jfifHeader ? TRUE : FALSE;
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_scan_info scans[2];
    if (spec.progressive)
        setProgressiveScript(info, scans);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> pixels = pixelRows(spec, components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            pixels.data() + static_cast<size_t>(info.next_scanline) * spec.width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

std::string WithRepeatedLastScan(const std::string& jpeg, int copies) {
    size_t scan = jpeg.rfind("\xFF\xDA");
    size_t end = jpeg.size() - 2; // the end-of-image marker
    if (scan == std::string::npos || jpeg.compare(end, 2, "\xFF\xD9") != 0)
        throw std::runtime_error("not a complete JPEG stream");
    std::string lastScan = jpeg.substr(scan, end - scan);
    std::string result = jpeg.substr(0, end);
    for (int i = 0; i < copies; ++i)
        result += lastScan;
    return result + "\xFF\xD9";
}

std::string WithClaimedSize(const std::string& jpeg, int width, int height) {
    size_t frame = jpeg.find("\xFF\xC0");
    if (frame == std::string::npos)
        throw std::runtime_error("no baseline frame header");
    std::string result = jpeg;
    result[frame + 5] = static_cast<char>(height >> 8);
    result[frame + 6] = static_cast<char>(height & 0xFF);
    result[frame + 7] = static_cast<char>(width >> 8);
    result[frame + 8] = static_cast<char>(width & 0xFF);
    return result;
}

std::string EncodePsd(const PsdRecipe& spec) {
    std::string out = "8BPS";
    putBigEndian(out, 1, 2);
    out += std::string(6, '\0');
    // CMYK samples are stored inverted (255 is no ink), so the stored
    // values of an RGB colour are its red, green and blue with no black.
    std::vector<int> channelValues = {qRed(spec.colour)};
    if (spec.mode != 1)
        channelValues.insert(channelValues.end(), {qGreen(spec.colour), qBlue(spec.colour)});
    if (spec.mode == 4)
        channelValues.push_back(255);
    putBigEndian(out, static_cast<uint32_t>(channelValues.size()), 2);
    putBigEndian(out, static_cast<uint32_t>(spec.height), 4);
    putBigEndian(out, static_cast<uint32_t>(spec.width), 4);
    putBigEndian(out, static_cast<uint32_t>(spec.depth), 2);
    putBigEndian(out, static_cast<uint32_t>(spec.mode), 2);
    putBigEndian(out, 0, 4); // colour mode data
    std::string resources = thumbnailResource(spec);
    putBigEndian(out, static_cast<uint32_t>(resources.size()), 4);
    out += resources;
    putBigEndian(out, 0, 4); // layers and masks
    putBigEndian(out, spec.runLength ? 1 : 0, 2);
    std::string lengths, data;
    for (int value : channelValues) {
        std::string sample(static_cast<size_t>(spec.depth / 8),
                           static_cast<char>(value)); // 16 bits: value * 257
        std::string row;
        for (int x = 0; x < spec.width; ++x)
            row += sample;
        for (int y = 0; y < spec.height; ++y) {
            std::string stored = spec.runLength ? packBitsRow(row) : row;
            putBigEndian(lengths, static_cast<uint32_t>(stored.size()), 2);
            data += stored;
        }
    }
    return out + (spec.runLength ? lengths : "") + data;
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

bool IsNear(QRgb pixel, QRgb colour, int tolerance) {
    return std::abs(qRed(pixel) - qRed(colour)) <= tolerance &&
           std::abs(qGreen(pixel) - qGreen(colour)) <= tolerance &&
           std::abs(qBlue(pixel) - qBlue(colour)) <= tolerance;
}

} // namespace orvella::test
