#include "files/Thumbnail.h"

#include "files/FileIdentity.h"
#include "files/FileKinds.h"
#include "files/JpegDecode.h"
#include "files/OutsideRenderers.h"
#include "files/PsdPicture.h"
#include "shell/TextUtil.h"

#include <QImageReader>
#include <QPainter>

#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <mutex>

namespace orvella {

namespace {

// Qt's readers refuse pictures that would take more memory than this.
constexpr int kReaderAllocationLimitMb = 512;

void limitReaderAllocations() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(kReaderAllocationLimitMb); });
}

// Extensions of the decoder list that name a format Qt knows by another name.
std::string qtFormatFor(const std::string& extension) {
    static const std::map<std::string, std::string> aliases = {
        {"dib", "bmp"}, {"rle", "bmp"}, {"icb", "tga"},  {"vst", "tga"},
        {"vda", "tga"}, {"win", "tga"}, {"tif", "tiff"}, {"fax", "tiff"},
    };
    auto alias = aliases.find(extension);
    return alias == aliases.end() ? extension : alias->second;
}

bool isDecodable(const std::string& extension) {
    if (extension == "gif")
        return true;
    const std::vector<std::string>& list = PictureDecoderList();
    return std::find(list.begin(), list.end(), extension) != list.end();
}

std::optional<QImage> readWithQt(const std::filesystem::path& file, const std::string& format) {
    if (!QImageReader::supportedImageFormats().contains(QByteArray::fromStdString(format)))
        return std::nullopt;
    limitReaderAllocations();
    QImageReader reader(QString::fromStdString(file.string()), QByteArray::fromStdString(format));
    reader.setDecideFormatFromContent(false);
    QSize size = reader.size();
    if (size.isValid() &&
        static_cast<unsigned long long>(size.width()) * size.height() > kMaxPicturePixels)
        return std::nullopt;
    QImage picture = reader.read();
    if (picture.isNull())
        return std::nullopt;
    return picture;
}

// With JPEGPreview on, a vector or PostScript file with a JPEG of the same
// name beside it is shown through that JPEG.
std::optional<std::filesystem::path> companionJpeg(const std::filesystem::path& file,
                                                   const ThumbnailOptions& options) {
    std::string name = file.string();
    if (!options.jpegPreview ||
        !(IsPostScriptFile(name) || IsIllustratorFile(name) || IsSvgFile(name)))
        return std::nullopt;
    std::filesystem::path companion = ChangeExtension(name, "jpg");
    std::error_code ignored;
    if (!std::filesystem::exists(companion, ignored))
        return std::nullopt;
    return companion;
}

void removeQuietly(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

// Removes the converter's temporary files however the thumbnail ends.
struct TemporaryFiles {
    std::vector<std::filesystem::path> files;
    ~TemporaryFiles() {
        for (const std::filesystem::path& file : files)
            removeQuietly(file);
    }
};

// A file its decoder reported damaged: no picture of it is shown.
class DamagedPicture : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The RAW converter writes the camera's preview into a temporary file, which
// is then named by the format written and decoded by that name. A converter
// error (a file it cannot read, a data error in it) means no picture.
std::optional<QImage> rawPicture(const std::filesystem::path& file, int size) {
    std::shared_ptr<RawPreviewWriter> writer = CurrentRawPreviewWriter();
    if (!writer)
        return std::nullopt;
    TemporaryFiles temporary;
    std::filesystem::path preview = MakeTempFileName(".jpg");
    temporary.files.push_back(preview);
    RawPreviewResult result = writer->WritePreview(file, preview);
    static const std::map<int, std::string> extensionOfFormat = {
        {1, ".jpg"}, {2, ".ppm"}, {3, ".tiff"}};
    if (result.outcome == RawPreviewResult::Error)
        throw DamagedPicture(result.error.empty() ? "the RAW library cannot read " + file.string()
                                                  : result.error);
    auto extension = extensionOfFormat.find(result.format);
    if (result.outcome != RawPreviewResult::Written || extension == extensionOfFormat.end())
        return std::nullopt;
    std::filesystem::path named = preview.string() + extension->second;
    removeQuietly(named); // a stale file of that name would make the rename fail
    std::filesystem::rename(preview, named);
    temporary.files.push_back(named);
    return DecodeByExtension(named, size);
}

// The EPS decoder: the TIFF preview of a DOS EPS file (binary header
// C5 D0 D3 C6, then the offsets and lengths of its sections).
std::optional<QImage> decodeEpsPreview(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<unsigned char, 30> header{};
    if (!in.read(reinterpret_cast<char*>(header.data()), header.size()))
        return std::nullopt;
    static constexpr std::array<unsigned char, 4> magic = {0xC5, 0xD0, 0xD3, 0xC6};
    if (!std::equal(magic.begin(), magic.end(), header.begin()))
        return std::nullopt;
    auto field = [&](int at) {
        return static_cast<uint32_t>(header[at]) | static_cast<uint32_t>(header[at + 1]) << 8 |
               static_cast<uint32_t>(header[at + 2]) << 16 |
               static_cast<uint32_t>(header[at + 3]) << 24;
    };
    uint32_t tiffOffset = field(20), tiffLength = field(24);
    constexpr uint32_t kMaxPreviewBytes = 64u << 20;
    if (tiffLength == 0 || tiffLength > kMaxPreviewBytes)
        return std::nullopt;
    QByteArray tiff(static_cast<qsizetype>(tiffLength), '\0');
    if (!in.seekg(tiffOffset) || !in.read(tiff.data(), tiff.size()))
        return std::nullopt;
    QImage picture = QImage::fromData(tiff, "TIFF");
    if (picture.isNull())
        return std::nullopt;
    return picture;
}

class PostScriptFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// With the interpreter on, an EPS or PS file is always rendered; a file that
// ran without drawing a page is read by the EPS decoder instead.
QImage renderedPostScript(PostScriptRenderer& renderer, const std::filesystem::path& file) {
    QImage page = renderer.RenderFirstPage(file);
    if (page.width() != 0 || page.height() != 0)
        return page;
    std::optional<QImage> preview = decodeEpsPreview(file);
    if (!preview)
        throw PostScriptFailure("no page and no preview in " + file.string());
    return *preview;
}

std::optional<QImage> sourcePicture(const std::filesystem::path& file, int size,
                                    const ThumbnailOptions& options) {
    if (IsJpegFile(file.string()))
        return DecodeJpegForThumbnail(file, size);
    if (IsRawFile(file.string()))
        return rawPicture(file, size);
    if (std::optional<std::filesystem::path> companion = companionJpeg(file, options))
        return DecodeJpegForThumbnail(*companion, size);
    return DecodeByExtension(file, size);
}

} // namespace

std::optional<QImage> DecodeByExtension(const std::filesystem::path& file, int size) {
    std::string extension = FileExtension(file.string());
    extension = toLowerAscii(extension.empty() ? extension : extension.substr(1));
    if (!isDecodable(extension))
        return std::nullopt;
    if (extension == "jpg" || extension == "jpeg" || extension == "jpe" || extension == "jfif")
        return DecodeJpegForThumbnail(file, size);
    if (extension == "psd" || extension == "pdd")
        return ReadPsdPicture(file, size);
    if (extension == "eps")
        return decodeEpsPreview(file);
    return readWithQt(file, qtFormatFor(extension));
}

QImage FitIntoSquare(const QImage& picture, int size) {
    QImage square(size, size, QImage::Format_RGB32);
    square.fill(Qt::white);
    double w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0)
        return square;
    int targetWidth, targetHeight;
    if (h < w) {
        targetWidth = size;
        targetHeight = static_cast<int>(std::trunc(h / (w / size)));
    } else {
        targetHeight = size;
        targetWidth = static_cast<int>(std::trunc(w / (h / size)));
    }
    if (targetWidth <= 0 || targetHeight <= 0)
        return square; // nothing of the picture is left at this size
    QImage scaled =
        picture.scaled(targetWidth, targetHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&square);
    painter.drawImage(QPoint((size - targetWidth) / 2, (size - targetHeight) / 2), scaled);
    return square;
}

QImage MakeErrorThumbnail(int size) {
    // "error" in a 5 x 7 pixel font of our own: drawing text through Qt
    // needs a GUI application and fonts, which a listing worker may not have.
    static const std::map<char, std::array<const char*, 7>> glyphs = {
        {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
        {'r', {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}},
        {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    };
    QImage square(size, size, QImage::Format_RGB32);
    square.fill(Qt::white);
    int left = 1;
    for (char letter : std::string("error")) {
        const std::array<const char*, 7>& rows = glyphs.at(letter);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x)
                if (rows[y][x] == '#' && left + x < size && 1 + y < size)
                    square.setPixel(left + x, 1 + y, qRgb(0, 0, 0));
        left += 6;
    }
    return square;
}

ThumbnailAttempt TryMakeThumbnail(const std::filesystem::path& file, int size,
                                  const ThumbnailOptions& options) {
    if (IsPostScriptFile(file.string())) {
        if (std::shared_ptr<PostScriptRenderer> renderer = CurrentPostScriptRenderer()) {
            try {
                return {FitIntoSquare(renderedPostScript(*renderer, file), size), {}};
            } catch (const std::exception& error) {
                return {MakeErrorThumbnail(size), error.what()};
            }
        }
    }
    try {
        std::optional<QImage> picture = sourcePicture(file, size, options);
        if (!picture)
            return {};
        return {FitIntoSquare(*picture, size), {}};
    } catch (const std::exception& error) {
        // A thumbnail is never worth failing the listing for; the caller
        // shows its placeholder, and may tell why.
        return {std::nullopt, error.what()};
    }
}

std::optional<QImage> MakeThumbnail(const std::filesystem::path& file, int size,
                                    const ThumbnailOptions& options) {
    return TryMakeThumbnail(file, size, options).picture;
}

} // namespace orvella
