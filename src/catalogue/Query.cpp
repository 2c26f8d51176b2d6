#include "catalogue/Query.h"

#include "catalogue/JetDialect.h"
#include "shell/TextUtil.h"

#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace orvella {

void TQuery::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

namespace {

std::string parameterName(const std::string& name) {
    return !name.empty() && name.front() == ':' ? name : ":" + name;
}

// Holds the connection's own mutex while a statement runs, so that the error
// message read afterwards is this statement's and not another thread's.
class ConnectionLock {
public:
    explicit ConnectionLock(sqlite3* db) : mutex_(sqlite3_db_mutex(db)) {
        sqlite3_mutex_enter(mutex_);
    }
    ~ConnectionLock() { sqlite3_mutex_leave(mutex_); }
    ConnectionLock(const ConnectionLock&) = delete;
    ConnectionLock& operator=(const ConnectionLock&) = delete;

private:
    sqlite3_mutex* mutex_;
};

[[noreturn]] void throwError(sqlite3* db) {
    throw EDatabaseError(sqlite3_errmsg(db));
}

void bindValue(sqlite3* db, sqlite3_stmt* statement, int index, const TField::Value& value) {
    int result = SQLITE_OK;
    if (const int64_t* number = std::get_if<int64_t>(&value))
        result = sqlite3_bind_int64(statement, index, *number);
    else if (const double* real = std::get_if<double>(&value))
        result = sqlite3_bind_double(statement, index, *real);
    else if (const std::string* text = std::get_if<std::string>(&value))
        result = sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()),
                                   SQLITE_TRANSIENT);
    else
        result = sqlite3_bind_null(statement, index);
    if (result != SQLITE_OK)
        throwError(db);
}

TField::Value columnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return int64_t{sqlite3_column_int64(statement, column)};
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_NULL:
        return std::monostate{};
    default: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return std::string(text ? text : "",
                           static_cast<size_t>(sqlite3_column_bytes(statement, column)));
    }
    }
}

} // namespace

std::string TField::AsString() const {
    if (const std::string* text = std::get_if<std::string>(&value_))
        return *text;
    if (const int64_t* number = std::get_if<int64_t>(&value_))
        return std::to_string(*number);
    if (const double* real = std::get_if<double>(&value_)) {
        std::string text = std::to_string(*real);
        text.erase(text.find_last_not_of('0') + 1);
        if (!text.empty() && text.back() == '.')
            text.pop_back();
        return text;
    }
    return "";
}

int64_t TField::AsInteger() const {
    if (const int64_t* number = std::get_if<int64_t>(&value_))
        return *number;
    if (const double* real = std::get_if<double>(&value_))
        return static_cast<int64_t>(*real);
    if (const std::string* text = std::get_if<std::string>(&value_))
        return std::strtoll(text->c_str(), nullptr, 10);
    return 0;
}

bool TField::AsBoolean() const {
    return AsInteger() != 0;
}

DateTime TField::AsDateTime() const {
    return fromIsoText(AsString()).value_or(DateTime{});
}

void TQuery::SetSQL(std::string sql) {
    sql_ = std::move(sql);
    parameters_.clear();
    Close();
}

void TQuery::ParamBoolean(const std::string& name, bool value) {
    parameters_[parameterName(name)] = int64_t{value ? 1 : 0};
}

void TQuery::ParamText(const std::string& name, std::string value) {
    parameters_[parameterName(name)] = std::move(value);
}

void TQuery::ParamDateTime(const std::string& name, DateTime value) {
    parameters_[parameterName(name)] = toIsoText(value);
}

void TQuery::ParamNull(const std::string& name) {
    parameters_[parameterName(name)] = std::monostate{};
}

void TQuery::Open() {
    run(true);
}

int TQuery::ExecSQL() {
    return run(false);
}

void TQuery::Close() {
    columns_.clear();
    rows_.clear();
    current_ = 0;
}

void TQuery::Next() {
    if (current_ < rows_.size())
        ++current_;
}

TField TQuery::FieldByName(const std::string& name) const {
    if (Eof())
        throw EDatabaseError("no current record for field " + name);
    for (size_t i = 0; i < columns_.size(); ++i)
        if (equalsIgnoringCase(columns_[i], name))
            return TField(rows_[current_][i]);
    throw EDatabaseError("Field '" + name + "' not found");
}

// Runs every statement of the text in turn; the rows kept are those of the
// last statement that gave any.
int TQuery::run(bool keepRows) {
    Close();
    sqlite3* db = connection_.handle();
    ConnectionLock lock(db);
    std::string text = adaptJetStatement(sql_);
    int changed = 0;
    for (const char* next = text.c_str(); *next;) {
        Statement statement = prepareNext(db, next);
        if (!statement)
            continue; // only white space or a comment was left
        bindParameters(statement.get());
        stepThrough(statement.get(), keepRows);
        if (!sqlite3_stmt_readonly(statement.get()))
            changed += sqlite3_changes(db);
    }
    return changed;
}

TQuery::Statement TQuery::prepareNext(sqlite3* db, const char*& next) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, next, -1, &raw, &next) != SQLITE_OK)
        throwError(db);
    return Statement(raw);
}

void TQuery::bindParameters(sqlite3_stmt* statement) const {
    for (const auto& [name, value] : parameters_)
        if (int index = sqlite3_bind_parameter_index(statement, name.c_str()))
            bindValue(sqlite3_db_handle(statement), statement, index, value);
}

void TQuery::stepThrough(sqlite3_stmt* statement, bool keepRows) {
    int columns = sqlite3_column_count(statement);
    keepRows = keepRows && columns > 0;
    if (keepRows) {
        Close();
        for (int c = 0; c < columns; ++c)
            columns_.push_back(sqlite3_column_name(statement, c));
    }
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!keepRows)
            continue;
        std::vector<TField::Value> row;
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c)
            row.push_back(columnValue(statement, c));
        rows_.push_back(std::move(row));
    }
    if (step != SQLITE_DONE)
        throwError(sqlite3_db_handle(statement));
}

void TRepeatedStatement::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

int TRepeatedStatement::ExecSQL(std::initializer_list<std::string_view> values) {
    sqlite3* db = connection_.handle();
    ConnectionLock lock(db);
    if (!statement_) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v3(db, sql_.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(raw);
            throwError(db);
        }
        if (!raw)
            throw EDatabaseError("no statement in " + sql_);
        statement_.reset(raw);
    }
    sqlite3_stmt* statement = statement_.get();
    // Whatever happens, the statement is ready for the next run and holds no
    // copy of these values.
    struct Rewind {
        sqlite3_stmt* statement;
        ~Rewind() {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
    } rewind{statement};
    int index = 0;
    for (std::string_view value : values)
        // An empty view may have no data pointer, which would bind NULL.
        if (sqlite3_bind_text(statement, ++index, value.empty() ? "" : value.data(),
                              static_cast<int>(value.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            throwError(db);
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    if (step != SQLITE_DONE)
        throwError(db);
    return sqlite3_stmt_readonly(statement) ? 0 : sqlite3_changes(db);
}

} // namespace orvella
