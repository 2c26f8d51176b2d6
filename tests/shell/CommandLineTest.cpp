#include "shell/CommandLine.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using Switch = CommandLine::Switch;

TEST(CommandLine, OnlyTheFirstArgumentCounts) {
    struct Case {
        std::vector<std::string> arguments;
        Switch active;
        std::string statement;
    } cases[] = {
        {{}, Switch::None, ""},
        {{"-log"}, Switch::Log, ""},
        {{"-debug"}, Switch::Debug, ""},
        {{"-sql", "delete from KEYWORDS"}, Switch::Sql, "delete from KEYWORDS"},
        {{"-sql"}, Switch::None, ""},                    // no statement: ignored
        {{"-log", "-sql", "delete from X"}, Switch::Log, ""}, // first argument only
        {{"-LOG"}, Switch::None, ""},                    // case-sensitive
        {{"picture.jpg", "-log"}, Switch::None, ""},
    };
    for (const auto& c : cases) {
        CommandLine line = CommandLine::parse(c.arguments);
        EXPECT_EQ(line.active, c.active) << testing::PrintToString(c.arguments);
        EXPECT_EQ(line.sqlStatement, c.statement);
    }
}

} // namespace
} // namespace orvella
