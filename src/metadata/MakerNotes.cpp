#include "metadata/MakerNotes.h"

#include "metadata/ExifFormat.h"

namespace orvella {

namespace {

// Tag numbers and names as the makers' notes are publicly documented.
const std::vector<ExifTagRow> kNikonRows = {
    {0x0001, "MakerNoteVersion", "", "", nullptr},
    {0x0002, "ISO", "", "", nullptr},
    {0x0003, "ColorMode", "", "", nullptr},
    {0x0004, "Quality", "", "", nullptr},
    {0x0005, "WhiteBalance", "", "", nullptr},
    {0x0006, "Sharpness", "", "", nullptr},
    {0x0007, "FocusMode", "", "", nullptr},
    {0x0008, "FlashSetting", "", "", nullptr},
    {0x0009, "FlashType", "", "", nullptr},
    {0x000B, "WhiteBalanceFineTune", "", "", nullptr},
    {0x000D, "ProgramShift", "", "", nullptr},
    {0x000E, "ExposureDifference", "", "", nullptr},
    {0x0012, "FlashExposureComp", "", "", nullptr},
    {0x0013, "ISOSetting", "", "", nullptr},
    {0x0016, "ImageBoundary", "", "", nullptr},
    {0x0019, "ExposureBracketValue", "", "", nullptr},
    {0x001D, "SerialNumber", "", "", nullptr},
    {0x0080, "ImageAdjustment", "", "", nullptr},
    {0x0081, "ToneComp", "", "", nullptr},
    {0x0082, "AuxiliaryLens", "", "", nullptr},
    {0x0083, "LensType", "", "", nullptr},
    {0x0084, "Lens", "", "", nullptr},
    {0x0085, "ManualFocusDistance", "", "", nullptr},
    {0x0086, "DigitalZoom", "", "", nullptr},
    {0x0087, "FlashMode", "", "", nullptr},
    {0x0089, "ShootingMode", "", "", nullptr},
    {0x008B, "LensFStops", "", "", nullptr},
    {0x008D, "ColorHue", "", "", nullptr},
    {0x008F, "SceneMode", "", "", nullptr},
    {0x0090, "LightSource", "", "", nullptr},
    {0x0092, "HueAdjustment", "", "", nullptr},
    {0x0095, "NoiseReduction", "", "", nullptr},
    {0x00A7, "ShutterCount", "", "", nullptr},
    {0x00A9, "ImageOptimization", "", "", nullptr},
    {0x00AA, "Saturation", "", "", nullptr},
    {0x00AB, "VariProgram", "", "", nullptr},
};

// Olympus notes; Epson cameras (make "SEIKO EPSON") write the same layout.
const std::vector<ExifTagRow> kOlympusRows = {
    {0x0104, "BodyFirmwareVersion", "", "", nullptr},
    {0x0200, "SpecialMode", "", "", nullptr},
    {0x0201, "Quality", "", "", nullptr},
    {0x0202, "Macro", "", "", nullptr},
    {0x0203, "BWMode", "", "", nullptr},
    {0x0204, "DigitalZoom", "", "", nullptr},
    {0x0205, "FocalPlaneDiagonal", "", "", nullptr},
    {0x0207, "CameraType", "", "", nullptr},
    {0x0208, "TextInfo", "", "", nullptr},
    {0x0209, "CameraID", "", "", nullptr},
    {0x020B, "EpsonImageWidth", "", "", nullptr},
    {0x020C, "EpsonImageHeight", "", "", nullptr},
    {0x020D, "EpsonSoftware", "", "", nullptr},
    {0x0404, "SerialNumber", "", "", nullptr},
    {0x1004, "FlashMode", "", "", nullptr},
    {0x1015, "WhiteBalanceMode", "", "", nullptr},
};

const std::vector<ExifTagRow> kCasioRows = {
    {0x0001, "RecordingMode", "", "", nullptr},  {0x0002, "Quality", "", "", nullptr},
    {0x0003, "FocusMode", "", "", nullptr},      {0x0004, "FlashMode", "", "", nullptr},
    {0x0005, "FlashIntensity", "", "", nullptr}, {0x0006, "ObjectDistance", "", "", nullptr},
    {0x0007, "WhiteBalance", "", "", nullptr},   {0x000A, "DigitalZoom", "", "", nullptr},
    {0x000B, "Sharpness", "", "", nullptr},      {0x000C, "Contrast", "", "", nullptr},
    {0x000D, "Saturation", "", "", nullptr},     {0x0014, "ISO", "", "", nullptr},
};

// The second Casio layout ("QVC" signature) numbers its tags differently.
const std::vector<ExifTagRow> kCasioType2Rows = {
    {0x0002, "PreviewImageSize", "", "", nullptr},
    {0x0003, "PreviewImageLength", "", "", nullptr},
    {0x0004, "PreviewImageStart", "", "", nullptr},
    {0x0008, "QualityMode", "", "", nullptr},
    {0x0009, "CasioImageSize", "", "", nullptr},
    {0x000D, "FocusMode", "", "", nullptr},
    {0x0014, "ISO", "", "", nullptr},
    {0x0019, "WhiteBalance", "", "", nullptr},
    {0x001D, "FocalLength", "", "", nullptr},
    {0x001F, "Saturation", "", "", nullptr},
    {0x0020, "Contrast", "", "", nullptr},
    {0x0021, "Sharpness", "", "", nullptr},
};

const std::vector<ExifTagRow> kFujifilmRows = {
    {0x0000, "Version", "", "", nullptr},        {0x1000, "Quality", "", "", nullptr},
    {0x1001, "Sharpness", "", "", nullptr},      {0x1002, "WhiteBalance", "", "", nullptr},
    {0x1003, "Saturation", "", "", nullptr},     {0x1004, "Contrast", "", "", nullptr},
    {0x1010, "FujiFlashMode", "", "", nullptr},  {0x1011, "FlashExposureComp", "", "", nullptr},
    {0x1020, "Macro", "", "", nullptr},          {0x1021, "FocusMode", "", "", nullptr},
    {0x1030, "SlowSync", "", "", nullptr},       {0x1031, "PictureMode", "", "", nullptr},
    {0x1100, "AutoBracketing", "", "", nullptr}, {0x1300, "BlurWarning", "", "", nullptr},
    {0x1301, "FocusWarning", "", "", nullptr},   {0x1302, "ExposureWarning", "", "", nullptr},
};

const std::vector<ExifTagRow> kCanonRows = {
    {0x0001, "CanonCameraSettings", "", "", nullptr},
    {0x0002, "CanonFocalLength", "", "", nullptr},
    {0x0004, "CanonShotInfo", "", "", nullptr},
    {0x0006, "CanonImageType", "", "", nullptr},
    {0x0007, "CanonFirmwareVersion", "", "", nullptr},
    {0x0008, "FileNumber", "", "", nullptr},
    {0x0009, "OwnerName", "", "", nullptr},
    {0x000C, "SerialNumber", "", "", nullptr},
    {0x000D, "CanonCameraInfo", "", "", nullptr},
    {0x000F, "CustomFunctions", "", "", nullptr},
    {0x0010, "CanonModelID", "", "", nullptr},
    {0x0095, "LensModel", "", "", nullptr},
};

const std::vector<ExifTagRow> kSanyoRows = {
    {0x0200, "SpecialMode", "", "", nullptr},
    {0x0201, "SanyoQuality", "", "", nullptr},
    {0x0202, "Macro", "", "", nullptr},
    {0x0204, "DigitalZoom", "", "", nullptr},
    {0x0207, "SoftwareVersion", "", "", nullptr},
    {0x0208, "PictInfo", "", "", nullptr},
    {0x0209, "CameraID", "", "", nullptr},
    {0x020E, "SequentialShot", "", "", nullptr},
    {0x020F, "WideRange", "", "", nullptr},
    {0x0210, "ColorAdjustmentMode", "", "", nullptr},
    {0x0213, "QuickShot", "", "", nullptr},
    {0x0214, "SelfTimer", "", "", nullptr},
    {0x0216, "VoiceMemo", "", "", nullptr},
    {0x0217, "RecordShutterRelease", "", "", nullptr},
    {0x0218, "FlickerReduce", "", "", nullptr},
    {0x0219, "OpticalZoomOn", "", "", nullptr},
    {0x021B, "DigitalZoomOn", "", "", nullptr},
    {0x021D, "LightSourceSpecial", "", "", nullptr},
    {0x021E, "Resaved", "", "", nullptr},
    {0x021F, "SceneSelect", "", "", nullptr},
    {0x0223, "ManualFocusDistance", "", "", nullptr},
    {0x0224, "SequenceShotInterval", "", "", nullptr},
    {0x0225, "FlashMode", "", "", nullptr},
};

const std::vector<ExifTagRow> kMinoltaRows = {
    {0x0000, "MakerNoteVersion", "", "", nullptr},
    {0x0040, "CompressedImageSize", "", "", nullptr},
    {0x0088, "PreviewImageStart", "", "", nullptr},
    {0x0089, "PreviewImageLength", "", "", nullptr},
    {0x0100, "SceneMode", "", "", nullptr},
    {0x0101, "ColorMode", "", "", nullptr},
    {0x0102, "MinoltaQuality", "", "", nullptr},
    {0x0103, "MinoltaImageSize", "", "", nullptr},
    {0x0104, "FlashExposureComp", "", "", nullptr},
    {0x0105, "Teleconverter", "", "", nullptr},
    {0x0107, "ImageStabilization", "", "", nullptr},
    {0x010A, "ZoneMatching", "", "", nullptr},
    {0x010B, "ColorTemperature", "", "", nullptr},
    {0x010C, "LensType", "", "", nullptr},
    {0x0111, "ColorCompensationFilter", "", "", nullptr},
    {0x0112, "WhiteBalanceFineTune", "", "", nullptr},
    {0x0115, "WhiteBalance", "", "", nullptr},
};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::optional<bool> byteOrderAt(std::string_view note, size_t at) {
    std::string_view mark = note.substr(std::min(at, note.size()), 2);
    if (mark == "MM")
        return true;
    if (mark == "II")
        return false;
    return std::nullopt;
}

MakerNoteLayout fromExifBase(size_t directoryOffset, const std::vector<ExifTagRow>& table) {
    return {directoryOffset, false, 0, std::nullopt, &table};
}

std::optional<MakerNoteLayout> nikonLayout(std::string_view note) {
    if (!startsWith(note, std::string_view("Nikon\0", 6)))
        return fromExifBase(0, kNikonRows); // the oldest notes: a bare directory
    if (note.size() > 6 && note[6] != '\x02')
        return fromExifBase(8, kNikonRows);
    // Version 2 notes hold a TIFF header of their own at byte 10.
    std::optional<bool> order = byteOrderAt(note, 10);
    if (!order || note.size() < 18)
        return std::nullopt;
    auto offset = readUnsigned32(reinterpret_cast<const unsigned char*>(note.data()) + 14, *order);
    return MakerNoteLayout{10 + static_cast<size_t>(offset), true, 10, order, &kNikonRows};
}

std::optional<MakerNoteLayout> olympusLayout(std::string_view note) {
    if (startsWith(note, std::string_view("OLYMPUS\0", 8))) {
        std::optional<bool> order = byteOrderAt(note, 8);
        if (!order)
            return std::nullopt;
        return MakerNoteLayout{12, true, 0, order, &kOlympusRows};
    }
    if (startsWith(note, std::string_view("OLYMP\0", 6)) ||
        startsWith(note, std::string_view("EPSON\0", 6)))
        return fromExifBase(8, kOlympusRows);
    return std::nullopt;
}

std::optional<MakerNoteLayout> fujifilmLayout(std::string_view note) {
    if (!startsWith(note, "FUJIFILM") || note.size() < 12)
        return std::nullopt;
    auto offset = readUnsigned32(reinterpret_cast<const unsigned char*>(note.data()) + 8, false);
    return MakerNoteLayout{offset, true, 0, false, &kFujifilmRows};
}

} // namespace

std::optional<MakerNoteLayout> makerNoteLayout(std::string_view maker, std::string_view note) {
    if (maker == "NIKON")
        return nikonLayout(note);
    if (maker == "OLYMP" || maker == "SEIKO")
        return olympusLayout(note);
    if (maker == "CASIO")
        return startsWith(note, std::string_view("QVC\0\0\0", 6)) ? fromExifBase(6, kCasioType2Rows)
                                                                  : fromExifBase(0, kCasioRows);
    if (maker == "FUJIF")
        return fujifilmLayout(note);
    if (maker == "CANON")
        return fromExifBase(0, kCanonRows);
    if (maker == "SANYO")
        return startsWith(note, std::string_view("SANYO\0", 6))
                   ? std::optional(fromExifBase(8, kSanyoRows))
                   : std::nullopt;
    if (maker == "MINOL") {
        // Older Minolta notes ("MLY0", "KC", "+M+M") are not directories.
        if (startsWith(note, "MLY") || startsWith(note, "KC") || startsWith(note, "+M+M"))
            return std::nullopt;
        return fromExifBase(0, kMinoltaRows);
    }
    return std::nullopt;
}

} // namespace orvella
