#pragma once

#include <cstdint>
#include <string>

namespace orvella {

// A byte count for people: up to 1024 "1024 bytes"; above, the count in Kb,
// Mb or Gb with two decimals (truncated, never rounded up into the next
// figure) and the locale's decimal separator: 1536 bytes are "1.50 Kb".
std::string SizeText(uint64_t bytes);

} // namespace orvella
