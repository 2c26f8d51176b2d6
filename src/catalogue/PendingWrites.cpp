#include "catalogue/PendingWrites.h"

#include <sqlite3.h>

namespace orvella {

namespace {

void run(sqlite3* db, const char* sql) {
    char* message = nullptr;
    int result = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    std::string text = message ? message : sqlite3_errstr(result);
    sqlite3_free(message);
    if (result != SQLITE_OK)
        throw EDatabaseError(text);
}

void runWithTexts(sqlite3* db, const char* sql, const std::vector<std::string>& texts) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw EDatabaseError(sqlite3_errmsg(db));
    for (size_t i = 0; i < texts.size(); ++i)
        sqlite3_bind_text(statement, static_cast<int>(i + 1), texts[i].c_str(),
                          static_cast<int>(texts[i].size()), SQLITE_TRANSIENT);
    int result = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (result != SQLITE_DONE)
        throw EDatabaseError(sqlite3_errmsg(db));
}

} // namespace

TFileWriteStep::TFileWriteStep(TCatalogueConnection& connection, const std::filesystem::path& file,
                               const std::string& key, const std::filesystem::path& target)
    : connection_(connection), file_(file.string()) {
    if (connection_.readOnly())
        throw EDatabaseError("the catalogue " + connection_.file().string() +
                             " is read-only: nothing was changed");
    sqlite3* db = connection_.handle();
    nested_ = !sqlite3_get_autocommit(db);
    runWithTexts(db,
                 "insert or replace into PENDING_WRITE (FULLNAME, MD5, TARGET) values (?, ?, ?)",
                 {file_, key, target.string()});
    run(db, nested_ ? "SAVEPOINT file_write_step" : "BEGIN IMMEDIATE");
    open_ = true;
}

TFileWriteStep::~TFileWriteStep() {
    if (!open_)
        return;
    sqlite3* db = connection_.handle();
    if (nested_) {
        sqlite3_exec(db, "ROLLBACK TO file_write_step", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE file_write_step", nullptr, nullptr, nullptr);
    } else {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    try {
        ForgetPendingWrite(connection_, file_);
    } catch (const EDatabaseError&) {
        // the next start settles the intent from the file as it is
    }
}

void TFileWriteStep::commit() {
    sqlite3* db = connection_.handle();
    ForgetPendingWrite(connection_, file_);
    run(db, nested_ ? "RELEASE file_write_step" : "COMMIT");
    open_ = false;
}

std::vector<PendingWrite> PendingWrites(TCatalogueConnection& connection) {
    std::vector<PendingWrite> pending;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection.handle(),
                           "select FULLNAME, MD5, TARGET from PENDING_WRITE order by rowid", -1,
                           &statement, nullptr) != SQLITE_OK)
        return pending;
    auto text = [&](int column) {
        const unsigned char* value = sqlite3_column_text(statement, column);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    while (sqlite3_step(statement) == SQLITE_ROW)
        pending.push_back({text(0), text(1), text(2)});
    sqlite3_finalize(statement);
    return pending;
}

void ForgetPendingWrite(TCatalogueConnection& connection, const std::string& file) {
    runWithTexts(connection.handle(), "delete from PENDING_WRITE where FULLNAME = ?", {file});
}

} // namespace orvella
