#include "catalogue/Connection.h"

#include "shell/Folders.h"
#include "shell/Log.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QString>

#include <cstdio>
#include <regex>
#include <set>
#include <vector>

namespace orvella {

namespace {

const char* const kRequiredTables[] = {
    "IMAGES",         "IMAGE_STOCK",   "IMAGE_STATE",   "STOCK",
    "KEYWORDS",       "IMAGE_KEYWORD", "CATEGORY",      "CATEGORY_KEYWORD",
    "IMAGE_CATEGORY", "MODEL_RELEASE", "IMAGE_RELEASE", "EXIFTAG",
    "EXIF",           "IPTCTAG",       "IPTC",          "RULE_KEY",
};

// File changes whose catalogue change is not yet committed; a catalogue
// made before the table existed gains it when opened.
const char* const kPendingWriteTable =
    "CREATE TABLE IF NOT EXISTS PENDING_WRITE (FULLNAME TEXT COLLATE BINARY PRIMARY KEY NOT NULL, "
    "MD5 TEXT COLLATE NOCASE, TARGET TEXT COLLATE BINARY)";

std::string octal(mode_t bits) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(bits));
    return text;
}

// The catalogue holds the stocks' FTP passwords: only its owner may read it.
// SQLite gives the WAL files the catalogue's mode; left-over ones are
// narrowed too.
void narrowCatalogueMode(const std::filesystem::path& file) {
    if (std::optional<mode_t> was = narrowToOwner(file))
        logAlways("Catalogue " + std::filesystem::absolute(file).string() +
                  " was readable by others (mode " + octal(*was) + "), now " + octal(*was & 07700));
    narrowToOwner(file.string() + "-wal");
    narrowToOwner(file.string() + "-shm");
}

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
    narrowCatalogueMode(file_);
    // A catalogue this user may not write is read as it is: without the lock
    // and the journal files that reading it for writing would need.
    readOnly_ = ::access(file_.c_str(), W_OK) != 0;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    std::string name = file_.string();
    if (readOnly_) {
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_URI;
        name =
            "file:" + QString::fromStdString(name).toUtf8().toPercentEncoding("/").toStdString() +
            "?mode=ro&immutable=1";
    }
    if (sqlite3_open_v2(name.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw ECatalogueOpenError("cannot open " + file_.string() + ": " + message);
    }
    sqlite3_create_function_v2(db_, "FOLD_CASE", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               foldCase, nullptr, nullptr, nullptr);
    try {
        if (!readOnly_)
            takeExclusiveLock();
        checkTables();
        if (!readOnly_) {
            compareImageLocationsExactly();
            execute(kPendingWriteTable);
        }
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
    int result = sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (result == SQLITE_BUSY || result == SQLITE_LOCKED)
        throw ECatalogueInUseError("the catalogue " + std::filesystem::absolute(file_).string() +
                                   " is in use by another Orvella (the window or orvella-tool); "
                                   "close it and try again");
    if (result != SQLITE_OK)
        throw ECatalogueOpenError("cannot open " + file_.string() + ": " + sqlite3_errmsg(db_));
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

std::string TCatalogueConnection::singleText(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
        text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return text;
}

// Catalogues made before file names and folders compared exactly declare
// IMAGES.FileName and IMAGES.FilePath COLLATE NOCASE; there, 'A.jpg' and
// 'a.jpg' in one folder are one file to every statement. The engine cannot
// change a column's collation in place, so the table is rebuilt with the
// shipped declaration in one transaction, its rows copied, and its indexes
// and triggers made again (an index takes the collation of its column).
void TCatalogueConnection::compareImageLocationsExactly() {
    static const std::regex caseless(R"((FileName|FilePath)\s+TEXT\s+COLLATE\s+NOCASE)",
                                     std::regex::icase);
    std::string table =
        singleText("select sql from sqlite_master where type = 'table' and name = 'IMAGES'");
    if (!std::regex_search(table, caseless))
        return;
    std::vector<std::string> dependents;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_,
                       "select sql from sqlite_master where tbl_name = 'IMAGES' and type in "
                       "('index', 'trigger') and sql is not null order by type",
                       -1, &statement, nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW)
        dependents.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);

    // The old table steps aside under another name; in the legacy mode of the
    // rename, views and triggers of other tables that name IMAGES keep naming
    // it, and so name the new table.
    execute("PRAGMA legacy_alter_table = ON");
    execute("BEGIN IMMEDIATE");
    try {
        execute("ALTER TABLE IMAGES RENAME TO IMAGES_CASELESS");
        execute("CREATE TABLE IMAGES (\n"
                "    MD5          TEXT COLLATE NOCASE PRIMARY KEY NOT NULL,\n"
                "    FileName     TEXT COLLATE BINARY,\n"
                "    FilePath     TEXT COLLATE BINARY,\n"
                "    ModifyDate   TEXT,\n"
                "    CreationDate TEXT,\n"
                "    FileSize     INTEGER,\n"
                "    ImgBits      INTEGER,\n"
                "    ParentCopy   TEXT COLLATE NOCASE\n"
                ")");
        execute("INSERT INTO IMAGES (MD5, FileName, FilePath, ModifyDate, CreationDate, "
                "FileSize, ImgBits, ParentCopy) SELECT MD5, FileName, FilePath, ModifyDate, "
                "CreationDate, FileSize, ImgBits, ParentCopy FROM IMAGES_CASELESS");
        execute("DROP TABLE IMAGES_CASELESS");
        for (const std::string& sql : dependents)
            execute(sql.c_str());
        execute("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "PRAGMA legacy_alter_table = OFF", nullptr, nullptr, nullptr);
        throw;
    }
    execute("PRAGMA legacy_alter_table = OFF");
    logGuarded("Catalogue: file names and folders of IMAGES now compare exactly");
}

} // namespace orvella
