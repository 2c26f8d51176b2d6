#include "catalogue/StockDB.h"
#include "CatalogueFixture.h"
#include "catalogue/SqlText.h"

#include <gtest/gtest.h>

#include <set>

namespace orvella {
namespace {

using test::CatalogueCopy;

TEST(StockDB, ExecuteStatementRunsAndBecomesTheLatestStatement) {
    CatalogueCopy catalogue;
    TStockDBObject db(catalogue.connection());
    std::string insert = "insert into KEYWORDS (KEYWORD_ID, KEYWORD) values ('1', " +
                         QuotedStr("rock 'n' roll") + ")";
    db.ExecuteStatement(insert);
    EXPECT_EQ(db.LatestStatement(), insert);
    EXPECT_EQ(catalogue.rows("select KEYWORD from KEYWORDS"), "rock 'n' roll\n");
}

TEST(StockDB, LatestStatementAfterAFailedInsertIsThatInsert) {
    CatalogueCopy catalogue;
    TStockDBObject db(catalogue.connection());
    std::string insert = "insert into IMAGES (MD5) values (NULL)";
    EXPECT_THROW(db.ExecuteStatement(insert), EDatabaseError);
    EXPECT_EQ(db.LatestStatement(), insert);
}

TEST(StockDB, NewIdIsThirtyTwoUpperCaseHexDigitsAndUnique) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        std::string id = TStockDBObject::NewId();
        ASSERT_EQ(id.size(), 32u);
        EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

} // namespace
} // namespace orvella
