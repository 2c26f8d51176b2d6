#include "viewer/RawLibrary.h"

#include <libraw/libraw.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace orvella {

namespace {

// LibRaw's input, read through the file-operations table.
class TableDataStream : public LibRaw_abstract_datastream {
public:
    TableDataStream(const TRawFileOperations& table, TRawFileHandle* handle, std::string name)
        : table_(table), handle_(handle), name_(std::move(name)) {}

    int valid() override { return handle_ != nullptr; }
    int read(void* buffer, size_t size, size_t count) override {
        int64_t bytes = table_.fread(buffer, size, count, handle_);
        return bytes <= 0 || size == 0 ? 0 : static_cast<int>(bytes / static_cast<int64_t>(size));
    }
    int seek(INT64 offset, int whence) override { return table_.fseek(handle_, offset, whence); }
    INT64 tell() override { return table_.ftell(handle_); }
    INT64 size() override {
        int64_t here = table_.ftell(handle_);
        table_.fseek(handle_, 0, SEEK_END);
        int64_t end = table_.ftell(handle_);
        table_.fseek(handle_, here, SEEK_SET);
        return end;
    }
    int get_char() override { return table_.fgetc(handle_); }
    char* gets(char* buffer, int n) override { return table_.fgets(buffer, n, handle_); }
    int scanf_one(const char* format, void* value) override {
        std::string token;
        int c;
        while ((c = table_.fgetc(handle_)) >= 0 && std::isspace(c)) {
        }
        while (c >= 0 && !std::isspace(c) && token.size() < 64) {
            token.push_back(static_cast<char>(c));
            c = table_.fgetc(handle_);
        }
        return token.empty() ? -1 : std::sscanf(token.c_str(), format, value);
    }
    int eof() override { return table_.feof(handle_) != 0; }
    void* make_jas_stream() override { return nullptr; }
    const char* fname() override { return name_.c_str(); }

private:
    const TRawFileOperations& table_;
    TRawFileHandle* handle_;
    std::string name_;
};

// What the library's data-error handler heard while reading a file: a
// damaged or cut-short file. The library goes on after such a report and
// fills what it could not read with zeros, so a picture made after one is
// no picture of the file.
struct DataErrors {
    std::string first;

    static void record(void* data, const char* file, const int offset) {
        auto& errors = *static_cast<DataErrors*>(data);
        if (!errors.first.empty())
            return;
        std::string name = file ? file : "";
        errors.first = offset < 0 ? name + ": unexpected end of file"
                                  : name + ": data corrupted at " + std::to_string(offset);
    }
};

void copyText(char* target, const char* source) {
    size_t length = std::min(std::strlen(source), static_cast<size_t>(kRawTextSize));
    std::memcpy(target, source, length);
    target[length] = '\0';
}

int rotationOf(int flip) {
    switch (flip) {
    case 3:
        return 180;
    case 5:
        return 270;
    case 6:
        return 90;
    default:
        return 0;
    }
}

bool writeThrough(const TRawFileOperations& table, const char* path, const std::string& bytes) {
    TRawFileHandle* output = table.fopen(path, "wb");
    if (!output)
        return false;
    int64_t written = table.fwrite(bytes.data(), 1, bytes.size(), output);
    table.fclose(output);
    return written == static_cast<int64_t>(bytes.size());
}

void appendLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int index = 0; index < bytes; ++index)
        out.push_back(static_cast<char>((value >> (8 * index)) & 0xFF));
}

// An uncompressed baseline TIFF of 8-bit RGB, in one strip.
std::string encodeTiff(const libraw_processed_image_t& image) {
    const uint32_t width = image.width, height = image.height;
    const uint32_t dataBytes = image.data_size;
    const uint16_t entries = 10;
    const uint32_t ifdOffset = 8;
    const uint32_t bitsOffset = ifdOffset + 2 + entries * 12 + 4;
    const uint32_t dataOffset = bitsOffset + 6;
    std::string out = "II";
    appendLittleEndian(out, 42, 2);
    appendLittleEndian(out, ifdOffset, 4);
    appendLittleEndian(out, entries, 2);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        appendLittleEndian(out, tag, 2);
        appendLittleEndian(out, type, 2);
        appendLittleEndian(out, count, 4);
        appendLittleEndian(out, value, 4);
    };
    constexpr uint16_t kShort = 3, kLong = 4;
    entry(256, kLong, 1, width);
    entry(257, kLong, 1, height);
    entry(258, kShort, 3, bitsOffset);
    entry(259, kShort, 1, 1); // no compression
    entry(262, kShort, 1, 2); // RGB
    entry(273, kLong, 1, dataOffset);
    entry(277, kShort, 1, 3);
    entry(278, kLong, 1, height);
    entry(279, kLong, 1, dataBytes);
    entry(284, kShort, 1, 1); // chunky
    appendLittleEndian(out, 0, 4);
    for (int sample = 0; sample < 3; ++sample)
        appendLittleEndian(out, 8, 2);
    out.append(reinterpret_cast<const char*>(image.data), dataBytes);
    return out;
}

std::string encodePpm(const libraw_processed_image_t& image) {
    std::string out = (image.colors == 1 ? "P5\n" : "P6\n") + std::to_string(image.width) + " " +
                      std::to_string(image.height) + "\n255\n";
    out.append(reinterpret_cast<const char*>(image.data), image.data_size);
    return out;
}

using ProcessedImage =
    std::unique_ptr<libraw_processed_image_t, void (*)(libraw_processed_image_t*)>;

// The preview and its format: the camera's own when there is one, else a
// half-size rendering of the raw data.
int writePreview(LibRaw& raw, const TRawFileOperations& table, const char* outputPath) {
    if (raw.unpack_thumb() == LIBRAW_SUCCESS) {
        int error = 0;
        ProcessedImage thumb(raw.dcraw_make_mem_thumb(&error), LibRaw::dcraw_clear_mem);
        if (thumb && thumb->type == LIBRAW_IMAGE_JPEG) {
            std::string jpeg(reinterpret_cast<const char*>(thumb->data), thumb->data_size);
            return writeThrough(table, outputPath, jpeg) ? 1 : 0;
        }
        if (thumb && thumb->type == LIBRAW_IMAGE_BITMAP && thumb->bits == 8 &&
            (thumb->colors == 1 || thumb->colors == 3))
            return writeThrough(table, outputPath, encodePpm(*thumb)) ? 2 : 0;
    }
    raw.imgdata.params.half_size = 1;
    raw.imgdata.params.output_bps = 8;
    if (raw.unpack() != LIBRAW_SUCCESS || raw.dcraw_process() != LIBRAW_SUCCESS)
        return 0;
    int error = 0;
    ProcessedImage image(raw.dcraw_make_mem_image(&error), LibRaw::dcraw_clear_mem);
    if (!image || image->type != LIBRAW_IMAGE_BITMAP || image->colors != 3 || image->bits != 8)
        return 0;
    return writeThrough(table, outputPath, encodeTiff(*image)) ? 3 : 0;
}

} // namespace

extern "C" int RawInfo(const TRawFileOperations* table, const uint8_t*, TRawInfoRecord* info,
                       const char* path, uint8_t, int32_t* width, int32_t* height, char* make,
                       char* model, char* software, uint8_t* errorFlag) {
    try {
        auto raw = std::make_unique<LibRaw>();
        TableDataStream stream(*table, table->input, path ? path : "");
        if (!table->input || raw->open_datastream(&stream) != LIBRAW_SUCCESS) {
            *errorFlag = 1;
            return -1;
        }
        const libraw_data_t& data = raw->imgdata;
        *info = TRawInfoRecord{};
        info->iso = static_cast<int32_t>(data.other.iso_speed);
        info->shutter = data.other.shutter;
        info->aperture = data.other.aperture;
        info->focalLength = data.other.focal_len;
        info->rotation = rotationOf(data.sizes.flip);
        *width = data.sizes.width;
        *height = data.sizes.height;
        copyText(make, data.idata.make);
        copyText(model, data.idata.model);
        copyText(software, data.idata.software);
        return 0;
    } catch (...) {
        *errorFlag = 1;
        return -1;
    }
}

extern "C" int FromRawToPSD(const TRawFileOperations* table, const uint8_t*, uint8_t*,
                            TRawProgress*, const char* rawPath, const char* outputPath,
                            uint8_t* options, uint8_t*, int32_t*, int32_t*, char* errorText, char*,
                            char*, uint8_t* errorFlag) {
    TRawFileHandle* input = nullptr;
    try {
        int32_t optionsSize;
        std::memcpy(&optionsSize, options, sizeof optionsSize);
        input = rawPath ? table->fopen(rawPath, "rb") : nullptr;
        if (optionsSize != kRawOptionsSize || !input || !outputPath) {
            if (input)
                table->fclose(input);
            *errorFlag = 1;
            return -1;
        }
        auto raw = std::make_unique<LibRaw>();
        DataErrors dataErrors;
        raw->set_dataerror_handler(&DataErrors::record, &dataErrors);
        TableDataStream stream(*table, input, rawPath);
        options[44] = 0;
        if (raw->open_datastream(&stream) != LIBRAW_SUCCESS) {
            *errorFlag = 1;
        } else {
            options[44] = static_cast<uint8_t>(writePreview(*raw, *table, outputPath));
        }
        if (!dataErrors.first.empty()) {
            options[44] = 0;
            *errorFlag = 1;
            if (errorText)
                copyText(errorText, dataErrors.first.c_str());
        }
        raw.reset();
        table->fclose(input);
        return *errorFlag ? -1 : 0;
    } catch (...) {
        if (input)
            table->fclose(input);
        *errorFlag = 1;
        return -1;
    }
}

} // namespace orvella
