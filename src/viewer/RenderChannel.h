#pragma once

#include "viewer/PageBitmap.h"

#include <cstddef>
#include <optional>
#include <string>

namespace orvella {

// The messages the render helper sends back to the program over a pipe:
// a type byte, a 32-bit length, then the payload.
enum class RenderMessage : char {
    ProgressLine = 'L',     // a line for the diagnostic log (guarded)
    InterpreterError = 'E', // the interpreter's standard error text
    PageGenerated = 'G',    // pages delivered so far, in decimal
    FirstPage = 'P',        // page 1 as a picture
    Failure = 'F',          // the wrapper's error message
    Finished = 'D',         // "1" when the file ran with exit code 0, else "0"
};

// Writes one whole message; throws std::system_error when the pipe is gone.
void SendRenderMessage(int fd, RenderMessage type, const std::string& payload);

std::string EncodePagePicture(const TPageBitmap& page);
// No value when the payload is not a picture of sensible size.
std::optional<TPageBitmap> DecodePagePicture(const std::string& payload);

// Collects bytes from the pipe and cuts them into messages, refusing any
// message larger than a page picture may be.
class RenderMessageReader {
public:
    static constexpr size_t kMaxPayload = 16 + 64ull * 1024 * 1024 * 3;

    void Append(const char* bytes, size_t length);
    // The next complete message; throws std::runtime_error on a malformed one.
    std::optional<std::pair<RenderMessage, std::string>> Next();

private:
    std::string pending_;
};

} // namespace orvella
