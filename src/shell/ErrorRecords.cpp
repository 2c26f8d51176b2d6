#include "shell/ErrorRecords.h"

#include "shell/Log.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace orvella {

std::string className(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    std::string name = status == 0 && demangled ? demangled.get() : type.name();
    size_t templateStart = name.find('<');
    size_t scope = name.rfind("::", templateStart);
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

std::string exceptionClassName(const std::exception& error) {
    return className(typeid(error));
}

// The error handlers must never fail themselves: anything they meet is dropped.
void writeEarlyErrorRecord(const std::string& message, const std::string& errorClass,
                           const std::string& senderClass) {
    try {
        logAlways(message + " (" + errorClass + "). Sender is " + senderClass);
    } catch (...) {
    }
}

// The statement is followed by a line break, so an empty line closes the
// record in the file and the next record stands apart.
void writeErrorRecord(const std::string& errorClass, const std::string& message,
                      const std::string& latestStatement) {
    try {
        logAlways("Exception " + errorClass + " with message " + message);
        logAlways("Latest SQL query " + latestStatement + "\r\n");
    } catch (...) {
    }
}

} // namespace orvella
