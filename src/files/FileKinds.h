#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvella {

// A file's kind is decided by the extension of its name alone; the content
// is never looked at. The extension runs from the last "." of the name part
// (after the last "/"), dot included, and is compared in upper case.
std::string FileExtension(std::string_view path);

bool IsRawFile(std::string_view path);
bool IsJpegFile(std::string_view path);
bool IsBitmapFile(std::string_view path);
bool IsPostScriptFile(std::string_view path);
bool IsPhotoshopFile(std::string_view path);
bool IsPngFile(std::string_view path);
bool IsGifFile(std::string_view path);
bool IsZipFile(std::string_view path);
bool IsIllustratorFile(std::string_view path);
bool IsSvgFile(std::string_view path);
bool IsTiffFile(std::string_view path);

// The name of the one kind the file is of ("RAW", "JPEG", ..., "TIFF"), or
// "none".
std::string FileKindName(std::string_view path);

// The extensions (lower case, no dot) a picture decoder is registered for,
// in registration order. Modules that classify files keep a copy.
const std::vector<std::string>& PictureDecoderList();

// Whether the folder listing and the full scan take the file into the
// catalogue.
bool IsCatalogueFile(std::string_view path, const std::vector<std::string>& decoderList);

} // namespace orvella
