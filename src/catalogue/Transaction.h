#pragma once

#include "catalogue/Connection.h"

#include <sqlite3.h>

namespace orvella {

// Gathers the statements of one command on many files into one transaction,
// so the catalogue writes its log once instead of once per file. Whatever
// ran is committed when the scope ends, also when it ends by an error: each
// statement was complete in itself, as it would have been without the batch.
// Inside a transaction that is open already, it does nothing.
class CatalogueBatch {
public:
    explicit CatalogueBatch(TCatalogueConnection& connection) : db_(connection.handle()) {
        if (sqlite3_get_autocommit(db_) &&
            sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
            open_ = true;
    }
    ~CatalogueBatch() {
        if (open_ && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    CatalogueBatch(const CatalogueBatch&) = delete;
    CatalogueBatch& operator=(const CatalogueBatch&) = delete;

private:
    sqlite3* db_;
    bool open_ = false;
};

} // namespace orvella
