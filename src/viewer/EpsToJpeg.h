#pragma once

#include "files/OutsideRenderers.h"

#include <filesystem>
#include <optional>

namespace orvella {

// Renders the first page of an EPS or PS file and writes it as a JPEG of
// quality 90 beside it, named with "jpg" as extension; an existing file of
// that name is replaced without asking. Returns the JPEG's path, or no value
// when the file drew no page. The renderer's errors reach the caller.
std::optional<std::filesystem::path> ConvertEpsToJpeg(const std::filesystem::path& file,
                                                      PostScriptRenderer& renderer);

} // namespace orvella
