#include "shell/CommandLine.h"

namespace orvella {

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty())
        return line;
    const std::string& first = arguments.front();
    if (first == "-log")
        line.active = Switch::Log;
    else if (first == "-debug")
        line.active = Switch::Debug;
    else if (first == "-sql" && arguments.size() > 1) {
        line.active = Switch::Sql;
        line.sqlStatement = arguments[1];
    }
    return line;
}

} // namespace orvella
