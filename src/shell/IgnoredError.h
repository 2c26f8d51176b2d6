#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace orvella {

// Writes "Ignored <class> in <where>: <message>" to the log.
void logIgnoredError(const std::string& where, const std::exception& error);

// Runs work whose failure the program chooses to pass over (a file that
// vanished, a cache that cannot be written). A run-time failure is logged with
// the place and swallowed, and false is returned; a programming error
// (std::logic_error and its kin) and anything that is no std::exception go on
// to the caller's handler.
template <class Work> bool ignoringErrors(const std::string& where, Work&& work) {
    try {
        work();
        return true;
    } catch (const std::logic_error&) {
        throw;
    } catch (const std::exception& error) {
        logIgnoredError(where, error);
        return false;
    }
}

} // namespace orvella
