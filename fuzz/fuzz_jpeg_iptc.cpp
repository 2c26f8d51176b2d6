// Segment scan of a JPEG file, IPTC parsing (image resources, character
// set), rebuilding the block, bringing the XMP packet in step and composing
// the rewritten file, on arbitrary bytes.
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"
#include "metadata/JpegImage.h"
#include "metadata/XmpPacket.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace orvella;

namespace {

void rebuildAndReparse(TimgData& data) {
    TIPTCdata& iptc = *data.IptcObj();
    iptc.ParseIPTC();
    if (iptc.Count() > 0)
        iptc.SetTag("Keywords", iptc.GetEntry(0).value);
    iptc.SetTag("ObjectName", "fuzz");
    for (int i = 0; i < iptc.Count(); ++i)
        iptc.FindTag(iptc.GetEntry(i).name);
    try {
        std::string block = iptc.BuildIPTCBlock();
        data.SetIPTCSegment(block);
        iptc.ParseIPTC();
    } catch (const EIPTCTooLarge&) {
        // Refused as too large for one segment: a correct outcome.
    }
    try {
        std::string packet = UpdateXmpPacket(data.XmpPacket(), iptc.Fields());
        data.SetXmpPacket(packet);
        ReadXmpFields(packet);
    } catch (const EXmpError&) {
        // A packet the XMP parser refuses is kept as it was.
    } catch (const EXmpTooLarge&) {
        // Refused as too large for one segment.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string content(reinterpret_cast<const char*>(bytes), size);
    TimgData data;
    data.ReadJpegSections(content);
    if (data.IptcObj() == nullptr) {
        try {
            data.CreateEmptyIPTC();
        } catch (const std::length_error&) {
            return 0; // every slot in use
        }
    }
    rebuildAndReparse(data);
    try {
        TJpegImage image = TJpegImage::FromBytes(std::move(content));
        std::string rewritten = data.ComposeJpeg(image, true);
        TimgData again;
        again.ReadJpegSections(rewritten);
    } catch (const EJpegError&) {
        // The decoder refuses the bytes: nothing would be written.
    }
    return 0;
}
