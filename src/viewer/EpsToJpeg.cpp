#include "viewer/EpsToJpeg.h"

#include "files/FileIdentity.h"
#include "shell/AtomicFile.h"
#include "viewer/JpegEncode.h"

namespace orvella {

std::optional<std::filesystem::path> ConvertEpsToJpeg(const std::filesystem::path& file,
                                                      PostScriptRenderer& renderer) {
    QImage page = renderer.RenderFirstPage(file);
    if (page.width() == 0 || page.height() == 0)
        return std::nullopt;
    std::filesystem::path jpeg = ChangeExtension(file.string(), "jpg");
    replaceFileAtomically(jpeg, EncodeJpeg(page, 90));
    return jpeg;
}

} // namespace orvella
