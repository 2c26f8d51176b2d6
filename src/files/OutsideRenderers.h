#pragma once

#include <QImage>

#include <filesystem>
#include <memory>
#include <string>

namespace orvella {

// The two outside converters the thumbnails need for files no decoder of
// ours reads: PostScript through the interpreter, camera RAW through the RAW
// library. They live above this library (in the viewer), which installs them
// at start-up; until then PostScript rendering is off and RAW files have no
// thumbnail.

class PostScriptRenderer {
public:
    virtual ~PostScriptRenderer() = default;
    // The first page of an EPS or PS file. A 0 x 0 picture means the file
    // ran but drew no page. Throws std::exception on any failure.
    virtual QImage RenderFirstPage(const std::filesystem::path& file) = 0;
};

// What the RAW converter reports about a preview it was asked to write.
struct RawPreviewResult {
    enum Outcome { Error = -1, NothingUsable = 0, Written = 1 };
    Outcome outcome = Error;
    int format = 0;    // when written: 1 JPEG, 2 PPM, 3 TIFF
    std::string error; // on Error, the library's words when it gave any
};

class RawPreviewWriter {
public:
    virtual ~RawPreviewWriter() = default;
    // Writes the camera's preview of raw into output. Never throws.
    virtual RawPreviewResult WritePreview(const std::filesystem::path& raw,
                                          const std::filesystem::path& output) = 0;
};

// The installed converters; empty pointers remove them. Safe from any thread.
void SetPostScriptRenderer(std::shared_ptr<PostScriptRenderer> renderer);
std::shared_ptr<PostScriptRenderer> CurrentPostScriptRenderer();
void SetRawPreviewWriter(std::shared_ptr<RawPreviewWriter> writer);
std::shared_ptr<RawPreviewWriter> CurrentRawPreviewWriter();

// The Ghostscript enabled flag: a PostScript renderer is installed.
bool PostScriptRenderingEnabled();

} // namespace orvella
