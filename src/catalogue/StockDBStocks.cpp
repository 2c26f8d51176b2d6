// The user's agency accounts.
#include "catalogue/StockDB.h"

#include "catalogue/QueryCursor.h"
#include "catalogue/SqlText.h"
#include "shell/Log.h"

namespace orvella {

namespace {

TStock stockOfRow(const TQuery& row) {
    TStock stock;
    stock.StockId = static_cast<int32_t>(row.FieldByName("STOCK_ID").AsInteger());
    stock.Name = row.FieldByName("STOCKNAME").AsString();
    stock.FtpLogin = row.FieldByName("LOGIN").AsString();
    stock.FtpPassword = row.FieldByName("PASSWRD").AsString();
    stock.Enabled = row.FieldByName("ENABLED").AsBoolean();
    stock.FtpEnabled = row.FieldByName("FTPENABLED").AsBoolean();
    stock.FtpHost = row.FieldByName("FTPURL").AsString();
    stock.Url = row.FieldByName("URL").AsString();
    stock.WebLogin = row.FieldByName("HTTPLOGIN").AsString();
    stock.WebPassword = row.FieldByName("HTTPUPLOAD").AsString();
    return stock;
}

std::string whereStock(int32_t stockId) {
    return " where STOCK_ID = " + std::to_string(stockId);
}

} // namespace

TStockList TStockDBObject::GetStocks(bool enabledOnly) {
    openShared(enabledOnly ? "select * from STOCK where ENABLED = yes order by STOCK_ID"
                           : "select * from STOCK order by STOCK_ID");
    TStockList stocks;
    stocks.reserve(query_.RecordCount());
    for (query_.First(); !query_.Eof(); query_.Next())
        stocks.push_back(stockOfRow(query_));
    for (const TStock& stock : stocks)
        logGuarded("Stock " + stock.Name + (stock.Enabled ? " enabled" : " disabled") +
                   ", stock ID " + std::to_string(stock.StockId));
    return stocks;
}

std::string TStockDBObject::GetStockName(int32_t stockId) {
    if (openShared("select * from STOCK" + whereStock(stockId)) == 0)
        return "";
    return query_.FieldByName("STOCKNAME").AsString();
}

int32_t TStockDBObject::GetStockId(const std::string& name) {
    if (openShared("select * from STOCK where STOCKNAME =" + QuotedStr(name)) == 0)
        return -1;
    return static_cast<int32_t>(query_.FieldByName("STOCK_ID").AsInteger());
}

bool TStockDBObject::IsStockEnabled(int32_t stockId) {
    if (openShared("select * from STOCK" + whereStock(stockId)) == 0)
        return false;
    return query_.FieldByName("ENABLED").AsBoolean();
}

void TStockDBObject::AddStock(const std::string& name, const std::string& url, bool ftpEnabled,
                              const std::string& ftpHost) {
    // A new id is one more than the highest, so ids are never reused.
    int64_t id = 0;
    if (size_t rows = openShared("select * from STOCK order by STOCK_ID"); rows > 0) {
        MoveToRow(query_, rows - 1);
        id = query_.FieldByName("STOCK_ID").AsInteger() + 1;
    }
    query_.SetSQL("insert into STOCK (STOCK_ID, STOCKNAME, URL, FTPURL, FTPENABLED) values (" +
                  std::to_string(id) + ", " + QuotedStr(name) + ", " + QuotedStr(url) + ", " +
                  QuotedStr(ftpHost) + ", :ENB)");
    query_.ParamBoolean("ENB", ftpEnabled);
    query_.ExecSQL();
}

void TStockDBObject::DeleteStock(int32_t stockId) {
    ExecuteStatement("delete from IMAGE_STOCK" + whereStock(stockId));
    ExecuteStatement("delete from STOCK" + whereStock(stockId));
}

void TStockDBObject::SetStockEnabled(int32_t stockId, bool enabled) {
    query_.SetSQL("update STOCK set ENABLED = :enb" + whereStock(stockId));
    query_.ParamBoolean("enb", enabled);
    query_.ExecSQL();
}

// Passwords travel as bound parameters, so they never stand in a statement
// text: the latest statement is shown in the debug window and may be logged.
void TStockDBObject::SetStockFtpLogin(int32_t stockId, const std::string& login,
                                      const std::string& password) {
    ExecuteStatement("update STOCK set LOGIN = " + QuotedStr(login) + " " + whereStock(stockId));
    query_.SetSQL("update STOCK set PASSWRD = :pwd" + whereStock(stockId));
    query_.ParamText("pwd", password);
    query_.ExecSQL();
}

void TStockDBObject::SetStockWebLogin(int32_t stockId, const std::string& login,
                                      const std::string& password) {
    ExecuteStatement("update STOCK set HTTPLOGIN = " + QuotedStr(login) + " " +
                     whereStock(stockId));
    query_.SetSQL("update STOCK set HTTPUPLOAD = :pwd" + whereStock(stockId));
    query_.ParamText("pwd", password);
    query_.ExecSQL();
}

void TStockDBObject::SetStockFtpServer(int32_t stockId, bool ftpEnabled,
                                       const std::string& ftpHost) {
    query_.SetSQL("update STOCK set FTPENABLED = :enb, FTPURL = " + QuotedStr(ftpHost) +
                  whereStock(stockId));
    query_.ParamBoolean("enb", ftpEnabled);
    query_.ExecSQL();
}

void TStockDBObject::SetStockUrl(int32_t stockId, const std::string& url) {
    ExecuteStatement("update STOCK set URL = " + QuotedStr(url) + whereStock(stockId));
}

} // namespace orvella
