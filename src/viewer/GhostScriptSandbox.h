#pragma once

#include "files/OutsideRenderers.h"
#include "viewer/PageBitmap.h"

#include <QImage>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace orvella {

// A rendered page as a picture.
QImage PageImage(const TPageBitmap& page);

// What a rendering may take. A file that needs more ends in the error path.
struct RenderLimits {
    std::chrono::milliseconds time{std::chrono::seconds(30)};
    unsigned long long memoryBytes = 1ull << 30;
    unsigned long long fileBytes = 64ull << 20;
};

// Renders the first page of an EPS or PS file with the interpreter, run in a
// helper process of our own (the same wrapper and display device there) so
// that a hostile, looping or crashing file cannot take the program with it.
// The interpreter keeps its default SAFER mode.
class TGhostScriptSandbox : public PostScriptRenderer {
public:
    // Throws std::runtime_error when the helper program is missing.
    TGhostScriptSandbox(std::filesystem::path helper, std::string libraryName,
                        int screenBitsPerPixel, RenderLimits limits = {});

    // Page 1 at 75 dpi; a 0 x 0 picture when the file drew no page. Throws
    // the wrapper's errors, and an error of its own when the helper crashed
    // or ran out of time. The helper runs the file from the file's folder;
    // the program's own current directory is left alone, as other threads
    // and relative paths given on the command line depend on it.
    QImage RenderFirstPage(const std::filesystem::path& file) override;

    // Called while the helper runs, so the window keeps answering; by
    // default pending events are processed when called on the main thread.
    std::function<void()> PumpMessages;
    // The interpreter's error text; by default written to the diagnostic log.
    std::function<void(const std::string&)> OnError;
    std::function<void(int pagesDelivered)> OnPageGenerated;

    // Pages the last rendering delivered.
    int LastPageCount() const { return lastPageCount_; }
    const RenderLimits& Limits() const { return limits_; }

    // The helper of the running program (see HelperFor).
    static std::filesystem::path DefaultHelper();
    // The helper beside a program in programFolder, else the installed one
    // in ../libexec/orvella; the path beside it when neither exists.
    static std::filesystem::path HelperFor(const std::filesystem::path& programFolder);

private:
    std::filesystem::path helper_;
    std::string libraryName_;
    int screenBits_;
    RenderLimits limits_;
    std::string programPath_;
    std::atomic<int> lastPageCount_{0};
};

} // namespace orvella
