#include "OperationsFixture.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StockAccountsTest : public OperationsTest {
protected:
    std::vector<int32_t> ids(const TStockList& stocks) {
        std::vector<int32_t> result;
        for (const TStock& stock : stocks)
            result.push_back(stock.StockId);
        return result;
    }
};

TEST_F(StockAccountsTest, FirstStockGetsIdZero) {
    db->AddStock("First", "http://first.example", true, "ftp.first.example");
    TStockList stocks = db->GetStocks(false);
    ASSERT_EQ(stocks.size(), 1u);
    EXPECT_EQ(stocks[0].StockId, 0);
    EXPECT_EQ(stocks[0].Name, "First");
    EXPECT_EQ(stocks[0].Url, "http://first.example");
    EXPECT_EQ(stocks[0].FtpHost, "ftp.first.example");
    EXPECT_TRUE(stocks[0].FtpEnabled);
    EXPECT_EQ(stocks[0].FtpLogin, "") << "unwritten columns read as empty text";
    EXPECT_EQ(db->LatestStatement(), "select * from STOCK order by STOCK_ID");
}

TEST_F(StockAccountsTest, NewIdIsOneMoreThanTheHighest) {
    for (int id : {0, 1, 5})
        execute("insert into STOCK (STOCK_ID, STOCKNAME) values (" + std::to_string(id) + ", 'S" +
                std::to_string(id) + "')");
    db->AddStock("Next", "", false, "");
    EXPECT_EQ(db->GetStockId("Next"), 6);
    EXPECT_THAT(ids(db->GetStocks(false)), ElementsAre(0, 1, 5, 6));
}

TEST_F(StockAccountsTest, AddStockBindsTheFtpFlag) {
    db->AddStock("Plain", "", false, "");
    EXPECT_EQ(db->LatestStatement(), "insert into STOCK (STOCK_ID, STOCKNAME, URL, FTPURL, "
                                     "FTPENABLED) values (0, 'Plain', '', '', :ENB)");
    EXPECT_FALSE(db->GetStocks(false).at(0).FtpEnabled);
}

TEST_F(StockAccountsTest, EnabledOnlyListSkipsDisabledStocksAndLogsEach) {
    db->AddStock("On", "", false, "");
    db->AddStock("Off", "", false, "");
    db->SetStockEnabled(0, true);
    db->SetStockEnabled(1, false);
    EXPECT_THAT(ids(db->GetStocks(true)), ElementsAre(0));
    EXPECT_TRUE(db->IsStockEnabled(0));
    EXPECT_FALSE(db->IsStockEnabled(1));
    EXPECT_FALSE(db->IsStockEnabled(7)) << "an unknown stock is not enabled";
    EXPECT_THAT(logLines(), ElementsAre("Stock On enabled, stock ID 0"));

    db->SetStockEnabled(0, false);
    EXPECT_THAT(db->GetStocks(true), IsEmpty());
}

TEST_F(StockAccountsTest, LookupsByIdAndByName) {
    db->AddStock("Pixel Market", "", false, "");
    EXPECT_EQ(db->GetStockName(0), "Pixel Market");
    EXPECT_EQ(db->GetStockName(3), "");
    EXPECT_EQ(db->GetStockId("PIXEL MARKET"), 0) << "names compare without letter case";
    EXPECT_EQ(db->GetStockId("Nobody"), -1);
}

TEST_F(StockAccountsTest, PasswordsAreStoredButNeverStandInAStatementText) {
    db->AddStock("S", "", true, "ftp.s");
    StatementRecorder recorder(*connection);
    db->SetStockFtpLogin(0, "me", "it's secret");
    EXPECT_EQ(db->LatestStatement(), "update STOCK set PASSWRD = :pwd where STOCK_ID = 0");
    db->SetStockWebLogin(0, "web", "pass");
    EXPECT_EQ(db->LatestStatement(), "update STOCK set HTTPUPLOAD = :pwd where STOCK_ID = 0");
    for (const std::string& statement : recorder.statements) {
        EXPECT_EQ(statement.find("secret"), std::string::npos) << statement;
        EXPECT_EQ(statement.find("pass"), std::string::npos) << statement;
    }
    auto row = rows("select * from STOCK").at(0);
    EXPECT_EQ(row["LOGIN"], "me");
    EXPECT_EQ(row["PASSWRD"], "it's secret");
    EXPECT_EQ(row["HTTPLOGIN"], "web");
    EXPECT_EQ(row["HTTPUPLOAD"], "pass");
}

TEST_F(StockAccountsTest, FtpServerAndAddressAreChanged) {
    db->AddStock("S", "http://old", false, "");
    db->SetStockFtpServer(0, true, "ftp.o'neil");
    db->SetStockUrl(0, "https://new");
    TStock stock = db->GetStocks(false).at(0);
    EXPECT_TRUE(stock.FtpEnabled);
    EXPECT_EQ(stock.FtpHost, "ftp.o'neil");
    EXPECT_EQ(stock.Url, "https://new");
}

TEST_F(StockAccountsTest, DeleteStockRemovesItsStates) {
    addImage(keyOf('A'));
    db->AddStock("Gone", "", false, "");
    db->AddStock("Kept", "", false, "");
    db->SetState(0, keyOf('A'), 2);
    db->SetState(1, keyOf('A'), 3);
    db->DeleteStock(0);
    EXPECT_EQ(db->GetStockName(0), "");
    TStockStates states = db->GetStates(keyOf('A'));
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].StockId, 1);
}

} // namespace
} // namespace orvella::test
