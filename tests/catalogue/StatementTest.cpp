#include "CatalogueFixture.h"
#include "catalogue/JetDialect.h"
#include "catalogue/SqlText.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using test::CatalogueCopy;

TEST(QuotedStr, DoublesEveryInnerQuote) {
    struct Case {
        std::string value, quoted;
    } cases[] = {{"", "''"},
                 {"sky", "'sky'"},
                 {"O'Neil", "'O''Neil'"},
                 {"''", "''''''"},
                 {"it's Bob's", "'it''s Bob''s'"}};
    for (const auto& c : cases)
        EXPECT_EQ(QuotedStr(c.value), c.quoted);
}

TEST(JetDialect, BooleanLiteralsOutsideQuotedText) {
    struct Case {
        std::string jet, adapted;
    } cases[] = {
        {"select * from STOCK where ENABLED = yes order by STOCK_ID",
         "select * from STOCK where ENABLED = 1 order by STOCK_ID"},
        {"update STOCK set FTPENABLED = No", "update STOCK set FTPENABLED = 0"},
        {"select * from KEYWORDS where KEYWORD = 'yes'",
         "select * from KEYWORDS where KEYWORD = 'yes'"},
        {"select * from KEYWORDS where KEYWORD = 'it''s yes'",
         "select * from KEYWORDS where KEYWORD = 'it''s yes'"},
        {"select \"yes\", [no] from T", "select \"yes\", [no] from T"},
        {"update T set A = :yes, B = yesterday, C = NOTE",
         "update T set A = :yes, B = yesterday, C = NOTE"},
        {"select 1 -- yes\n", "select 1 -- yes\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(adaptJetStatement(c.jet), c.adapted);
}

TEST(Query, TextWithApostropheIsStoredAndFound) {
    CatalogueCopy catalogue;
    TQuery query(catalogue.connection());
    query.SetSQL("insert into KEYWORDS (KEYWORD_ID, KEYWORD) values ('A1', " +
                 QuotedStr("children's day") + ")");
    query.ExecSQL();
    query.SetSQL("select * from KEYWORDS where KEYWORD = " + QuotedStr("CHILDREN'S DAY"));
    query.Open();
    ASSERT_EQ(query.RecordCount(), 1u); // text compares without regard to case
    EXPECT_EQ(query.FieldByName("keyword").AsString(), "children's day");
}

TEST(Query, NamedParametersAndTheYesLiteral) {
    CatalogueCopy catalogue;
    TQuery query(catalogue.connection());
    query.SetSQL(
        "insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED) values (0, 'A', :enb, :ftp)");
    query.ParamBoolean("enb", true);
    query.ParamBoolean(":ftp", false);
    query.ExecSQL();
    query.SetSQL(
        "insert into STOCK (STOCK_ID, STOCKNAME) values (1, 'B')"); // ENABLED defaults to yes
    query.ExecSQL();
    query.SetSQL("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (2, 'C', :ENB)");
    query.ParamBoolean("ENB", false);
    query.ExecSQL();
    EXPECT_EQ(catalogue.rows("select STOCKNAME from STOCK where ENABLED = yes order by STOCK_ID"),
              "A\nB\n");
    EXPECT_EQ(catalogue.rows("select STOCKNAME from STOCK where FTPENABLED = no order by STOCK_ID"),
              "A\nB\nC\n"); // FTP is off unless set
}

TEST(Query, DateTimesAndStateCodes) {
    CatalogueCopy catalogue;
    TQuery query(catalogue.connection());
    DateTime when = *fromIsoText("2026-12-10 08:30:05");
    query.SetSQL(
        "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID, UPLOAD_DATE) values ('K', 3, '1', :UD)");
    query.ParamDateTime("UD", when);
    query.ExecSQL();
    query.SetSQL("update IMAGE_STOCK set STATE_ID = 2 where MD5 = 'K'");
    query.ExecSQL();
    query.SetSQL("select * from IMAGE_STOCK where MD5 = 'K' and STATE_ID = '2'");
    query.Open();
    ASSERT_EQ(query.RecordCount(), 1u); // the bare number is stored as the digit text
    EXPECT_EQ(query.FieldByName("STATE_ID").AsString(), "2");
    EXPECT_EQ(query.FieldByName("UPLOAD_DATE").AsDateTime(), when);
    EXPECT_EQ(query.FieldByName("UPLOAD_COMMENT").AsString(), "");
    EXPECT_TRUE(query.FieldByName("UPLOAD_COMMENT").IsNull());
    EXPECT_THROW(query.FieldByName("NO_SUCH_COLUMN"), EDatabaseError);
}

TEST(Query, FailingStatementRaisesWithTheEngineMessage) {
    CatalogueCopy catalogue;
    TQuery query(catalogue.connection());
    query.SetSQL("insert into NO_SUCH_TABLE values (1)");
    try {
        query.ExecSQL();
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("NO_SUCH_TABLE"), std::string::npos);
    }
}

// One parse, many runs: each run takes its own values, an empty text stays
// text, and a run that fails leaves the statement ready for the next one.
TEST(RepeatedStatement, RunsAgainWithNewValuesAndAfterAFailure) {
    CatalogueCopy catalogue;
    TQuery insert(catalogue.connection());
    insert.SetSQL("insert into IMAGES (MD5, FileName, FilePath) values ('K1', 'a.jpg', '/old'), "
                  "('K2', 'b.jpg', '/old'), ('K3', 'c.jpg', '/old')");
    insert.ExecSQL();
    TRepeatedStatement move(catalogue.connection(),
                            "update IMAGES set FilePath = ?1, FileName = ?2 where MD5 = ?3");
    struct Run {
        std::string folder, name, key;
        int changed;
    };
    for (const Run& run : {Run{"/new", "a.jpg", "K1", 1}, Run{"/new", "", "K2", 1},
                           Run{"/new", "x.jpg", "NO KEY", 0}})
        EXPECT_EQ(move.ExecSQL({run.folder, run.name, run.key}), run.changed) << run.key;
    EXPECT_EQ(catalogue.rows("select MD5, FileName is null, FileName, FilePath from IMAGES "
                             "order by MD5"),
              "K1|0|a.jpg|/new\nK2|0||/new\nK3|0|c.jpg|/old\n");

    TRepeatedStatement rekey(catalogue.connection(), "update IMAGES set MD5 = ?1 where MD5 = ?2");
    EXPECT_THROW(rekey.ExecSQL({"K1", "K3"}), EDatabaseError); // K1 is taken
    EXPECT_EQ(rekey.ExecSQL({"K4", "K3"}), 1);
    EXPECT_EQ(catalogue.rows("select MD5 from IMAGES order by MD5"), "K1\nK2\nK4\n");

    TRepeatedStatement broken(catalogue.connection(), "update NO_SUCH_TABLE set A = ?1");
    try {
        broken.ExecSQL({"x"});
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("NO_SUCH_TABLE"), std::string::npos);
    }
}

TEST(Schema, StatesAndRekeyingTriggers) {
    CatalogueCopy catalogue;
    EXPECT_EQ(catalogue.rows("select STATE_ID, STATE_NAME from IMAGE_STATE order by STATE_ID"),
              "0|Not ready\n1|Ready to upload\n2|Pending\n3|Upload failed\n4|Rejected\n"
              "5|Accepted\n6|Resubmit\n7|Donated\n");
    TQuery query(catalogue.connection());
    query.SetSQL(
        "insert into IMAGES (MD5, FileName, FilePath) values ('OLD', 'a.jpg', '/p');"
        "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('OLD', 1, '1');"
        "insert into IMAGE_KEYWORD (MD5, KEYWORD_ID, ORDER_ID) values ('OLD', 'K1', 0);"
        "insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values ('OLD', 'C1');"
        "insert into IMAGE_RELEASE (MD5, RELEASE_ID) values ('OLD', 'R1');"
        "insert into EXIF (EXIF_ID, EXIFTAG_ID, MD5, AVALUE) values ('E1', 'T', 'OLD', 'v');"
        "insert into IPTC (IPTC_ID, TAG_ID, MD5, AVALUE) values ('I1', 'T', 'OLD', 'v');"
        "insert into IMAGE_KEYWORD (MD5, KEYWORD_ID, ORDER_ID) values ('OTHER', 'K2', 0);");
    query.ExecSQL();
    query.SetSQL("update IMAGES set MD5 = 'NEW' where MD5 = 'OLD'");
    query.ExecSQL();
    for (const char* table :
         {"IMAGE_STOCK", "IMAGE_KEYWORD", "IMAGE_CATEGORY", "IMAGE_RELEASE", "EXIF", "IPTC"}) {
        std::string t = table;
        EXPECT_EQ(catalogue.rows("select count(*) from " + t + " where MD5 = 'NEW'"), "1\n") << t;
        EXPECT_EQ(catalogue.rows("select count(*) from " + t + " where MD5 = 'OLD'"), "0\n") << t;
    }
    EXPECT_EQ(catalogue.rows("select count(*) from IMAGE_KEYWORD where MD5 = 'OTHER'"), "1\n");
}

} // namespace
} // namespace orvella
