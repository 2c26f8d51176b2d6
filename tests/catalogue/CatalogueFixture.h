#pragma once

#include "catalogue/Connection.h"
#include "catalogue/Query.h"
#include "support/TempFolder.h"

#include <memory>
#include <string>

namespace orvella::test {

// The rows of a select as "a|b|c" lines.
std::string selectRows(TCatalogueConnection& connection, const std::string& select);

// A copy of the freshly built empty catalogue in a temporary folder.
class CatalogueCopy {
public:
    CatalogueCopy();
    const std::filesystem::path& file() const { return file_; }
    TCatalogueConnection& connection() { return *connection_; }
    // The rows of a select as "a|b|c" lines.
    std::string rows(const std::string& select);

private:
    TempFolder folder_;
    std::filesystem::path file_;
    std::unique_ptr<TCatalogueConnection> connection_;
};

} // namespace orvella::test
