#include "metadata/ExifFormat.h"

#include "metadata/TextEncoding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace orvella {

namespace {

constexpr size_t kMaxItems = 128;
constexpr size_t kShownLength = 50;

enum FieldType : uint16_t {
    kByte = 1,
    kAscii,
    kShort,
    kLong,
    kRational,
    kSignedByte,
    kUndefined,
    kSignedShort,
    kSignedLong,
    kSignedRational,
    kFloat,
    kDouble
};

const unsigned char* bytesOf(std::string_view raw, size_t offset) {
    return reinterpret_cast<const unsigned char*>(raw.data()) + offset;
}

bool isWholeNumberType(uint16_t type) {
    return type == kByte || type == kShort || type == kLong || type == kSignedByte ||
           type == kSignedShort || type == kSignedLong;
}

// 1- and 2-byte items unsigned, 4-byte items signed.
int64_t wholeItem(uint16_t type, std::string_view raw, size_t index, bool bigEndian) {
    size_t size = exifTypeSize(type);
    const unsigned char* item = bytesOf(raw, index * size);
    if (size == 1)
        return item[0];
    if (size == 2)
        return readUnsigned16(item, bigEndian);
    return static_cast<int32_t>(readUnsigned32(item, bigEndian));
}

std::string decoded(int64_t value, std::string_view decode) {
    std::string key = std::to_string(value) + "=";
    size_t at = 0;
    while (at < decode.size()) {
        size_t end = decode.find(';', at);
        std::string_view pair = decode.substr(at, end == std::string_view::npos ? end : end - at);
        if (pair.substr(0, key.size()) == key)
            return std::string(pair.substr(key.size()));
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    return {};
}

std::string itemText(uint16_t type, std::string_view raw, size_t index, bool bigEndian,
                     std::string_view decode) {
    if (isWholeNumberType(type)) {
        int64_t value = wholeItem(type, raw, index, bigEndian);
        return decode.empty() ? std::to_string(value) : decoded(value, decode);
    }
    if (type == kRational || type == kSignedRational) {
        const unsigned char* item = bytesOf(raw, index * 8);
        auto numerator = static_cast<int32_t>(readUnsigned32(item, bigEndian));
        auto denominator = static_cast<int32_t>(readUnsigned32(item + 4, bigEndian));
        return std::to_string(numerator) + "/" + std::to_string(denominator);
    }
    if (type == kFloat || type == kDouble)
        return "-9999.99";
    return "?";
}

// The numbers of a text such as "40/1, 26/1, 4659/100" (or "7 ..."): each
// item's numerator divided by its denominator, 0 for a zero denominator.
std::vector<double> rationalsOfText(const std::string& text) {
    std::vector<double> values;
    const char* at = text.c_str();
    while (*at != '\0') {
        char* end = nullptr;
        double numerator = std::strtod(at, &end);
        if (end == at) {
            ++at;
            continue;
        }
        double value = numerator;
        if (*end == '/') {
            const char* denominatorText = end + 1;
            double denominator = std::strtod(denominatorText, &end);
            if (end == denominatorText)
                end = const_cast<char*>(denominatorText);
            value = denominator != 0 ? numerator / denominator : 0;
        }
        values.push_back(std::isfinite(value) ? value : 0);
        at = end;
    }
    return values;
}

std::string printfText(const char* format, const char* text) {
    int needed = std::snprintf(nullptr, 0, format, text);
    std::string out(static_cast<size_t>(std::max(needed, 0)) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, text);
    out.resize(out.size() - 1);
    return out;
}

} // namespace

size_t exifTypeSize(uint16_t type) {
    static constexpr size_t kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < std::size(kSizes) ? kSizes[type] : 0;
}

uint16_t readUnsigned16(const unsigned char* bytes, bool bigEndian) {
    return static_cast<uint16_t>(bigEndian ? bytes[0] << 8 | bytes[1] : bytes[1] << 8 | bytes[0]);
}

uint32_t readUnsigned32(const unsigned char* bytes, bool bigEndian) {
    uint32_t high = readUnsigned16(bytes + (bigEndian ? 0 : 2), bigEndian);
    uint32_t low = readUnsigned16(bytes + (bigEndian ? 2 : 0), bigEndian);
    return high << 16 | low;
}

std::string formatExifValue(uint16_t type, std::string_view raw, bool bigEndian,
                            std::string_view decode) {
    if (type == kAscii) {
        if (!raw.empty() && raw.back() == '\0')
            raw.remove_suffix(1);
        return std::string(raw);
    }
    if (type == kUndefined)
        return "\"" + std::string(raw.substr(0, raw.find('\0'))) + "\"";
    size_t size = exifTypeSize(type);
    if (size == 0)
        return "?";
    size_t items = std::min(raw.size() / size, kMaxItems);
    std::string text;
    for (size_t i = 0; i < items; ++i) {
        if (i > 0)
            text += ", ";
        text += itemText(type, raw, i, bigEndian, decode);
    }
    return text;
}

double firstExifNumber(uint16_t type, std::string_view raw, bool bigEndian) {
    size_t size = exifTypeSize(type);
    if (size == 0 || raw.size() < size)
        return 0;
    if (isWholeNumberType(type))
        return static_cast<double>(wholeItem(type, raw, 0, bigEndian));
    if (type == kRational || type == kSignedRational) {
        uint32_t numerator = readUnsigned32(bytesOf(raw, 0), bigEndian);
        uint32_t denominator = readUnsigned32(bytesOf(raw, 4), bigEndian);
        if (denominator == 0)
            return 0;
        if (type == kSignedRational)
            return static_cast<double>(static_cast<int32_t>(numerator)) /
                   static_cast<int32_t>(denominator);
        return static_cast<double>(numerator) / denominator;
    }
    return 0;
}

std::string formatNumber(const char* format, double value) {
    int needed = std::snprintf(nullptr, 0, format, value);
    std::string out(static_cast<size_t>(std::max(needed, 0)) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, value);
    out.resize(out.size() - 1);
    return out;
}

std::string applyDisplayFormat(std::string_view format, const std::string& text, double first) {
    std::string fixedFormat(format);
    if (fixedFormat.find("%s") != std::string::npos)
        return printfText(fixedFormat.c_str(), text.c_str());
    return formatNumber(fixedFormat.c_str(), first);
}

std::string plainShownValue(const std::string& text) {
    std::string shown = text.substr(0, kShownLength);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32)
            c = '.';
    return shown;
}

std::string formatComponentsConfiguration(const TTagEntry& entry, const std::string&) {
    static constexpr const char* kComponents[] = {"", "Y", "Cb", "Cr", "R", "G", "B"};
    std::string shown;
    for (size_t i = 0; i < std::min<size_t>(entry.raw.size(), 4); ++i) {
        auto code = static_cast<unsigned char>(entry.raw[i]);
        if (code >= 1 && code <= 6)
            shown += kComponents[code];
    }
    return shown;
}

std::string formatShutterSpeed(const TTagEntry&, const std::string& text) {
    std::vector<double> values = rationalsOfText(text);
    if (values.empty())
        return plainShownValue(text);
    double time = 1 / std::pow(2.0, values.front());
    if (!std::isfinite(time))
        return plainShownValue(text);
    std::string shown = formatNumber("%4.4f sec", time);
    if (time <= 0.5) {
        double denominator = std::round(1 / time);
        if (denominator < 2147483647.0)
            shown += " (1/" + std::to_string(static_cast<long>(denominator)) + ")";
    }
    return shown;
}

std::string formatFlash(const TTagEntry&, const std::string& text) {
    long value = std::strtol(text.c_str(), nullptr, 10);
    std::string shown = (value & 1) ? "On" : "Off";
    switch (value & 6) {
    case 2:
        shown += ", UNKNOWN";
        break;
    case 4:
        shown += ", no strobe return";
        break;
    case 6:
        shown += ", strobe return";
        break;
    default:
        break;
    }
    switch (value & 24) {
    case 8:
        shown += ", forced";
        break;
    case 16:
        shown += ", surpressed";
        break;
    case 24:
        shown += ", auto mode";
        break;
    default:
        break;
    }
    if (value & 32)
        shown += ", no flash function";
    if (value & 64)
        shown += ", red-eye reduction";
    return shown;
}

// The whole comment after its eight-byte character code, as UTF-8: UNICODE
// text is UTF-16 (in the byte order its mark gives, else the one whose high
// bytes are zero for the first character), ASCII and undefined text is taken
// as UTF-8 when it is, else as Windows-1252. Control characters show as dots.
std::string formatUserComment(const TTagEntry& entry, const std::string&) {
    if (entry.raw.size() <= 8)
        return std::string();
    std::string_view code = std::string_view(entry.raw).substr(0, 8);
    std::string_view text = std::string_view(entry.raw).substr(8);
    std::string comment;
    if (code.substr(0, 7) == "UNICODE") {
        bool bigEndian = text.size() >= 2 && text[0] == '\0' && text[1] != '\0';
        if (text.substr(0, 2) == "\xFE\xFF" || text.substr(0, 2) == "\xFF\xFE") {
            bigEndian = text[0] == '\xFE';
            text.remove_prefix(2);
        }
        comment = utf16ToUtf8(text, bigEndian);
    } else {
        comment = std::string(text);
    }
    comment = comment.substr(0, comment.find('\0'));
    while (!comment.empty() && comment.back() == ' ')
        comment.pop_back();
    if (!isValidUtf8(comment))
        comment = windows1252ToUtf8(comment);
    for (char& c : comment)
        if (static_cast<unsigned char>(c) < 32)
            c = '.';
    return comment;
}

// UTF-16 little-endian text ending at its first zero character, as UTF-8.
std::string formatWindowsText(const TTagEntry& entry, const std::string&) {
    std::string shown = utf16ToUtf8(entry.raw, false);
    return shown.substr(0, shown.find('\0'));
}

std::string formatGpsCoordinate(const TTagEntry&, const std::string& text) {
    std::vector<double> values = rationalsOfText(text);
    values.resize(3, 0);
    double degrees = values[0], minutes = values[1], seconds = values[2];
    if (seconds == 0) {
        // Minutes given with a fraction: the fraction becomes the seconds.
        double whole = std::floor(minutes);
        seconds = (minutes - whole) * 60;
        minutes = whole;
    }
    std::string shown = formatNumber("%0.0f Degrees ", degrees);
    shown += formatNumber("%0.0f Minutes ", minutes);
    return shown + formatNumber("%0.0f Seconds", seconds);
}

std::string formatGpsTime(const TTagEntry&, const std::string& text) {
    std::vector<double> values = rationalsOfText(text);
    values.resize(3, 0);
    return formatNumber("%0.0f:", values[0]) + formatNumber("%0.0f:", values[1]) +
           formatNumber("%0.0f", values[2]);
}

} // namespace orvella
