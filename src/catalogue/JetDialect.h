#pragma once

#include <string>
#include <string_view>

namespace orvella {

// Turns a statement in the dialect the program writes (Jet's) into one the
// catalogue engine takes: the boolean literals yes and no, outside quoted
// text and identifiers, become 1 and 0. Everything else passes unchanged.
std::string adaptJetStatement(std::string_view statement);

} // namespace orvella
