#pragma once

#include "metadata/XmpPacket.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvella {

// How the IPTC digest of a file's Photoshop block stands against its IPTC
// data.
enum class TIptcDigest { none, matches, differs };

// What a file says about its title, description, keywords and copyright:
// what an IPTC reader and an XMP reader each take from it, and the values
// shown for it, reconciled as readers that weigh both do.
struct TFileMetadata {
    bool hasIptc = false;
    bool hasXmp = false;
    std::string xmpError; // why the XMP packet could not be read, if it could not
    TIptcDigest digest = TIptcDigest::none;
    TMetadataFields iptc;
    TMetadataFields xmp;
    TMetadataFields shown;
};

// The values shown: with no IPTC, or with a digest that matches, the XMP
// values (IPTC filling what XMP lacks); with a digest that differs, the IPTC
// values (XMP filling what IPTC lacks); with no digest, XMP where it has the
// value and IPTC for the rest.
TMetadataFields ReconcileMetadata(const TMetadataFields& iptc, const TMetadataFields& xmp,
                                  bool hasIptc, TIptcDigest digest);

// Reads a JPEG file's IPTC block and XMP packet and reconciles them. A file
// that is not a readable JPEG gives empty values.
TFileMetadata ReadFileMetadata(const std::filesystem::path& file);

// The shown values of a file, for pages and verbs that show one value each.
TMetadataFields ReadReconciledMetadata(const std::filesystem::path& file);

} // namespace orvella
