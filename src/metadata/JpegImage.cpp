#include "metadata/JpegImage.h"

#include "shell/AtomicFile.h"
#include "shell/TextUtil.h"

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include <jpeglib.h>

namespace orvella {

namespace {

// libjpeg reports errors through a callback that must not return; it jumps
// back to the caller, which turns the message into an exception.
struct DecoderErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onDecoderError(j_common_ptr decoder) {
    auto* errors = reinterpret_cast<DecoderErrors*>(decoder->err);
    (*decoder->err->format_message)(decoder, errors->message);
    std::longjmp(errors->jump, 1);
}

void onDecoderWarning(j_common_ptr, int) {}

// Reads the headers up to the first scan. Returns false with the decoder's
// message when it refuses the data. No C++ object lives across the jump.
bool readFrameSize(const std::string& bytes, unsigned& width, unsigned& height,
                   char (&message)[JMSG_LENGTH_MAX]) {
    jpeg_decompress_struct decoder{};
    DecoderErrors errors{};
    decoder.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onDecoderError;
    errors.manager.emit_message = onDecoderWarning;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&decoder);
        std::snprintf(message, sizeof message, "%s", errors.message);
        return false;
    }
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&decoder, TRUE);
    width = decoder.image_width;
    height = decoder.image_height;
    jpeg_destroy_decompress(&decoder);
    return true;
}

std::string lowerExtension(const std::filesystem::path& file) {
    return toLowerAscii(file.extension().string());
}

} // namespace

TJpegImage TJpegImage::FromBytes(std::string bytes) {
    TJpegImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (bytes.empty() || !readFrameSize(bytes, image.width_, image.height_, message))
        throw EJpegError(std::string("not a readable JPEG file: ") +
                         (bytes.empty() ? "the file is empty" : message));
    image.bytes_ = std::move(bytes);
    return image;
}

TJpegImage TJpegImage::Load(const std::filesystem::path& file) {
    try {
        return FromBytes(readWholeFile(file));
    } catch (const EJpegError& error) {
        throw EJpegError(file.string() + " is " + error.what());
    }
}

bool hasJpegExtension(const std::filesystem::path& file) {
    std::string extension = lowerExtension(file);
    return extension == ".jpg" || extension == ".jpeg" || extension == ".jpe" ||
           extension == ".jfif";
}

bool hasTiffExtension(const std::filesystem::path& file) {
    std::string extension = lowerExtension(file);
    return extension == ".tif" || extension == ".tiff" || extension == ".nef";
}

} // namespace orvella
