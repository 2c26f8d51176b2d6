#pragma once

#include <string>

namespace orvella {

inline constexpr const char* kBugReportAddress = "support@orvella.example";

// A "mailto:" link: the address, "?", "cc=" and "&bcc=" only when given, then
// "&subject=" and "&body=", blanks and line breaks escaped.
std::string mailtoLink(const std::string& address, const std::string& cc, const std::string& bcc,
                       const std::string& subject, const std::string& body);

// The link that "Send bug report" opens.
std::string bugReportLink();

} // namespace orvella
