#pragma once

#include <cstdint>
#include <string>

namespace orvella {

// A byte count for people: "1024 bytes", "1`51 Kb" (one kilobyte and the first
// two digits of the remaining 512 bytes), likewise Mb and Gb.
std::string SizeText(uint64_t bytes);

} // namespace orvella
