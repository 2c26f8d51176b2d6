#include "viewer/JpegEncode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

// jpeglib.h needs the definitions of stdio first.
#include <jpeglib.h>

namespace orvella {

namespace {

struct EncoderError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void onEncoderError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<EncoderError*>(info->err)->jump, 1);
}

} // namespace

std::string EncodeJpeg(const QImage& picture, int quality) {
    QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    EncoderError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onEncoderError;
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(output);
        throw std::runtime_error("The JPEG encoder failed");
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &output, &outputSize);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(output), outputSize);
    jpeg_destroy_compress(&info);
    std::free(output);
    return bytes;
}

} // namespace orvella
