#pragma once

#include <QImage>

#include <filesystem>
#include <optional>
#include <string>

namespace orvella {

struct ThumbnailOptions {
    // Option JPEGPreview: vector files and PostScript are shown through the
    // JPEG of the same name beside them, when there is one.
    bool jpegPreview = false;
};

// A new S x S thumbnail of the file, or no value when no picture could be
// made from it. Never throws.
std::optional<QImage> MakeThumbnail(const std::filesystem::path& file, int size,
                                    const ThumbnailOptions& options = {});

// A thumbnail, and why it could not be made (or why the error picture stands
// in for it): a decoder's error such as a damaged or cut-short file. Both may
// be empty: a file no decoder takes. Never throws.
struct ThumbnailAttempt {
    std::optional<QImage> picture;
    std::string error;
};
ThumbnailAttempt TryMakeThumbnail(const std::filesystem::path& file, int size,
                                  const ThumbnailOptions& options = {});

// The thumbnail of a PostScript file the interpreter failed on: white, with
// the text "error" at (1, 1).
QImage MakeErrorThumbnail(int size);

// The picture stretched into S x S on white, keeping its proportions: the
// longer side becomes S, the other is truncated, and the picture is centred.
QImage FitIntoSquare(const QImage& picture, int size);

// The picture of a file by the decoder registered for its extension (the
// picture decoder list, plus GIF); no value when there is none or it fails.
std::optional<QImage> DecodeByExtension(const std::filesystem::path& file, int size);

} // namespace orvella
