#pragma once

#include <exception>
#include <string>
#include <typeinfo>

namespace orvella {

// The unqualified class name of a dynamic type, as written in error records.
std::string className(const std::type_info& type);
std::string exceptionClassName(const std::exception& error);

// The record of an error that escaped before the data module existed:
// "<message> (<class>). Sender is <sender class>".
void writeEarlyErrorRecord(const std::string& message, const std::string& errorClass,
                           const std::string& senderClass);

// The record of an error that escaped to the event loop once the data module
// exists: "Exception <class> with message <message>", then the latest SQL.
void writeErrorRecord(const std::string& errorClass, const std::string& message,
                      const std::string& latestStatement);

} // namespace orvella
