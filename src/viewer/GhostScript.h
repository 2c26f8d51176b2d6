#pragma once

#include "viewer/GhostScriptLibrary.h"
#include "viewer/PageBitmap.h"

#include <ghostscript/gdevdsp.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvella {

// The interpreter with the "display" device: one instance at a time, whose
// pages come back as bitmaps in a page list. Runs the interpreter inside the
// calling process; the program itself uses it only in its render helper
// process (see GhostScriptSandbox.h), never in its own.
class TGhostScript {
public:
    enum State { NoInstance = 0, InstanceOpen = 1, Initialised = 2 };

    TGhostScript(const TGhostScriptLibrary& library, std::string programPath,
                 int screenBitsPerPixel = 32);
    ~TGhostScript();
    TGhostScript(const TGhostScript&) = delete;
    TGhostScript& operator=(const TGhostScript&) = delete;

    // Events.
    std::function<void()> OnInput;
    std::function<void(const std::string&)> OnOutput;
    std::function<void(const std::string&)> OnError;
    std::function<void(int pagesDelivered)> OnPageGenerated;
    std::function<void()> OnPageChanged;

    void OpenInstance();
    void Initialise();
    // True when the interpreter's exit code is 0. Changes the process's
    // current directory to the file's folder and leaves it there.
    bool RunFile(const std::filesystem::path& file, bool clearPages);
    void Exit();
    void DeleteInstance();

    // The arguments Initialise hands to the interpreter.
    std::vector<std::string> InitArguments() const;

    void FirstPage();
    void NextPage();
    void PreviousPage();
    void GoToPage(int page);

    void SetResolution(int dotsPerInch);
    int Resolution() const { return resolution_; }
    int DisplayFormat() const;

    State CurrentState() const { return state_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    int CurrentPage() const { return currentPage_; }
    const TPageBitmap& Page(int page) const { return pages_.at(page - 1); }
    int PageWidth() const;
    int PageHeight() const;

    // The bitmap that shows the current page; not owned.
    void SetViewBitmap(TPageBitmap* view) { view_ = view; }

    // The display device format for a screen depth (planes x bits).
    static unsigned DisplayFormatFor(int bitsPerPixel);

    // What the size handler records about the interpreter's picture.
    struct ImageDescriptor {
        int width = 0;
        int height = 0;
        int rowLength = 0;
        unsigned format = 0;
        unsigned char* pixels = nullptr;
        int headerSize = 40;
        int planes = 1;
        int bitsPerPixel = 0;
        int coloursUsed = 0;
    };
    // Bits per pixel and colours used of a display format.
    static void DescribeFormat(unsigned format, int& bitsPerPixel, int& coloursUsed);
    // A copy of the interpreter's picture, read in the layout its format
    // gives; an empty bitmap for a layout this program does not read.
    static TPageBitmap PictureFromDisplay(const ImageDescriptor& image);

private:
    static int stdinHandler(void* caller, char* buffer, int length);
    static int stdoutHandler(void* caller, const char* text, int length);
    static int stderrHandler(void* caller, const char* text, int length);
    static int pollHandler(void* caller);
    static int openHandler(void* handle, void* device);
    static int noOpHandler(void* handle, void* device);
    static int presizeHandler(void* handle, void* device, int width, int height, int raster,
                              unsigned format);
    static int sizeHandler(void* handle, void* device, int width, int height, int raster,
                           unsigned format, unsigned char* pixels);
    static int pageHandler(void* handle, void* device, int copies, int flush);
    static int updateHandler(void* handle, void* device, int x, int y, int w, int h);

    int deliverPage();
    void showCurrentPage();
    void clearPages();

    const TGhostScriptLibrary& library_;
    std::string programPath_;
    int screenBitsPerPixel_;
    void* instance_ = nullptr;
    State state_ = NoInstance;
    int resolution_ = 75;
    display_callback callbacks_{};
    ImageDescriptor image_;
    std::vector<TPageBitmap> pages_;
    int currentPage_ = 0;
    TPageBitmap* view_ = nullptr;
};

} // namespace orvella
