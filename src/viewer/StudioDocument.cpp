#include "viewer/StudioDocument.h"

#include "files/FileKinds.h"
#include "files/JpegDecode.h"
#include "files/OutsideRenderers.h"
#include "files/PsdPicture.h"
#include "shell/AtomicFile.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "viewer/JpegEncode.h"

#include <QBuffer>
#include <QImageReader>

#include <turbojpeg.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace orvella {

namespace {

constexpr const char* kRewriteQuestion = "Do you want to rewrite existsing file?";
constexpr const char* kSaveKindsWarning = "You can save BMP and JPEG images only.";

struct TurboHandle {
    explicit TurboHandle(tjhandle handle) : handle(handle) {
        if (handle == nullptr)
            throw std::runtime_error(tjGetErrorStr2(nullptr));
    }
    ~TurboHandle() { tjDestroy(handle); }
    TurboHandle(const TurboHandle&) = delete;
    TurboHandle& operator=(const TurboHandle&) = delete;
    std::string error() const { return tjGetErrorStr2(handle); }
    // A warning (corrupt data the decoder got past) still gives a picture.
    bool fatal() const { return tjGetErrorCode(handle) == TJERR_FATAL; }
    tjhandle handle;
};

// The smallest of the reduced scales whose picture is still at least as large
// as the picture fitted into `cover`; 1/1 when none is.
tjscalingfactor coveringScale(int width, int height, QSize cover) {
    tjscalingfactor whole{1, 1};
    if (cover.isEmpty() || width <= 0 || height <= 0)
        return whole;
    double ratio = std::min(double(cover.width()) / width, double(cover.height()) / height);
    for (int denominator : {8, 4, 2}) {
        tjscalingfactor factor{1, denominator};
        if (1.0 / denominator >= ratio)
            return factor;
    }
    return whole;
}

QImage readWithQt(const fs::path& file, const char* format) {
    QImageReader reader(QString::fromStdString(file.string()), format);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull())
        throw EStudioDecodeError(file.string() + ": " + reader.errorString().toStdString());
    return image.convertToFormat(QImage::Format_RGB32);
}

// JPEG through TurboJPEG's decoder, at a reduced scale when that covers the
// page. CMYK pictures, which TurboJPEG cannot turn into RGB, go through Qt.
StudioPicture decodeJpeg(const StudioLoadRequest& request) {
    std::string bytes = readWholeFile(request.file);
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    TurboHandle decoder(tjInitDecompress());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(decoder.handle, data, bytes.size(), &width, &height, &subsampling,
                            &colourspace) != 0)
        throw EStudioDecodeError(request.file.string() + ": " + decoder.error());
    if (width <= 0 || height <= 0 ||
        static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) >
            kMaxPicturePixels)
        throw EStudioDecodeError(request.file.string() + ": the picture is too large");

    StudioPicture picture;
    picture.fullSize = QSize(width, height);
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) {
        picture.image = readWithQt(request.file, "jpeg");
    } else {
        tjscalingfactor scale = coveringScale(width, height, request.cover);
        QImage image(TJSCALED(width, scale), TJSCALED(height, scale), QImage::Format_RGB32);
        if (image.isNull())
            throw EStudioDecodeError(request.file.string() + ": not enough memory for the picture");
        if (tjDecompress2(decoder.handle, data, bytes.size(), image.bits(), image.width(),
                          static_cast<int>(image.bytesPerLine()), image.height(), TJPF_BGRA,
                          TJFLAG_LIMITSCANS) != 0 &&
            decoder.fatal())
            throw EStudioDecodeError(request.file.string() + ": " + decoder.error());
        picture.reduced = scale.denom != 1;
        picture.image = std::move(image);
    }
    picture.logLines = {"JPEG loaded", "converted to bitmap"};
    return picture;
}

StudioPicture withLines(QImage image, std::vector<std::string> lines) {
    StudioPicture picture;
    picture.fullSize = image.size();
    picture.image = std::move(image);
    picture.logLines = std::move(lines);
    return picture;
}

// The segments a rewrite keeps: every APPn and COM before the first scan, in
// file order, as whole segments (marker included).
std::vector<std::string_view> metadataSegments(std::string_view jpeg) {
    std::vector<std::string_view> segments;
    size_t position = 2;
    while (position + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[position]) == 0xFF) {
        auto type = static_cast<unsigned char>(jpeg[position + 1]);
        if (type == 0xDA || type == 0xD9)
            break;
        size_t length = static_cast<unsigned char>(jpeg[position + 2]) * 256u +
                        static_cast<unsigned char>(jpeg[position + 3]);
        if (length < 2 || position + 2 + length > jpeg.size())
            break;
        if ((type >= 0xE0 && type <= 0xEF) || type == 0xFE)
            segments.push_back(jpeg.substr(position, 2 + length));
        position += 2 + length;
    }
    return segments;
}

bool isAppZero(std::string_view segment) {
    return segment.size() > 1 && static_cast<unsigned char>(segment[1]) == 0xE0;
}

} // namespace

QImage TurnedClockwise(const QImage& source) {
    QImage picture = source.convertToFormat(QImage::Format_RGB32);
    const int width = picture.width(), height = picture.height();
    QImage turned(height, width, QImage::Format_RGB32);
    for (int y = 0; y < width; ++y) {
        auto* row = reinterpret_cast<QRgb*>(turned.scanLine(y));
        for (int x = 0; x < height; ++x)
            row[x] = reinterpret_cast<const QRgb*>(picture.constScanLine(height - 1 - x))[y];
    }
    return turned;
}

QImage TurnedAnticlockwise(const QImage& source) {
    QImage picture = source.convertToFormat(QImage::Format_RGB32);
    const int width = picture.width(), height = picture.height();
    QImage turned(height, width, QImage::Format_RGB32);
    for (int y = 0; y < width; ++y) {
        auto* row = reinterpret_cast<QRgb*>(turned.scanLine(y));
        for (int x = 0; x < height; ++x)
            row[x] = reinterpret_cast<const QRgb*>(picture.constScanLine(x))[width - 1 - y];
    }
    return turned;
}

std::string TurnJpegLosslessly(const std::string& jpeg, int quarterTurns) {
    static constexpr int kOperations[] = {TJXOP_NONE, TJXOP_ROT90, TJXOP_ROT180, TJXOP_ROT270};
    TurboHandle transformer(tjInitTransform());
    tjtransform transform{};
    transform.op = kOperations[((quarterTurns % 4) + 4) % 4];
    transform.options = TJXOPT_PERFECT; // every marker is copied unless told otherwise
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    int status =
        tjTransform(transformer.handle, reinterpret_cast<const unsigned char*>(jpeg.data()),
                    jpeg.size(), 1, &output, &outputSize, &transform, TJFLAG_LIMITSCANS);
    std::unique_ptr<unsigned char, decltype(&tjFree)> owned(output, &tjFree);
    if (status != 0 && (transformer.fatal() || output == nullptr))
        throw EStudioDecodeError(transformer.error());
    return std::string(reinterpret_cast<const char*>(output), outputSize);
}

std::string EncodeJpegKeepingMetadata(const QImage& picture, const std::string& original) {
    std::string encoded = EncodeJpeg(picture, 90);
    std::vector<std::string_view> kept = metadataSegments(original);
    std::vector<std::string_view> own = metadataSegments(encoded);
    bool originalHasAppZero = std::any_of(kept.begin(), kept.end(), isAppZero);

    std::string out("\xFF\xD8", 2);
    size_t ownEnd = 2;
    for (std::string_view segment : own) {
        if (!originalHasAppZero && isAppZero(segment))
            out.append(segment);
        ownEnd += segment.size();
    }
    for (std::string_view segment : kept)
        out.append(segment);
    out.append(encoded, ownEnd);
    return out;
}

StudioPicture StudioDocument::Decode(const StudioLoadRequest& request) {
    const std::string path = request.file.string();
    if (IsJpegFile(path))
        return decodeJpeg(request);
    if (IsBitmapFile(path))
        return withLines(readWithQt(request.file, "bmp"), {"Bitmap loaded"});
    if (IsPngFile(path))
        return withLines(readWithQt(request.file, "png"), {"PNG loaded", "converted to bitmap"});
    if (IsTiffFile(path))
        return withLines(readWithQt(request.file, "tiff"), {"TIFF loaded", "converted to bitmap"});
    if (IsPhotoshopFile(path)) {
        std::optional<QImage> image = ReadPsdPicture(request.file, 1 << 20);
        if (!image)
            throw EStudioDecodeError(path + ": the Photoshop file cannot be read");
        return withLines(image->convertToFormat(QImage::Format_RGB32),
                         {"PSD loaded", "converted to bitmap"});
    }
    if (IsPostScriptFile(path)) {
        std::shared_ptr<PostScriptRenderer> renderer = CurrentPostScriptRenderer();
        if (!renderer)
            return {};
        QImage page = renderer->RenderFirstPage(request.file);
        if (page.isNull())
            return {};
        return withLines(page.convertToFormat(QImage::Format_RGB32), {"EPS loaded and converted"});
    }
    return {};
}

StudioLoadRequest StudioDocument::RequestFor(const fs::path& file, bool fit) const {
    return {file, fit ? pageSize_ : QSize()};
}

void StudioDocument::BeginLoad(bool fit) {
    fit_ = fit;
    zoomed_ = false;
    logGuarded(fit ? "Resizing prepared" : "Real size prepared");
    picture_ = QImage();
    fullSize_ = QSize();
    reduced_ = false;
    turns_ = 0;
    logGuarded("Clear canvas");
}

void StudioDocument::Accept(const fs::path& file, StudioPicture picture) {
    for (const std::string& line : picture.logLines)
        logGuarded(line);
    if (!picture.image.isNull()) {
        picture_ = std::move(picture.image);
        fullSize_ = picture.fullSize;
        reduced_ = picture.reduced;
        currentFile_ = file;
    }
    panel0_ = fit_ ? "Resized" : "100%";
    panel1_ = file.string();
}

void StudioDocument::Load(const fs::path& file, bool fit) {
    BeginLoad(fit);
    Accept(file, Decode(RequestFor(file, fit)));
}

void StudioDocument::Reload(bool fit) {
    if (!currentFile_.empty())
        Load(currentFile_, fit);
}

void StudioDocument::ensureFullPicture() {
    if (!reduced_)
        return;
    StudioPicture whole = Decode({currentFile_, QSize()});
    QImage image = std::move(whole.image);
    for (int i = 0; i < turns_; ++i)
        image = TurnedClockwise(image);
    picture_ = std::move(image);
    reduced_ = false;
}

QSize StudioDocument::FullPictureSize() const {
    if (!reduced_)
        return picture_.size();
    return turns_ % 2 ? fullSize_.transposed() : fullSize_;
}

void StudioDocument::turn(bool clockwise) {
    if (picture_.isNull())
        return;
    picture_ = clockwise ? TurnedClockwise(picture_) : TurnedAnticlockwise(picture_);
    turns_ = (turns_ + (clockwise ? 1 : 3)) % 4;
}

void StudioDocument::RotateClockwise() {
    turn(true);
}
void StudioDocument::RotateAnticlockwise() {
    turn(false);
}

void StudioDocument::ZoomIn() {
    ensureFullPicture();
    controlSize_ = ControlSize() * 2;
    zoomed_ = true;
    zoomPercent_ *= 2;
    panel0_ = std::to_string(zoomPercent_) + "%";
}

void StudioDocument::ZoomOut() {
    ensureFullPicture();
    QSize size = ControlSize();
    controlSize_ = QSize(size.width() / 2, size.height() / 2);
    zoomed_ = true;
    zoomPercent_ /= 2;
    panel0_ = std::to_string(zoomPercent_) + "%";
}

QSize StudioDocument::ControlSize() const {
    if (zoomed_)
        return controlSize_;
    if (fit_)
        return pageSize_;
    return FullPictureSize();
}

QRect StudioDocument::PictureRect() const {
    if (picture_.isNull())
        return {};
    if (!fit_ && !zoomed_)
        return QRect(QPoint(0, 0), picture_.size());
    QSize control = ControlSize();
    QSize shown = picture_.size().scaled(control, Qt::KeepAspectRatio);
    return QRect(
        QPoint((control.width() - shown.width()) / 2, (control.height() - shown.height()) / 2),
        shown);
}

std::string StudioDocument::StatusText(int panel) const {
    return panel == 0 ? panel0_ : panel1_;
}

std::optional<std::string>
StudioDocument::Neighbour(const std::function<std::vector<std::string>()>& listPaths,
                          int direction) {
    if (navigation_.empty())
        navigation_ = listPaths();
    auto found = std::find(navigation_.begin(), navigation_.end(), currentFile_.string());
    if (found == navigation_.end() || currentFile_.empty())
        return std::nullopt;
    auto index = found - navigation_.begin() + direction;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(navigation_.size()))
        return std::nullopt;
    return navigation_[static_cast<size_t>(index)];
}

bool StudioDocument::LoadNext(const std::function<std::vector<std::string>()>& listPaths,
                              bool fit) {
    std::optional<std::string> next = Neighbour(listPaths, 1);
    if (next)
        Load(*next, fit);
    return next.has_value();
}

bool StudioDocument::LoadPrevious(const std::function<std::vector<std::string>()>& listPaths,
                                  bool fit) {
    std::optional<std::string> previous = Neighbour(listPaths, -1);
    if (previous)
        Load(*previous, fit);
    return previous.has_value();
}

void StudioDocument::saveJpeg() {
    std::string original = readWholeFile(currentFile_);
    std::string rewritten;
    try {
        rewritten = TurnJpegLosslessly(original, turns_);
    } catch (const EStudioDecodeError&) {
        // Not a whole number of blocks: an exact turn of the data would
        // leave the edge blocks in place, so the picture is encoded instead.
        ensureFullPicture();
        rewritten = EncodeJpegKeepingMetadata(picture_, original);
    }
    replaceFileAtomically(currentFile_, rewritten);
}

void StudioDocument::Save(Prompts& prompts) {
    std::error_code error;
    if (currentFile_.empty() || !fs::is_regular_file(currentFile_, error))
        return;
    if (!prompts.confirm(kRewriteQuestion))
        return;
    const std::string path = currentFile_.string();
    if (IsJpegFile(path)) {
        if (turns_ != 0)
            saveJpeg();
    } else if (IsBitmapFile(path)) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture_.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
            throw std::runtime_error("The bitmap could not be written");
        replaceFileAtomically(currentFile_,
                              std::string_view(bytes.constData(), size_t(bytes.size())));
    } else {
        prompts.showMessage(kSaveKindsWarning);
        return;
    }
    turns_ = 0; // the file holds the picture as shown now
}

} // namespace orvella
