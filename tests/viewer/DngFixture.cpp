#include "DngFixture.h"

#include "viewer/JpegEncode.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

namespace orvella::test {

namespace {

enum Type : uint16_t { Byte = 1, Ascii = 2, Short = 3, Long = 4, Rational = 5, SRational = 10 };

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::string value; // little-endian bytes
};

void put(std::string& out, uint32_t value, int bytes) {
    for (int index = 0; index < bytes; ++index)
        out.push_back(static_cast<char>((value >> (8 * index)) & 0xFF));
}

Entry shorts(uint16_t tag, std::vector<uint32_t> values) {
    std::string bytes;
    for (uint32_t value : values)
        put(bytes, value, 2);
    return {tag, Short, static_cast<uint32_t>(values.size()), bytes};
}

Entry longs(uint16_t tag, std::vector<uint32_t> values) {
    std::string bytes;
    for (uint32_t value : values)
        put(bytes, value, 4);
    return {tag, Long, static_cast<uint32_t>(values.size()), bytes};
}

Entry bytes(uint16_t tag, std::vector<uint8_t> values) {
    return {tag, Byte, static_cast<uint32_t>(values.size()),
            std::string(values.begin(), values.end())};
}

Entry text(uint16_t tag, const std::string& value) {
    return {tag, Ascii, static_cast<uint32_t>(value.size() + 1), value + '\0'};
}

Entry rationals(uint16_t tag, uint16_t type, std::vector<std::pair<int32_t, int32_t>> values) {
    std::string out;
    for (auto [numerator, denominator] : values) {
        put(out, static_cast<uint32_t>(numerator), 4);
        put(out, static_cast<uint32_t>(denominator), 4);
    }
    return {tag, type, static_cast<uint32_t>(values.size()), out};
}

void align(std::string& out) {
    if (out.size() % 2)
        out.push_back('\0');
}

// Appends the IFD (with its long values before it) and returns its offset.
uint32_t appendIfd(std::string& out, std::vector<Entry> entries) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    std::vector<uint32_t> valueOffsets;
    for (const Entry& entry : entries) {
        if (entry.value.size() <= 4) {
            valueOffsets.push_back(0);
            continue;
        }
        align(out);
        valueOffsets.push_back(static_cast<uint32_t>(out.size()));
        out += entry.value;
    }
    align(out);
    uint32_t offset = static_cast<uint32_t>(out.size());
    put(out, static_cast<uint32_t>(entries.size()), 2);
    for (size_t index = 0; index < entries.size(); ++index) {
        const Entry& entry = entries[index];
        put(out, entry.tag, 2);
        put(out, entry.type, 2);
        put(out, entry.count, 4);
        if (entry.value.size() <= 4)
            out += entry.value + std::string(4 - entry.value.size(), '\0');
        else
            put(out, valueOffsets[index], 4);
    }
    put(out, 0, 4);
    return offset;
}

// A mosaic with a bright diagonal band, so the developed picture is not flat.
std::string mosaic(int width, int height) {
    std::string data;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int level = std::abs(x - y) < width / 6 ? 3800 : 400 + 20 * ((x + y) % 32);
            put(data, static_cast<uint32_t>(level), 2);
        }
    return data;
}

QImage previewPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB888);
    picture.fill(QColor(30, 120, 200));
    for (int x = 0; x < width; ++x)
        picture.setPixelColor(x, height / 2, QColor(250, 250, 20));
    return picture;
}

std::vector<Entry> cameraEntries(const DngDescription& description, uint32_t exifOffset) {
    return {
        text(271, description.make),
        text(272, description.model),
        shorts(274, {static_cast<uint32_t>(description.orientation)}),
        longs(34665, {exifOffset}),
        bytes(50706, {1, 4, 0, 0}),
        bytes(50707, {1, 1, 0, 0}),
        text(50708, description.make + " " + description.model),
        rationals(50721, SRational,
                  {{10000, 10000},
                   {0, 10000},
                   {0, 10000},
                   {0, 10000},
                   {10000, 10000},
                   {0, 10000},
                   {0, 10000},
                   {0, 10000},
                   {10000, 10000}}),
        rationals(50728, Rational, {{1, 2}, {1, 1}, {1, 2}}),
        shorts(50778, {21}),
    };
}

std::vector<Entry> rawEntries(const DngDescription& description, uint32_t dataOffset,
                              uint32_t dataBytes) {
    auto width = static_cast<uint32_t>(description.width);
    auto height = static_cast<uint32_t>(description.height);
    return {
        longs(254, {0}),
        longs(256, {width}),
        longs(257, {height}),
        shorts(258, {16}),
        shorts(259, {1}),
        shorts(262, {32803}),
        longs(273, {dataOffset}),
        shorts(277, {1}),
        longs(278, {height}),
        longs(279, {dataBytes}),
        shorts(284, {1}),
        shorts(33421, {2, 2}),
        bytes(33422, {0, 1, 1, 2}),
        longs(50717, {4095}),
    };
}

} // namespace

std::string MakeDng(const DngDescription& description) {
    std::string raw = mosaic(description.width, description.height);
    std::string preview;
    if (description.preview == DngDescription::Preview::Jpeg)
        preview = EncodeJpeg(previewPicture(description.previewWidth, description.previewHeight));
    else if (description.preview == DngDescription::Preview::Rgb) {
        QImage picture = previewPicture(description.previewWidth, description.previewHeight);
        for (int y = 0; y < picture.height(); ++y)
            preview.append(reinterpret_cast<const char*>(picture.constScanLine(y)),
                           static_cast<size_t>(picture.width()) * 3);
    }

    // Appends the directories pointing at the data; gives IFD0's offset.
    auto directories = [&](std::string& out, uint32_t rawOffset, uint32_t previewOffset) {
        uint32_t exif =
            appendIfd(out, {rationals(33434, Rational, {{1, description.exposureDenominator}}),
                            rationals(33437, Rational, {{description.apertureTenths, 10}}),
                            shorts(34855, {static_cast<uint32_t>(description.iso)}),
                            rationals(37386, Rational, {{description.focalLength, 1}})});
        std::vector<Entry> first;
        std::vector<Entry> camera = cameraEntries(description, exif);
        std::vector<Entry> rawTags =
            rawEntries(description, rawOffset, static_cast<uint32_t>(raw.size()));
        if (description.preview == DngDescription::Preview::None) {
            first = rawTags;
        } else {
            uint32_t rawIfd = appendIfd(out, rawTags);
            bool jpeg = description.preview == DngDescription::Preview::Jpeg;
            auto width = static_cast<uint32_t>(description.previewWidth);
            auto height = static_cast<uint32_t>(description.previewHeight);
            first = {longs(254, {1}),
                     longs(256, {width}),
                     longs(257, {height}),
                     shorts(258, {8, 8, 8}),
                     shorts(259, {jpeg ? 7u : 1u}),
                     shorts(262, {jpeg ? 6u : 2u}),
                     longs(273, {previewOffset}),
                     shorts(277, {3}),
                     longs(278, {height}),
                     longs(279, {static_cast<uint32_t>(preview.size())}),
                     shorts(284, {1}),
                     longs(330, {rawIfd})};
        }
        first.insert(first.end(), camera.begin(), camera.end());
        return appendIfd(out, first);
    };

    std::string out = "II";
    put(out, 42, 2);
    put(out, 0, 4); // IFD0 offset, filled in at the end
    uint32_t ifd0;
    if (!description.dataLast) {
        uint32_t rawOffset = static_cast<uint32_t>(out.size());
        out += raw;
        align(out);
        uint32_t previewOffset = static_cast<uint32_t>(out.size());
        out += preview;
        ifd0 = directories(out, rawOffset, previewOffset);
    } else {
        // The directories take the same room whatever offsets they hold.
        std::string trial = out;
        directories(trial, 0, 0);
        align(trial);
        auto rawOffset = static_cast<uint32_t>(trial.size());
        auto previewOffset = static_cast<uint32_t>(rawOffset + raw.size() + raw.size() % 2);
        ifd0 = directories(out, rawOffset, previewOffset);
        align(out);
        out += raw;
        align(out);
        out += preview;
    }
    for (int index = 0; index < 4; ++index)
        out[4 + index] = static_cast<char>((ifd0 >> (8 * index)) & 0xFF);
    return out;
}

void WriteDng(const std::filesystem::path& file, const DngDescription& description) {
    std::ofstream(file, std::ios::binary) << MakeDng(description);
}

} // namespace orvella::test
