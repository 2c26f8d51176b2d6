#include "viewer/GhostScript.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace orvella {

namespace {

// The display device hands its callbacks the display handle, which only a
// "-sDisplayHandle" argument would set; the argument list is fixed, so the
// device's callbacks find the wrapper whose instance is open here instead.
std::atomic<TGhostScript*> openWrapper{nullptr};

TGhostScript& wrapperOf(void* handle) {
    return handle ? *static_cast<TGhostScript*>(handle) : *openWrapper.load();
}

unsigned depthOf(unsigned format) {
    return format & DISPLAY_DEPTH_MASK;
}
unsigned coloursOf(unsigned format) {
    return format & DISPLAY_COLORS_MASK;
}
bool littleEndian(unsigned format) {
    return (format & DISPLAY_ENDIAN_MASK) == DISPLAY_LITTLEENDIAN;
}
bool bottomFirst(unsigned format) {
    return (format & DISPLAY_FIRSTROW_MASK) == DISPLAY_BOTTOMFIRST;
}

// A reader of one pixel of the interpreter's buffer as red, green, blue.
using PixelReader = void (*)(const uint8_t* pixel, uint8_t* rgb);

void readBgr(const uint8_t* pixel, uint8_t* rgb) {
    rgb[0] = pixel[2], rgb[1] = pixel[1], rgb[2] = pixel[0];
}
void readRgb(const uint8_t* pixel, uint8_t* rgb) {
    rgb[0] = pixel[0], rgb[1] = pixel[1], rgb[2] = pixel[2];
}
void readGrey(const uint8_t* pixel, uint8_t* rgb) {
    rgb[0] = rgb[1] = rgb[2] = pixel[0];
}
void readRgb565(const uint8_t* pixel, uint8_t* rgb) {
    unsigned value = pixel[0] | pixel[1] << 8;
    rgb[0] = static_cast<uint8_t>(((value >> 11) & 31) * 255 / 31);
    rgb[1] = static_cast<uint8_t>(((value >> 5) & 63) * 255 / 63);
    rgb[2] = static_cast<uint8_t>((value & 31) * 255 / 31);
}
void readRgb555(const uint8_t* pixel, uint8_t* rgb) {
    unsigned value = pixel[0] | pixel[1] << 8;
    rgb[0] = static_cast<uint8_t>(((value >> 10) & 31) * 255 / 31);
    rgb[1] = static_cast<uint8_t>(((value >> 5) & 31) * 255 / 31);
    rgb[2] = static_cast<uint8_t>((value & 31) * 255 / 31);
}
// The interpreter's own 8-bit palette: a cube of 2 bits per primary (0-63)
// followed by 32 greys (64-95).
void readNative8(const uint8_t* pixel, uint8_t* rgb) {
    unsigned index = pixel[0];
    if (index < 64) {
        rgb[0] = static_cast<uint8_t>(((index >> 4) & 3) * 85);
        rgb[1] = static_cast<uint8_t>(((index >> 2) & 3) * 85);
        rgb[2] = static_cast<uint8_t>((index & 3) * 85);
    } else {
        rgb[0] = rgb[1] = rgb[2] = static_cast<uint8_t>(std::min(index - 64, 31u) * 255 / 31);
    }
}

struct PixelLayout {
    PixelReader read = nullptr;
    int bytesPerPixel = 0;
};

PixelLayout layoutOf(unsigned format) {
    unsigned colours = coloursOf(format), depth = depthOf(format);
    if (colours == DISPLAY_COLORS_RGB && depth == DISPLAY_DEPTH_8 &&
        (format & DISPLAY_ALPHA_MASK) == DISPLAY_ALPHA_NONE)
        return {littleEndian(format) ? readBgr : readRgb, 3};
    if (colours == DISPLAY_COLORS_GRAY && depth == DISPLAY_DEPTH_8)
        return {readGrey, 1};
    if (colours == DISPLAY_COLORS_NATIVE && depth == DISPLAY_DEPTH_16 && littleEndian(format))
        return {(format & DISPLAY_555_MASK) ? readRgb555 : readRgb565, 2};
    if (colours == DISPLAY_COLORS_NATIVE && depth == DISPLAY_DEPTH_8)
        return {readNative8, 1};
    return {};
}

} // namespace

TGhostScript::TGhostScript(const TGhostScriptLibrary& library, std::string programPath,
                           int screenBitsPerPixel)
    : library_(library), programPath_(std::move(programPath)),
      screenBitsPerPixel_(screenBitsPerPixel) {
    // The table of the interpreter's current header: Ghostscript 10 refuses
    // an older version number with this size ("Unable to open the initial
    // device"). The memory and later slots stay empty.
    callbacks_.size = sizeof(display_callback);
    callbacks_.version_major = DISPLAY_VERSION_MAJOR;
    callbacks_.version_minor = DISPLAY_VERSION_MINOR;
    callbacks_.display_open = openHandler;
    callbacks_.display_preclose = noOpHandler;
    callbacks_.display_close = noOpHandler;
    callbacks_.display_presize = presizeHandler;
    callbacks_.display_size = sizeHandler;
    callbacks_.display_sync = noOpHandler;
    callbacks_.display_page = pageHandler;
    callbacks_.display_update = updateHandler;
}

TGhostScript::~TGhostScript() {
    if (state_ == Initialised)
        Exit();
    if (state_ == InstanceOpen)
        DeleteInstance();
}

unsigned TGhostScript::DisplayFormatFor(int bitsPerPixel) {
    if (bitsPerPixel == 16)
        return 204801;
    if (bitsPerPixel == 8)
        return 198657;
    if (bitsPerPixel >= 4 && bitsPerPixel <= 7)
        return 197633;
    if (bitsPerPixel < 4)
        return 196865;
    return 198660; // 24 bits or more, and any other depth
}

int TGhostScript::DisplayFormat() const {
    return static_cast<int>(DisplayFormatFor(screenBitsPerPixel_));
}

void TGhostScript::OpenInstance() {
    int code = library_.NewInstance(&instance_, this);
    if (code != 0)
        throw std::runtime_error("Impossible to open an instance of ghostscript. Error code: " +
                                 std::to_string(code));
    auto failIfNegative = [this](int result, const char* message) {
        if (result >= 0)
            return;
        library_.DeleteInstance(instance_);
        instance_ = nullptr;
        throw std::runtime_error(message + std::to_string(result));
    };
    failIfNegative(library_.SetStdio(instance_, stdinHandler, stdoutHandler, stderrHandler),
                   "Impossible to assign callback stdio functions: ");
    failIfNegative(library_.SetPoll(instance_, pollHandler),
                   "Impossible to assign callback poll function: ");
    failIfNegative(library_.SetDisplayCallback(instance_, &callbacks_),
                   "Impossible to assign callback display functions: ");
    openWrapper = this;
    state_ = InstanceOpen;
}

std::vector<std::string> TGhostScript::InitArguments() const {
    return {programPath_, "-sDEVICE=display", "-dDisplayFormat=" + std::to_string(DisplayFormat()),
            "-r" + std::to_string(resolution_)};
}

void TGhostScript::Initialise() {
    std::vector<std::string> arguments = InitArguments();
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    int code = library_.InitWithArgs(instance_, static_cast<int>(argv.size()), argv.data());
    if (code < 0)
        throw std::runtime_error("ERROR: init_args: Access violation. Something went wrong.");
    state_ = Initialised;
}

bool TGhostScript::RunFile(const std::filesystem::path& file, bool clear) {
    if (clear)
        clearPages();
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        throw std::runtime_error("File " + file.string() + " does not exist.");
    std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
    std::filesystem::current_path(folder);
    int exitCode = 0;
    int result = library_.RunFile(instance_, file.filename().c_str(), 0, &exitCode);
    return exitCode == 0 && result >= 0;
}

void TGhostScript::Exit() {
    library_.Exit(instance_);
    state_ = InstanceOpen;
}

void TGhostScript::DeleteInstance() {
    library_.DeleteInstance(instance_);
    instance_ = nullptr;
    TGhostScript* self = this;
    openWrapper.compare_exchange_strong(self, nullptr);
    state_ = NoInstance;
}

void TGhostScript::clearPages() {
    pages_.clear();
    currentPage_ = 0;
}

void TGhostScript::FirstPage() {
    if (view_ && !pages_.empty())
        GoToPage(1);
}

void TGhostScript::NextPage() {
    if (currentPage_ < PageCount())
        GoToPage(currentPage_ + 1);
}

void TGhostScript::PreviousPage() {
    if (currentPage_ > 1)
        GoToPage(currentPage_ - 1);
}

void TGhostScript::GoToPage(int page) {
    if (page < 1 || page > PageCount())
        return;
    currentPage_ = page;
    if (OnPageChanged)
        OnPageChanged();
    showCurrentPage();
}

void TGhostScript::showCurrentPage() {
    if (view_)
        *view_ = Page(currentPage_);
}

void TGhostScript::SetResolution(int dotsPerInch) {
    if (dotsPerInch <= 0)
        throw std::invalid_argument("The resolution cannot be negative");
    resolution_ = dotsPerInch;
}

int TGhostScript::PageWidth() const {
    return currentPage_ ? Page(currentPage_).width : 0;
}
int TGhostScript::PageHeight() const {
    return currentPage_ ? Page(currentPage_).height : 0;
}

void TGhostScript::DescribeFormat(unsigned format, int& bitsPerPixel, int& coloursUsed) {
    bitsPerPixel = 0;
    coloursUsed = 0;
    unsigned depth = depthOf(format);
    auto byDepth = [&](int bits1, int colours1, int bits4, int colours4, int bits8, int colours8) {
        if (depth == DISPLAY_DEPTH_1)
            bitsPerPixel = bits1, coloursUsed = colours1;
        else if (depth == DISPLAY_DEPTH_4)
            bitsPerPixel = bits4, coloursUsed = colours4;
        else if (depth == DISPLAY_DEPTH_8)
            bitsPerPixel = bits8, coloursUsed = colours8;
    };
    switch (coloursOf(format)) {
    case DISPLAY_COLORS_NATIVE:
        byDepth(1, 2, 4, 16, 8, 96);
        if (depth == DISPLAY_DEPTH_16)
            bitsPerPixel = littleEndian(format) ? 16 : 24;
        break;
    case DISPLAY_COLORS_GRAY:
        byDepth(1, 2, 4, 16, 8, 256);
        break;
    case DISPLAY_COLORS_RGB:
        if (depth == DISPLAY_DEPTH_8)
            bitsPerPixel = 24;
        break;
    case DISPLAY_COLORS_CMYK:
        bitsPerPixel = 24;
        break;
    default:
        break;
    }
}

TPageBitmap TGhostScript::PictureFromDisplay(const ImageDescriptor& image) {
    PixelLayout layout = layoutOf(image.format);
    if (!layout.read || !image.pixels || image.width <= 0 || image.height <= 0 ||
        image.rowLength < image.width * layout.bytesPerPixel)
        return {};
    TPageBitmap page{image.width, image.height, {}};
    page.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    uint8_t* out = page.rgb.data();
    for (int y = 0; y < image.height; ++y) {
        // Rows come bottom first, as the format asks; the page keeps them
        // top first.
        int sourceRow = bottomFirst(image.format) ? image.height - 1 - y : y;
        const uint8_t* in = image.pixels + static_cast<size_t>(sourceRow) * image.rowLength;
        for (int x = 0; x < image.width; ++x, in += layout.bytesPerPixel, out += 3)
            layout.read(in, out);
    }
    return page;
}

int TGhostScript::stdinHandler(void* caller, char*, int) {
    TGhostScript& self = wrapperOf(caller);
    if (self.OnInput)
        self.OnInput();
    return 0; // no input for the interpreter
}

int TGhostScript::stdoutHandler(void* caller, const char* text, int length) {
    TGhostScript& self = wrapperOf(caller);
    if (self.OnOutput)
        self.OnOutput(std::string(text, static_cast<size_t>(length)));
    return length;
}

int TGhostScript::stderrHandler(void* caller, const char* text, int length) {
    TGhostScript& self = wrapperOf(caller);
    if (self.OnError)
        self.OnError(std::string(text, static_cast<size_t>(length)));
    return length;
}

int TGhostScript::pollHandler(void*) {
    return 0;
}

int TGhostScript::openHandler(void* handle, void*) {
    wrapperOf(handle).image_ = ImageDescriptor{};
    return 0;
}

int TGhostScript::noOpHandler(void*, void*) {
    return 0;
}

int TGhostScript::presizeHandler(void*, void*, int, int, int, unsigned) {
    return 0;
}

int TGhostScript::updateHandler(void*, void*, int, int, int, int) {
    return 0;
}

int TGhostScript::sizeHandler(void* handle, void*, int width, int height, int raster,
                              unsigned format, unsigned char* pixels) {
    ImageDescriptor& image = wrapperOf(handle).image_;
    image.width = width;
    image.height = height;
    image.rowLength = raster;
    image.format = format;
    image.pixels = pixels;
    DescribeFormat(format, image.bitsPerPixel, image.coloursUsed);
    return 0;
}

int TGhostScript::pageHandler(void* handle, void*, int, int) {
    return wrapperOf(handle).deliverPage();
}

int TGhostScript::deliverPage() {
    // Called from inside the interpreter: nothing may escape as an exception.
    try {
        pages_.push_back(PictureFromDisplay(image_));
        if (OnPageGenerated)
            OnPageGenerated(PageCount());
        return 0;
    } catch (...) {
        return -1;
    }
}

} // namespace orvella
