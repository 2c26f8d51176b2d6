#include "metadata/FileMetadata.h"

#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"

namespace orvella {

namespace {

template <typename T> bool hasValue(const std::optional<T>& value) {
    return value.has_value() && !value->empty();
}

template <typename T>
std::optional<T> preferred(const std::optional<T>& first, const std::optional<T>& second) {
    if (hasValue(first))
        return first;
    if (hasValue(second))
        return second;
    return first.has_value() ? first : second;
}

} // namespace

TMetadataFields ReconcileMetadata(const TMetadataFields& iptc, const TMetadataFields& xmp,
                                  bool hasIptc, TIptcDigest digest) {
    bool iptcFirst = hasIptc && digest == TIptcDigest::differs;
    const TMetadataFields& first = iptcFirst ? iptc : xmp;
    const TMetadataFields& second = iptcFirst ? xmp : iptc;
    TMetadataFields shown;
    shown.title = preferred(first.title, second.title);
    shown.description = preferred(first.description, second.description);
    shown.keywords = preferred(first.keywords, second.keywords);
    shown.copyright = preferred(first.copyright, second.copyright);
    return shown;
}

TFileMetadata ReadFileMetadata(const std::filesystem::path& file) {
    TFileMetadata result;
    TimgData data;
    data.ProcessFile(file);
    if (TIPTCdata* iptc = data.IptcObj()) {
        iptc->ParseIPTC();
        result.hasIptc = iptc->Count() > 0;
        result.iptc = iptc->Fields();
        if (iptc->HasDigest())
            result.digest = iptc->DigestMatches() ? TIptcDigest::matches : TIptcDigest::differs;
    }
    if (std::string_view packet = data.XmpPacket(); !packet.empty()) {
        try {
            result.xmp = ReadXmpFields(packet);
            result.hasXmp = true;
        } catch (const EXmpError& error) {
            result.xmpError = error.what();
        }
    }
    result.shown = ReconcileMetadata(result.iptc, result.xmp, result.hasIptc, result.digest);
    return result;
}

TMetadataFields ReadReconciledMetadata(const std::filesystem::path& file) {
    return ReadFileMetadata(file).shown;
}

} // namespace orvella
