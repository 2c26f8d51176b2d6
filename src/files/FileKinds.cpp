#include "files/FileKinds.h"

#include "shell/TextUtil.h"

#include <algorithm>
#include <stdexcept>

namespace orvella {

namespace {

struct KindEntry {
    const char* name;
    std::vector<const char*> extensions;
};

// The kinds are disjoint; FileKindName reports the first that matches.
const std::vector<KindEntry>& kindTable() {
    static const std::vector<KindEntry> table = {
        {"RAW",
         {".CRW", ".CR2", ".RAF", ".ARW", ".BAY", ".KDC", ".DCR", ".DIR", ".DNG", ".MRW", ".NEF",
          ".PEF", ".PTF", ".SRF", ".ERF", ".X3F", ".ORF", ".ORW"}},
        {"JPEG", {".JPG", ".JPEG", ".JFIF"}},
        {"BMP", {".BMP", ".DIB"}},
        {"PostScript", {".EPS", ".PS"}},
        {"Photoshop", {".PSD", ".PDD"}},
        {"PNG", {".PNG"}},
        {"GIF", {".GIF"}},
        {"ZIP", {".ZIP"}},
        {"Illustrator", {".AI"}},
        {"SVG", {".SVG"}},
        {"TIFF", {".TIF", ".TIFF"}},
    };
    return table;
}

bool hasExtension(std::string_view path, const std::vector<const char*>& extensions) {
    std::string extension = toUpperAscii(FileExtension(path));
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const char* candidate) { return extension == candidate; });
}

const KindEntry& kind(const char* name) {
    for (const KindEntry& entry : kindTable())
        if (std::string_view(entry.name) == name)
            return entry;
    throw std::logic_error("unknown file kind");
}

bool isOfKind(std::string_view path, const char* name) {
    return hasExtension(path, kind(name).extensions);
}

} // namespace

std::string FileExtension(std::string_view path) {
    size_t nameStart = path.find_last_of('/');
    std::string_view name = nameStart == std::string_view::npos ? path : path.substr(nameStart + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

bool IsRawFile(std::string_view path) {
    return isOfKind(path, "RAW");
}
bool IsJpegFile(std::string_view path) {
    return isOfKind(path, "JPEG");
}
bool IsBitmapFile(std::string_view path) {
    return isOfKind(path, "BMP");
}
bool IsPostScriptFile(std::string_view path) {
    return isOfKind(path, "PostScript");
}
bool IsPhotoshopFile(std::string_view path) {
    return isOfKind(path, "Photoshop");
}
bool IsPngFile(std::string_view path) {
    return isOfKind(path, "PNG");
}
bool IsGifFile(std::string_view path) {
    return isOfKind(path, "GIF");
}
bool IsZipFile(std::string_view path) {
    return isOfKind(path, "ZIP");
}
bool IsIllustratorFile(std::string_view path) {
    return isOfKind(path, "Illustrator");
}
bool IsSvgFile(std::string_view path) {
    return isOfKind(path, "SVG");
}
bool IsTiffFile(std::string_view path) {
    return isOfKind(path, "TIFF");
}

std::string FileKindName(std::string_view path) {
    for (const KindEntry& entry : kindTable())
        if (hasExtension(path, entry.extensions))
            return entry.name;
    return "none";
}

const std::vector<std::string>& PictureDecoderList() {
    static const std::vector<std::string> list = {
        "bmp", "ico", "wmf", "emf", "jfif", "jpg",  "jpe", "jpeg", "rle", "dib",
        "win", "vst", "vda", "tga", "icb",  "tiff", "tif", "fax",  "eps", "pcx",
        "pcc", "scr", "rpf", "rla", "sgi",  "rgba", "rgb", "bw",   "psd", "pdd",
        "ppm", "pgm", "pbm", "cel", "pic",  "pcd",  "cut", "psp",  "png"};
    return list;
}

bool IsCatalogueFile(std::string_view path, const std::vector<std::string>& decoderList) {
    std::string extension = FileExtension(path);
    if (extension.empty())
        return false;
    std::string bare = toUpperAscii(extension.substr(1));
    static const char* const alwaysListed[] = {"JPG", "JPEG", "TIF", "TIFF",
                                               "EPS", "ZIP",  "AI",  "SVG"};
    for (const char* listed : alwaysListed)
        if (bare == listed)
            return true;
    for (const std::string& decoded : decoderList)
        if (bare == toUpperAscii(decoded))
            return true;
    return IsRawFile(path);
}

} // namespace orvella
