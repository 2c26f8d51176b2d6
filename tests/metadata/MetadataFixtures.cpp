#include "MetadataFixtures.h"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>

#include "PictureFixtures.h"

namespace orvella::test {

// A JPEG with no metadata segments at all, not even the JFIF header.
std::string plainJpeg(unsigned width, unsigned height) {
    JpegRecipe spec{static_cast<int>(width), static_cast<int>(height)};
    spec.noise = true;
    spec.jfifHeader = false;
    return EncodeJpeg(spec);
}

std::string jpegSegment(unsigned char marker, std::string_view payload) {
    size_t length = payload.size() + 2;
    std::string out{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                    static_cast<char>(length & 0xFF)};
    return out.append(payload);
}

std::string withSegments(const std::string& jpeg, const std::string& segments) {
    return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

std::vector<unsigned char> segmentMarkers(std::string_view jpeg) {
    std::vector<unsigned char> markers;
    size_t at = 2;
    while (at + 3 < jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        markers.push_back(marker);
        if (marker == 0xDA)
            break;
        size_t length = static_cast<size_t>(static_cast<unsigned char>(jpeg[at + 2])) << 8 |
                        static_cast<unsigned char>(jpeg[at + 3]);
        at += 2 + length;
    }
    return markers;
}

std::string_view scanData(std::string_view jpeg) {
    size_t at = 2;
    while (at + 3 < jpeg.size()) {
        if (static_cast<unsigned char>(jpeg[at + 1]) == 0xDA)
            return jpeg.substr(at);
        size_t length = static_cast<size_t>(static_cast<unsigned char>(jpeg[at + 2])) << 8 |
                        static_cast<unsigned char>(jpeg[at + 3]);
        at += 2 + length;
    }
    return {};
}

std::string iptcDataset(uint8_t record, uint8_t number, std::string_view value) {
    std::string out{'\x1C', static_cast<char>(record), static_cast<char>(number),
                    static_cast<char>(value.size() >> 8), static_cast<char>(value.size() & 0xFF)};
    return out.append(value);
}

std::string xmpPayload(std::string_view title, std::string_view creatorTool) {
    std::string packet = std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
                         "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
                         "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                         "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
                         "<rdf:Description rdf:about=\"\" "
                         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                         "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"><xmp:CreatorTool>";
    packet.append(creatorTool);
    packet += "</xmp:CreatorTool><dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">";
    packet.append(title);
    packet += "</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>"
              "<?xpacket end=\"w\"?>";
    return packet;
}

std::string photoshopPayload(std::string_view datasets) {
    std::string out("Photoshop 3.0\0"
                    "8BIM\x04\x04\0\0",
                    22);
    size_t size = datasets.size();
    out += std::string{0, 0, static_cast<char>(size >> 8), static_cast<char>(size & 0xFF)};
    out.append(datasets);
    if (size % 2)
        out.push_back('\0');
    return out;
}

std::string TiffBuilder::u16(uint16_t value) const {
    auto high = static_cast<char>(value >> 8), low = static_cast<char>(value & 0xFF);
    return bigEndian_ ? std::string{high, low} : std::string{low, high};
}

std::string TiffBuilder::u32(uint32_t value) const {
    std::string high = u16(static_cast<uint16_t>(value >> 16)),
                low = u16(static_cast<uint16_t>(value));
    return bigEndian_ ? high + low : low + high;
}

std::string TiffBuilder::rational(uint32_t numerator, uint32_t denominator) const {
    return u32(numerator) + u32(denominator);
}

std::string TiffBuilder::directory(const std::vector<TiffEntry>& entries, uint32_t start,
                                   uint32_t next) const {
    std::string head = u16(static_cast<uint16_t>(entries.size()));
    auto extraAt = static_cast<uint32_t>(start + 2 + 12 * entries.size() + 4);
    std::string extra;
    for (const TiffEntry& entry : entries) {
        head += u16(entry.tag) + u16(entry.type) + u32(entry.count);
        if (entry.value.size() <= 4) {
            head += entry.value + std::string(4 - entry.value.size(), '\0');
        } else {
            head += u32(extraAt + static_cast<uint32_t>(extra.size()));
            extra += entry.value;
            if (extra.size() % 2)
                extra.push_back('\0');
        }
    }
    return head + u32(next) + extra;
}

std::string TiffBuilder::tiff() const {
    // Sizes do not depend on link values, so a first layout gives offsets.
    std::vector<TiffEntry> first = ifd0;
    if (!exif.empty())
        first.push_back(longEntry(0x8769, 0));
    if (!gps.empty())
        first.push_back(longEntry(0x8825, 0));
    uint32_t at = 8;
    uint32_t exifAt = at + static_cast<uint32_t>(directory(first, at).size());
    uint32_t gpsAt =
        exifAt + (exif.empty() ? 0 : static_cast<uint32_t>(directory(exif, exifAt).size()));
    uint32_t ifd1At =
        gpsAt + (gps.empty() ? 0 : static_cast<uint32_t>(directory(gps, gpsAt).size()));
    std::vector<TiffEntry> linked = ifd0;
    if (!exif.empty())
        linked.push_back(longEntry(0x8769, exifAt));
    if (!gps.empty())
        linked.push_back(longEntry(0x8825, gpsAt));
    std::string out = (bigEndian_ ? "MM" : "II") + u16(42) + u32(8);
    out += directory(linked, at, ifd1.empty() ? 0 : ifd1At);
    if (!exif.empty())
        out += directory(exif, exifAt);
    if (!gps.empty())
        out += directory(gps, gpsAt);
    if (!ifd1.empty())
        out += directory(ifd1, ifd1At);
    return out;
}

std::string TiffBuilder::exifSegmentData() const {
    std::string payload = exifPayload();
    size_t length = payload.size() + 2;
    return std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + payload;
}

CommandResult runCommand(const std::string& commandLine) {
    CommandResult result{0, {}};
    std::FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot run " + commandLine);
    std::array<char, 4096> buffer{};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), got);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

std::string toolPath() {
    return std::string(ORVELLA_BIN_DIR) + "/orvella-tool";
}

} // namespace orvella::test
