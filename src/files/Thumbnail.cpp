#include "files/Thumbnail.h"

#include "files/FileIdentity.h"
#include "files/FileKinds.h"
#include "files/JpegDecode.h"
#include "files/PsdPicture.h"
#include "shell/TextUtil.h"

#include <QImageReader>
#include <QPainter>

#include <cmath>
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

std::optional<QImage> sourcePicture(const std::filesystem::path& file, int size,
                                    const ThumbnailOptions& options) {
    if (IsJpegFile(file.string()))
        return DecodeJpegForThumbnail(file, size);
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

std::optional<QImage> MakeThumbnail(const std::filesystem::path& file, int size,
                                    const ThumbnailOptions& options) {
    try {
        std::optional<QImage> picture = sourcePicture(file, size, options);
        if (!picture)
            return std::nullopt;
        return FitIntoSquare(*picture, size);
    } catch (const std::exception&) {
        // A thumbnail is never worth failing the listing for; the caller
        // shows its placeholder.
        return std::nullopt;
    }
}

} // namespace orvella
