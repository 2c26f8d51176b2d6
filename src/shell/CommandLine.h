#pragma once

#include <string>
#include <vector>

namespace orvella {

// Only the first argument is looked at, case-sensitively, so at most one
// switch takes effect per start.
struct CommandLine {
    enum class Switch { None, Log, Sql, Debug };
    Switch active = Switch::None;
    std::string sqlStatement; // with Switch::Sql

    static CommandLine parse(const std::vector<std::string>& arguments);
};

} // namespace orvella
