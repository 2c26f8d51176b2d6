#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvella {

// The four values an agency reads from a picture, as one reader takes them
// from the IPTC datasets or from the XMP packet. An absent value is empty.
struct TMetadataFields {
    std::optional<std::string> title;                 // ObjectName, dc:title
    std::optional<std::string> description;           // ImageCaption, dc:description
    std::optional<std::vector<std::string>> keywords; // Keywords, dc:subject
    std::optional<std::string> copyright;             // Copyright, dc:rights
};

// Raised when an XMP packet cannot be parsed or serialised.
class EXmpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when the updated packet does not fit one APP1 segment; nothing is
// written.
class EXmpTooLarge : public std::length_error {
public:
    using std::length_error::length_error;
};

// The namespace signature that opens an APP1 segment holding an XMP packet.
inline constexpr std::string_view kXmpSignature{"http://ns.adobe.com/xap/1.0/\0", 29};

// The title, description, keywords and rights of an XMP packet (the
// x-default text of the language alternatives). Throws EXmpError for a
// packet the XMP parser refuses.
TMetadataFields ReadXmpFields(std::string_view packet);

// The packet with the set fields replaced (an empty text or keyword list
// removes the property) and every other property kept. An empty packet
// starts a new one. Throws EXmpError when the packet cannot be parsed.
std::string UpdateXmpPacket(std::string_view packet, const TMetadataFields& fields);

} // namespace orvella
