// orvella-tool view, run as a process on a catalogue beside a copy of the tool.
#include "catalogue/Connection.h"
#include "catalogue/Query.h"
#include "support/ToolFolder.h"

#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::HasSubstr;

class ViewVerbsTest : public ::testing::Test {
protected:
    ViewVerbsTest() {
        std::filesystem::create_directories(tool.path() / "photos");
        TCatalogueConnection connection(tool.catalogue());
        auto execute = [&](const std::string& sql) {
            TQuery query(connection);
            query.SetSQL(sql);
            query.ExecSQL();
        };
        std::string photos = (tool.path() / "photos").string();
        for (auto [letter, name, onDisk] :
             {std::tuple{'A', "sea.jpg", true}, std::tuple{'B', "sand.jpg", true},
              std::tuple{'C', "gone.jpg", false}}) {
            std::string key(32, letter);
            execute("insert into IMAGES (MD5, FileName, FilePath, FileSize) values ('" + key +
                    "', '" + name + "', '" + photos + "', 1)");
            if (onDisk)
                writeFile(tool.path() / "photos" / name, "x");
        }
        execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (0, 'Alpha', 1)");
        execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED) values (1, 'Beta', 1)");
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + A + "', 0, '5')");
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + B + "', 0, '1')");
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('" + C + "', 1, '1')");
        execute("insert into CATEGORY (CATEGORY_ID, CNAME) values ('K1', 'Coast')");
        execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values ('" + C + "', 'K1')");
        execute("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values ('" + A + "', 'K1')");
        execute("insert into KEYWORDS (KEYWORD_ID, KEYWORD) values ('W1', 'blue sky')");
        execute("insert into IMAGE_KEYWORD (MD5, KEYWORD_ID, ORDER_ID) values ('" + B +
                "', 'W1', 0)");
    }
    int keywordCount() {
        TCatalogueConnection connection(tool.catalogue());
        TQuery query(connection);
        query.SetSQL("select * from KEYWORDS");
        query.Open();
        return static_cast<int>(query.RecordCount());
    }

    const std::string A = std::string(32, 'A'), B = std::string(32, 'B'), C = std::string(32, 'C');
    ToolFolder tool;
};

TEST_F(ViewVerbsTest, PrintsEachGroupWithItsItems) {
    const struct {
        const char* arguments;
        std::string out;
    } cases[] = {
        {"view category Coast", "# Files (2)\ngone.jpg\t" + C + "\nsea.jpg\t" + A + "\n"},
        {"view stock Alpha",
         "# Accepted (1)\nsea.jpg\t" + A + "\n# Pending (0)\n# Ready to upload (1)\nsand.jpg\t" +
             B + "\n# Resubmit (0)\n# Donated (0)\n# Rejected (0)\n# Upload failed (0)\n"},
        {"view uploads", "# Alpha (1)\nsand.jpg\t" + B + "\n# Beta (0)\n"},
        {"view search 'blue sky, nothing'", "# Search Results (1)\nsand.jpg\t" + B + "\n"},
        {"view search 'blue'", ""},
    };
    for (const auto& c : cases) {
        ToolFolder::Run run = tool.run(c.arguments);
        EXPECT_EQ(run.status, 0) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.arguments;
    }
    EXPECT_EQ(keywordCount(), 1);
}

TEST_F(ViewVerbsTest, HideMissingFilesLeavesGoneFilesOut) {
    writeFile(tool.path() / "Orvella.ini", "[Options]\nHideMissingFiles=1\n");
    ToolFolder::Run run = tool.run("view category Coast");
    EXPECT_EQ(run.out, "# Files (1)\nsea.jpg\t" + A + "\n");
}

TEST_F(ViewVerbsTest, WrongArgumentsFailWithAMessage) {
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {{"view", "usage: orvella-tool view"},
                 {"view stock", "usage: orvella-tool view"},
                 {"view uploads extra", "usage: orvella-tool view"},
                 {"view colour red", "usage: orvella-tool view"},
                 {"view stock Nobody", "no stock Nobody"},
                 {"view category Nowhere", "no category Nowhere"}};
    for (const auto& c : cases) {
        ToolFolder::Run run = tool.run(c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_THAT(run.err, HasSubstr(c.message)) << c.arguments;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
}

} // namespace
} // namespace orvella::test
