#include "viewer/RenderChannel.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace orvella {

namespace {

constexpr size_t kHeaderSize = 5;
constexpr long long kMaxPagePixels = 64ll * 1024 * 1024;

void writeAll(int fd, const char* bytes, size_t length) {
    while (length > 0) {
        ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw std::system_error(errno, std::generic_category(), "render channel");
        bytes += written;
        length -= static_cast<size_t>(written);
    }
}

void appendUint32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t readUint32(const std::string& in, size_t at) {
    uint32_t value = 0;
    for (int index = 3; index >= 0; --index)
        value = value << 8 | static_cast<unsigned char>(in[at + index]);
    return value;
}

} // namespace

void SendRenderMessage(int fd, RenderMessage type, const std::string& payload) {
    std::string header(1, static_cast<char>(type));
    appendUint32(header, static_cast<uint32_t>(payload.size()));
    writeAll(fd, header.data(), header.size());
    writeAll(fd, payload.data(), payload.size());
}

std::string EncodePagePicture(const TPageBitmap& page) {
    std::string out;
    appendUint32(out, static_cast<uint32_t>(page.width));
    appendUint32(out, static_cast<uint32_t>(page.height));
    out.append(reinterpret_cast<const char*>(page.rgb.data()), page.rgb.size());
    return out;
}

std::optional<TPageBitmap> DecodePagePicture(const std::string& payload) {
    if (payload.size() < 8)
        return std::nullopt;
    long long width = readUint32(payload, 0), height = readUint32(payload, 4);
    if (width * height > kMaxPagePixels ||
        payload.size() != 8 + static_cast<size_t>(width * height * 3))
        return std::nullopt;
    TPageBitmap page{static_cast<int>(width), static_cast<int>(height), {}};
    page.rgb.assign(payload.begin() + 8, payload.end());
    return page;
}

void RenderMessageReader::Append(const char* bytes, size_t length) {
    pending_.append(bytes, length);
}

std::optional<std::pair<RenderMessage, std::string>> RenderMessageReader::Next() {
    if (pending_.size() < kHeaderSize)
        return std::nullopt;
    size_t length = readUint32(pending_, 1);
    if (length > kMaxPayload)
        throw std::runtime_error("The render helper sent a message of " + std::to_string(length) +
                                 " bytes");
    if (pending_.size() < kHeaderSize + length)
        return std::nullopt;
    auto type = static_cast<RenderMessage>(pending_[0]);
    std::string payload = pending_.substr(kHeaderSize, length);
    pending_.erase(0, kHeaderSize + length);
    return std::make_pair(type, std::move(payload));
}

} // namespace orvella
