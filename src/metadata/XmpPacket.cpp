#include "metadata/XmpPacket.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

namespace orvella {

namespace {

// The XMP toolkit is not safe for threads by itself: it is set up once, with
// a lock it takes around its work, since folder loaders read metadata on
// their own threads. Its warnings are not printed (a damaged packet is
// reported through EXmpError).
void lockToolkit(void* data, bool lock) {
    auto* mutex = static_cast<std::recursive_mutex*>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

void initialiseToolkit() {
    static std::once_flag once;
    static std::recursive_mutex toolkitLock;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockToolkit, &toolkitLock);
    });
}

Exiv2::XmpData decodePacket(std::string_view packet) {
    initialiseToolkit();
    Exiv2::XmpData data;
    if (packet.empty())
        return data;
    try {
        if (Exiv2::XmpParser::decode(data, std::string(packet)) != 0)
            throw EXmpError("the XMP packet cannot be parsed");
    } catch (const Exiv2::AnyError& error) {
        throw EXmpError(std::string("the XMP packet cannot be parsed: ") + error.what());
    }
    return data;
}

std::optional<std::string> languageText(const Exiv2::XmpData& data, const char* key) {
    auto found = data.findKey(Exiv2::XmpKey(key));
    if (found == data.end())
        return std::nullopt;
    if (const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&found->value())) {
        if (alternatives->value_.empty())
            return std::nullopt;
        auto preferred = alternatives->value_.find("x-default");
        return preferred != alternatives->value_.end() ? preferred->second
                                                       : alternatives->value_.begin()->second;
    }
    return found->toString();
}

std::optional<std::vector<std::string>> bagItems(const Exiv2::XmpData& data, const char* key) {
    auto found = data.findKey(Exiv2::XmpKey(key));
    if (found == data.end())
        return std::nullopt;
    std::vector<std::string> items;
    for (long i = 0; i < found->count(); ++i)
        items.push_back(found->toString(i));
    return items;
}

void erase(Exiv2::XmpData& data, const char* key) {
    auto found = data.findKey(Exiv2::XmpKey(key));
    while (found != data.end()) {
        data.erase(found);
        found = data.findKey(Exiv2::XmpKey(key));
    }
}

void setLanguageText(Exiv2::XmpData& data, const char* key,
                     const std::optional<std::string>& text) {
    if (!text)
        return;
    erase(data, key);
    if (text->empty())
        return;
    Exiv2::LangAltValue value;
    value.value_["x-default"] = *text;
    data.add(Exiv2::XmpKey(key), &value);
}

void setBag(Exiv2::XmpData& data, const char* key,
            const std::optional<std::vector<std::string>>& items) {
    if (!items)
        return;
    erase(data, key);
    if (items->empty())
        return;
    Exiv2::XmpArrayValue value(Exiv2::xmpBag);
    for (const std::string& item : *items)
        value.read(item);
    data.add(Exiv2::XmpKey(key), &value);
}

} // namespace

TMetadataFields ReadXmpFields(std::string_view packet) {
    Exiv2::XmpData data = decodePacket(packet);
    TMetadataFields fields;
    fields.title = languageText(data, "Xmp.dc.title");
    fields.description = languageText(data, "Xmp.dc.description");
    fields.copyright = languageText(data, "Xmp.dc.rights");
    fields.keywords = bagItems(data, "Xmp.dc.subject");
    return fields;
}

std::string UpdateXmpPacket(std::string_view packet, const TMetadataFields& fields) {
    Exiv2::XmpData data = decodePacket(packet);
    try {
        setLanguageText(data, "Xmp.dc.title", fields.title);
        setLanguageText(data, "Xmp.dc.description", fields.description);
        setLanguageText(data, "Xmp.dc.rights", fields.copyright);
        setBag(data, "Xmp.dc.subject", fields.keywords);
        std::string out;
        if (Exiv2::XmpParser::encode(out, data, Exiv2::XmpParser::useCompactFormat) != 0)
            throw EXmpError("the XMP packet cannot be serialised");
        return out;
    } catch (const Exiv2::AnyError& error) {
        throw EXmpError(std::string("the XMP packet cannot be serialised: ") + error.what());
    }
}

} // namespace orvella
