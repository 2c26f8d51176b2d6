#include "files/JpegDecode.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>
// The message codes depend on the library version jpeglib.h defines.
#include <jerror.h>

namespace orvella {

namespace {

// libjpeg's default error handler ends the process; this one jumps back to
// the decoding call instead.
struct JumpingErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void jumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(info->err)->jump, 1);
}

// Warnings about damaged data mean the picture would be partly made up, so
// they end the decode like errors; harmless ones (an unknown JFIF revision,
// a bad colour profile) are ignored.
void onMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
        jumpOut(info);
    default:
        break;
    }
}

// A progressive file may hold any number of scans; past the limit it is
// taken for a hostile one.
void limitScans(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans)
        jumpOut(info);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Everything the jump may cross lives here, outside the jumping frame, so
// no object's lifetime is cut short by it.
struct DecodeJob {
    jpeg_decompress_struct info{};
    JumpingErrorManager errors{};
    jpeg_progress_mgr progress{};
    QImage picture;
    std::vector<unsigned char> cmykRow;
    int size = 0;
    std::FILE* file = nullptr; // the source: a file, or bytes in memory
    const unsigned char* data = nullptr;
    size_t length = 0;
};

void convertCmykRow(const unsigned char* cmyk, QRgb* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        int c = inverted ? cmyk[0] : 255 - cmyk[0];
        int m = inverted ? cmyk[1] : 255 - cmyk[1];
        int y = inverted ? cmyk[2] : 255 - cmyk[2];
        int k = inverted ? cmyk[3] : 255 - cmyk[3];
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

void chooseOutput(DecodeJob& job) {
    jpeg_decompress_struct& info = job.info;
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    info.scale_num = 1;
    info.scale_denom = 8;
    bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX; // BGRX is QImage's RGB32 in memory
    jpeg_calc_output_dimensions(&info);
    if (static_cast<int>(info.output_width) < job.size ||
        static_cast<int>(info.output_height) < job.size) {
        info.scale_denom = 1;
        jpeg_calc_output_dimensions(&info);
    }
}

void readRows(DecodeJob& job) {
    jpeg_decompress_struct& info = job.info;
    bool cmyk = info.out_color_space == JCS_CMYK;
    if (cmyk)
        job.cmykRow.resize(static_cast<size_t>(info.output_width) * 4);
    while (info.output_scanline < info.output_height) {
        auto* line =
            reinterpret_cast<QRgb*>(job.picture.scanLine(static_cast<int>(info.output_scanline)));
        JSAMPROW row = cmyk ? job.cmykRow.data() : reinterpret_cast<JSAMPROW>(line);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            jumpOut(reinterpret_cast<j_common_ptr>(&info));
        if (cmyk)
            convertCmykRow(job.cmykRow.data(), line, info.output_width, info.saw_Adobe_marker);
    }
}

// The jumping frame: only C calls and members of the job, which outlives it.
bool runDecode(DecodeJob* job) {
    if (setjmp(job->errors.jump))
        return false;
    jpeg_decompress_struct& info = job->info;
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = 512L * 1024 * 1024;
    job->progress.progress_monitor = limitScans;
    info.progress = &job->progress;
    if (job->file)
        jpeg_stdio_src(&info, job->file);
    else
        jpeg_mem_src(&info, job->data, static_cast<unsigned long>(job->length));
    jpeg_read_header(&info, TRUE);
    // Refuse an absurd size before the library allocates anything for it.
    if (static_cast<unsigned long long>(info.image_width) * info.image_height > kMaxPicturePixels)
        return false;
    chooseOutput(*job);
    job->picture = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                          QImage::Format_RGB32);
    if (job->picture.isNull())
        return false;
    jpeg_start_decompress(&info);
    readRows(*job);
    jpeg_finish_decompress(&info);
    return true;
}

std::optional<QImage> decode(std::unique_ptr<DecodeJob> job) {
    job->info.err = jpeg_std_error(&job->errors.base);
    job->errors.base.error_exit = jumpOut;
    job->errors.base.emit_message = onMessage;
    bool decoded = runDecode(job.get());
    jpeg_destroy_decompress(&job->info);
    if (!decoded)
        return std::nullopt;
    return std::move(job->picture);
}

} // namespace

std::optional<QImage> DecodeJpegForThumbnail(const std::filesystem::path& file, int size) {
    std::unique_ptr<std::FILE, FileCloser> stream(std::fopen(file.c_str(), "rb"));
    if (!stream)
        return std::nullopt;
    auto job = std::make_unique<DecodeJob>();
    job->size = size;
    job->file = stream.get();
    return decode(std::move(job));
}

std::optional<QImage> DecodeJpegForThumbnail(const unsigned char* data, size_t length, int size) {
    if (length == 0)
        return std::nullopt;
    auto job = std::make_unique<DecodeJob>();
    job->size = size;
    job->data = data;
    job->length = length;
    return decode(std::move(job));
}

} // namespace orvella
