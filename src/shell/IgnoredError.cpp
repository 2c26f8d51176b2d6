#include "shell/IgnoredError.h"

#include "shell/ErrorRecords.h"
#include "shell/Log.h"

namespace orvella {

void logIgnoredError(const std::string& where, const std::exception& error) {
    if (hasAppLog())
        logAlways("Ignored " + exceptionClassName(error) + " in " + where + ": " + error.what());
}

} // namespace orvella
