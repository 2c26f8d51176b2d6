#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvella {

class Prompts;

// Raised when a decoder refuses a file; the message is the decoder's.
class EStudioDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A picture decoded for the viewer. A JPEG shown fitted is decoded at the
// smallest of libjpeg's reduced scales (1/8, 1/4, 1/2) that still covers the
// page, and is then marked reduced: real size and zooming need the whole
// picture and decode it again.
struct StudioPicture {
    QImage image;                      // Format_RGB32
    QSize fullSize;                    // the picture's own size
    bool reduced = false;              // decoded at a reduced scale
    std::vector<std::string> logLines; // the decoder's progress lines, in order
};

// What a load asks for: the file, and the page size a fitted view must cover
// (an empty size asks for the whole picture).
struct StudioLoadRequest {
    std::filesystem::path file;
    QSize cover;
};

// The picture viewer without its widgets: the current file and picture, the
// display mode and zoom, quarter turns, the navigation list and the save.
// Decode() touches no state, so a page may run it on a worker thread and
// hand the result to Accept() on its own thread.
class StudioDocument {
public:
    StudioDocument() = default;

    // The page's visible size: what a fitted picture fills.
    void SetPageSize(QSize size) { pageSize_ = size; }
    QSize PageSize() const { return pageSize_; }

    // Decodes by file kind. An empty picture for a kind the viewer does not
    // show (and for PostScript without the renderer). Throws
    // EStudioDecodeError when the decoder refuses the file.
    static StudioPicture Decode(const StudioLoadRequest& request);
    // The request a load in the given mode makes.
    StudioLoadRequest RequestFor(const std::filesystem::path& file, bool fit) const;

    // The first half of a load: prepares the display for the mode and
    // clears the picture.
    void BeginLoad(bool fit);
    // The second half: takes the decoded picture. A picture of no kind the
    // viewer shows leaves the picture cleared and the current file as it
    // was.
    void Accept(const std::filesystem::path& file, StudioPicture picture);
    // Load (path, fit): BeginLoad, Decode and Accept in one. On a decoder
    // error the picture stays cleared, the current file is unchanged, and
    // the error reaches the caller.
    void Load(const std::filesystem::path& file, bool fit);
    // Reloads the current file in the given mode ("Fit to window").
    void Reload(bool fit);

    void RotateClockwise();
    void RotateAnticlockwise();
    void ZoomIn();
    void ZoomOut();

    // "Load next" and "Load previous": the navigation list is filled from
    // listPaths() at the first use and kept for the rest of the run.
    // Returns whether a file was loaded.
    bool LoadNext(const std::function<std::vector<std::string>()>& listPaths, bool fit);
    bool LoadPrevious(const std::function<std::vector<std::string>()>& listPaths, bool fit);
    const std::vector<std::string>& NavigationList() const { return navigation_; }
    // The file "Load next" (direction 1) or "Load previous" (-1) would load,
    // filling the navigation list as they do; none at either end or when the
    // current file is not in the list.
    std::optional<std::string> Neighbour(const std::function<std::vector<std::string>()>& listPaths,
                                         int direction);

    // "Save Image": asks before rewriting the current file. A JPEG's data is
    // turned losslessly (so metadata written meanwhile stays too); when its
    // size does not allow an exact turn, the picture is encoded at quality
    // 90. Either way the file's metadata
    // segments are kept and the file is replaced through the safe rewrite.
    // A BMP is written as a bitmap; other kinds get a warning.
    void Save(Prompts& prompts);

    const std::filesystem::path& CurrentFile() const { return currentFile_; }
    const QImage& Picture() const { return picture_; }
    bool PictureIsReduced() const { return reduced_; }
    QSize FullPictureSize() const;
    int QuarterTurns() const { return turns_; }
    bool FitMode() const { return fit_; }
    bool Zoomed() const { return zoomed_; }
    int ZoomPercent() const { return zoomPercent_; }

    // The picture control: its size (the page in fit mode, the picture at
    // real size, doubled or halved by zooming) and where in it the picture
    // is drawn.
    QSize ControlSize() const;
    QRect PictureRect() const;
    // Scroll bars are shown at real size and after zooming.
    bool ScrollBarsShown() const { return !fit_ || zoomed_; }

    // The status bar's panels: 0 the mode or zoom, 1 the last loaded path.
    std::string StatusText(int panel) const;

private:
    void ensureFullPicture();
    void saveJpeg();
    void turn(bool clockwise);

    QSize pageSize_{1280, 800};
    std::filesystem::path currentFile_;
    QImage picture_;
    QSize fullSize_;
    bool reduced_ = false;
    int turns_ = 0; // quarter turns clockwise since the load, 0 to 3
    bool fit_ = true;
    bool zoomed_ = false;
    QSize controlSize_;
    int zoomPercent_ = 100;
    std::string panel0_;
    std::string panel1_;
    std::vector<std::string> navigation_;
};

// A quarter turn of the picture: clockwise, new (x, y) is old (y, H - 1 - x);
// anticlockwise, new (x, y) is old (W - 1 - y, x).
QImage TurnedClockwise(const QImage& picture);
QImage TurnedAnticlockwise(const QImage& picture);

// The JPEG data turned by quarter turns clockwise without decoding it, as
// jpegtran does, keeping every marker segment. Throws EStudioDecodeError
// when the turn cannot be made exactly (a size that is not a whole number
// of blocks).
std::string TurnJpegLosslessly(const std::string& jpeg, int quarterTurns);

// The picture encoded at quality 90, carrying the APPn and COM segments of
// the original JPEG in their order.
std::string EncodeJpegKeepingMetadata(const QImage& picture, const std::string& original);

} // namespace orvella
