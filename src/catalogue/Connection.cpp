#include "catalogue/Connection.h"

#include <sqlite3.h>

#include <QString>

#include <set>

namespace orvella {

namespace {

const char* const kRequiredTables[] = {
    "IMAGES",         "IMAGE_STOCK",   "IMAGE_STATE",   "STOCK",
    "KEYWORDS",       "IMAGE_KEYWORD", "CATEGORY",      "CATEGORY_KEYWORD",
    "IMAGE_CATEGORY", "MODEL_RELEASE", "IMAGE_RELEASE", "EXIFTAG",
    "EXIF",           "IPTCTAG",       "IPTC",          "RULE_KEY",
};

// FOLD_CASE(text): the text with every letter folded to one case (SQLite's
// own NOCASE folds ASCII letters only), so that keyword lookups find 'CAFÉ'
// for 'café'.
void foldCase(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    int length = sqlite3_value_bytes(arguments[0]);
    QByteArray folded = QString::fromUtf8(text, length).toCaseFolded().toUtf8();
    sqlite3_result_text(context, folded.constData(), static_cast<int>(folded.size()),
                        SQLITE_TRANSIENT);
}

} // namespace

TCatalogueConnection::TCatalogueConnection(std::filesystem::path file) : file_(std::move(file)) {
    std::error_code missing;
    if (!std::filesystem::is_regular_file(file_, missing))
        throw ECatalogueOpenError("the catalogue " + file_.string() + " does not exist");
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(file_.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw ECatalogueOpenError("cannot open " + file_.string() + ": " + message);
    }
    sqlite3_create_function_v2(db_, "FOLD_CASE", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               foldCase, nullptr, nullptr, nullptr);
    try {
        takeExclusiveLock();
        checkTables();
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

TCatalogueConnection::~TCatalogueConnection() {
    sqlite3_close_v2(db_);
}

std::string TCatalogueConnection::ConnectionString() const {
    return "SQLite catalogue " + std::filesystem::absolute(file_).string() +
           "; Mode=exclusive; Threading=serialized";
}

void TCatalogueConnection::execute(const char* sql) {
    char* message = nullptr;
    int result = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    std::string text = message ? message : sqlite3_errstr(result);
    sqlite3_free(message);
    if (result != SQLITE_OK)
        throw ECatalogueOpenError("cannot open " + file_.string() + ": " + text);
}

// In exclusive locking mode the lock taken by the first write transaction is
// kept until the connection closes. An empty exclusive transaction takes it
// now, and fails at once when another process holds the file.
void TCatalogueConnection::takeExclusiveLock() {
    execute("PRAGMA locking_mode = EXCLUSIVE");
    execute("PRAGMA synchronous = NORMAL");
    execute("BEGIN EXCLUSIVE");
    execute("COMMIT");
}

void TCatalogueConnection::checkTables() {
    std::set<std::string> present;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, "select upper(name) from sqlite_master where type = 'table'", -1,
                       &statement, nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW)
        present.insert(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    for (const char* table : kRequiredTables)
        if (!present.count(table))
            throw ECatalogueOpenError(file_.string() + " is not a catalogue: table " + table +
                                      " is missing");
}

} // namespace orvella
