#pragma once

#include "catalogue/CategoryTreeSink.h"
#include "catalogue/Connection.h"
#include "catalogue/Query.h"

#include <string>

namespace orvella {

// The catalogue access object of the window thread: every catalogue operation
// goes through its shared query, whose SQL text is the latest statement.
class TStockDBObject {
public:
    // Create: binds to the connection (not owned) and makes the shared query.
    explicit TStockDBObject(TCatalogueConnection& connection);

    void SetCategoryTree(CategoryTreeSink* tree) { categoryTree_ = tree; }
    CategoryTreeSink* CategoryTree() const { return categoryTree_; }

    // Runs a statement that gives no rows; errors reach the caller.
    void ExecuteStatement(const std::string& text);
    // The SQL text the shared query holds now.
    std::string LatestStatement() const { return query_.SQL(); }

    // A new identifier: a random GUID's 32 hexadecimal digits, upper case.
    static std::string NewId();

    TCatalogueConnection& Connection() const { return connection_; }

private:
    TCatalogueConnection& connection_;
    TQuery query_;
    CategoryTreeSink* categoryTree_ = nullptr;
};

} // namespace orvella
