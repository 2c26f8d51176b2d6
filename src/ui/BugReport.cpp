#include "ui/BugReport.h"

#include "shell/Version.h"

namespace orvella {

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Blanks become "%20"; then CR LF pairs, LF CR pairs and lone carriage
// returns become "%0d", in that order. A lone line feed stays as it is.
std::string escapeBody(std::string text) {
    replaceAll(text, " ", "%20");
    replaceAll(text, "\r\n", "%0d");
    replaceAll(text, "\n\r", "%0d");
    replaceAll(text, "\r", "%0d");
    return text;
}

} // namespace

std::string mailtoLink(const std::string& address, const std::string& cc, const std::string& bcc,
                       const std::string& subject, const std::string& body) {
    std::string escapedSubject = subject;
    replaceAll(escapedSubject, " ", "%20");
    std::string link = "mailto:" + address + "?";
    if (!cc.empty())
        link += "cc=" + cc;
    if (!bcc.empty())
        link += "&bcc=" + bcc;
    return link + "&subject=" + escapedSubject + "&body=" + escapeBody(body);
}

std::string bugReportLink() {
    std::string body =
        std::string("Hello, I have a Orvella program version ") + kProductVersion +
        ". I would like to report the following issue:" + "\n\r\n\r" +
        "Note: [To get more info, you can attach Orvella log file from the application "
        "folder. The file doesn't contain any private info such as passwords etc]";
    return mailtoLink(kBugReportAddress, "", "", "Bug report", body);
}

} // namespace orvella
