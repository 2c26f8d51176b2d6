#pragma once

#include <filesystem>

namespace orvella {

// The help file beside the program when there is one, else the online help.
void openHelp(const std::filesystem::path& programFolder);

} // namespace orvella
