#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace orvella {

// Date-times are kept in UTC with whole-second precision; the catalogue
// stores them as ISO 8601 text ("YYYY-MM-DD HH:MM:SS").
using DateTime = std::chrono::sys_seconds;

std::string toIsoText(DateTime value);
// Accepts "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DDTHH:MM:SS" (fractions ignored) and
// "YYYY-MM-DD"; anything else gives no value.
std::optional<DateTime> fromIsoText(const std::string& text);

DateTime nowUtc();

} // namespace orvella
