#include "OperationsFixture.h"

#include <sqlite3.h>

#include <filesystem>

namespace orvella::test {

namespace {

int recordStatement(unsigned type, void* context, void* /*statement*/, void* text) {
    if (type == SQLITE_TRACE_STMT) {
        std::string sql = static_cast<const char*>(text);
        if (!sql.starts_with("--")) // the statements inside triggers
            static_cast<StatementRecorder*>(context)->statements.push_back(sql);
    }
    return 0;
}

} // namespace

StatementRecorder::StatementRecorder(TCatalogueConnection& connection) : connection_(connection) {
    sqlite3_trace_v2(connection_.handle(), SQLITE_TRACE_STMT, recordStatement, this);
}

StatementRecorder::~StatementRecorder() {
    sqlite3_trace_v2(connection_.handle(), 0, nullptr, nullptr);
}

std::vector<std::string> StatementRecorder::changes() const {
    std::vector<std::string> result;
    for (const std::string& sql : statements)
        if (!sql.starts_with("select"))
            result.push_back(sql);
    return result;
}

OperationsTest::OperationsTest() : log(folder / "LogFile.log", [] { return std::string("T"); }) {
    std::filesystem::copy_file(std::filesystem::path(ORVELLA_BIN_DIR) / "Orvella.dat",
                               folder / "Orvella.dat");
    connection = std::make_unique<TCatalogueConnection>(folder / "Orvella.dat");
    db = std::make_unique<TStockDBObject>(*connection);
    db->SetPrompts(&prompts);
    db->SetProgress(&progress);
    log.SetLogEnabled(true);
    installAppLog(&log);
}

OperationsTest::~OperationsTest() {
    installAppLog(nullptr);
}

THashData OperationsTest::addImage(const std::string& key, const std::string& name,
                                   const std::string& folderPath) {
    THashData file;
    file.MD5 = key;
    file.FileName = name;
    file.FilePath = folderPath;
    file.FullName = folderPath + "/" + name;
    file.FileSize = 1234;
    file.CreationDate = fromIsoText("2020-01-02 03:04:05").value();
    file.ModifyDate = fromIsoText("2021-06-07 08:09:10").value();
    db->AddImage(file);
    return file;
}

std::vector<std::map<std::string, std::string>> OperationsTest::rows(const std::string& sql) {
    TQuery query(*connection);
    query.SetSQL(sql);
    query.Open();
    std::vector<std::map<std::string, std::string>> result;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection->handle(), sql.c_str(), -1, &statement, nullptr);
    int columns = sqlite3_column_count(statement);
    std::vector<std::string> names;
    for (int c = 0; c < columns; ++c)
        names.push_back(sqlite3_column_name(statement, c));
    sqlite3_finalize(statement);
    for (; !query.Eof(); query.Next()) {
        std::map<std::string, std::string> row;
        for (const std::string& name : names)
            row[name] =
                query.FieldByName(name).IsNull() ? "<null>" : query.FieldByName(name).AsString();
        result.push_back(std::move(row));
    }
    return result;
}

void OperationsTest::execute(const std::string& sql) {
    TQuery query(*connection);
    query.SetSQL(sql);
    query.ExecSQL();
}

std::vector<std::string> OperationsTest::logLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : log.Lines())
        lines.push_back(line.substr(2)); // without the "T " time stamp
    return lines;
}

std::map<std::string, std::string> OperationsTest::keywordOrder(const std::string& key) {
    std::map<std::string, std::string> order;
    for (auto& row : rows("select K.KEYWORD, C.ORDER_ID from KEYWORDS K, IMAGE_KEYWORD C "
                          "where K.KEYWORD_ID = C.KEYWORD_ID and C.MD5 = '" +
                          key + "'"))
        order[row["KEYWORD"]] = row["ORDER_ID"];
    return order;
}

} // namespace orvella::test
