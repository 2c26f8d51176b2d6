#pragma once

#include "catalogue/Connection.h"
#include "shell/DateTime.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3_stmt;

namespace orvella {

// One column value of a fetched row.
class TField {
public:
    using Value = std::variant<std::monostate, int64_t, double, std::string>;

    TField() = default;
    explicit TField(Value value) : value_(std::move(value)) {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    std::string AsString() const; // empty when null
    int64_t AsInteger() const;    // 0 when null or not a number
    bool AsBoolean() const;       // non-zero
    DateTime AsDateTime() const;  // the zero date-time when null or unreadable
    const Value& value() const { return value_; }

private:
    Value value_;
};

// A query object on the catalogue connection: SQL text, named parameters, and
// for a select the whole result, so the row count is exact. Each thread uses
// its own query objects.
class TQuery {
public:
    explicit TQuery(TCatalogueConnection& connection) : connection_(connection) {}

    // New SQL text; the parameters and any earlier result are dropped.
    void SetSQL(std::string sql);
    const std::string& SQL() const { return sql_; }

    // Named parameters, given with or without the leading colon.
    void ParamBoolean(const std::string& name, bool value);
    void ParamText(const std::string& name, std::string value);
    void ParamDateTime(const std::string& name, DateTime value);
    void ParamNull(const std::string& name);

    // Runs a select and keeps its rows; the cursor is on the first row.
    void Open();
    // Runs a statement that gives no rows; returns the number of rows changed.
    int ExecSQL();
    void Close();

    size_t RecordCount() const { return rows_.size(); }
    bool Eof() const { return current_ >= rows_.size(); }
    void First() { current_ = 0; }
    void Next();
    const std::vector<std::string>& FieldNames() const { return columns_; }
    // A column of the current row by name, letter case ignored.
    TField FieldByName(const std::string& name) const;

private:
    struct StatementDeleter {
        void operator()(sqlite3_stmt* statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

    int run(bool keepRows);
    static Statement prepareNext(sqlite3* db, const char*& next);
    void bindParameters(sqlite3_stmt* statement) const;
    void stepThrough(sqlite3_stmt* statement, bool keepRows);

    TCatalogueConnection& connection_;
    std::string sql_;
    std::map<std::string, TField::Value> parameters_;
    std::vector<std::string> columns_;
    std::vector<std::vector<TField::Value>> rows_;
    size_t current_ = 0;
};

// A statement parsed once and run again and again with new values for its
// numbered parameters (?1, ?2...): for a small update, parsing costs as much
// as running, so a command that writes a row for each of many files keeps one
// of these. The text is taken as SQLite reads it. Each thread uses its own.
class TRepeatedStatement {
public:
    TRepeatedStatement(TCatalogueConnection& connection, std::string sql)
        : connection_(connection), sql_(std::move(sql)) {}

    // Runs the statement with the values of ?1, ?2... in turn; returns the
    // number of rows changed. Errors throw EDatabaseError.
    int ExecSQL(std::initializer_list<std::string_view> values);
    const std::string& SQL() const { return sql_; }

private:
    struct StatementDeleter {
        void operator()(sqlite3_stmt* statement) const;
    };

    TCatalogueConnection& connection_;
    std::string sql_;
    std::unique_ptr<sqlite3_stmt, StatementDeleter> statement_; // parsed at the first run
};

} // namespace orvella
