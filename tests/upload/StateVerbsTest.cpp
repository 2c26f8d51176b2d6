// orvella-tool states, state-set and comment-set, run as a process on a
// catalogue beside a copy of the tool.
#include "catalogue/Connection.h"
#include "catalogue/Query.h"
#include "support/ToolFolder.h"

#include <QImage>
#include <gmock/gmock.h>

namespace orvella::test {
namespace {

using ::testing::HasSubstr;

class StateVerbsTest : public ::testing::Test {
protected:
    StateVerbsTest() {
        std::filesystem::create_directories(tool.path() / "photos");
        execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED) values (0, 'Alpha', "
                "1, 1)");
        execute(
            "insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED) values (1, 'Off', 0, 1)");
        execute("insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED) values (2, 'Beta', "
                "1, 0)");
        QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString(photo("new.jpg")), "JPEG");
        execute("insert into IMAGES (MD5, FileName, FilePath, FileSize) values ('" + gone +
                "', 'gone.jpg', '" + (tool.path() / "photos").string() + "', 10)");
        execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID, UPLOAD_COMMENT) values ('" +
                gone + "', 2, '4', 'too dark')");
    }
    void execute(const std::string& sql) {
        TCatalogueConnection connection(tool.catalogue());
        TQuery query(connection);
        query.SetSQL(sql);
        query.ExecSQL();
    }
    std::string photo(const std::string& name) const {
        return (tool.path() / "photos" / name).string();
    }
    ToolFolder::Run run(const std::string& arguments) { return tool.run(arguments); }

    const std::string gone = std::string(32, 'C');
    ToolFolder tool;
};

TEST_F(StateVerbsTest, StatesListsEveryEnabledStockForAGoneFile) {
    ToolFolder::Run states = run("states " + shellQuoted(photo("gone.jpg")));
    EXPECT_EQ(states.status, 0) << states.err;
    EXPECT_EQ(states.out, "Alpha\tNot ready\t\nBeta\tRejected\ttoo dark\n");
}

TEST_F(StateVerbsTest, StateSetAnswersQuestionsAsToldAndRegistersNewFiles) {
    std::string file = shellQuoted(photo("new.jpg"));
    std::string question =
        "File " + photo("new.jpg") +
        " has missing or invalid IPTC data.\n\rDo you want to set `Ready to upload` "
        "state all the same?";
    ToolFolder::Run declined = run("state-set Alpha 'ready to upload' " + file);
    EXPECT_EQ(declined.status, 0) << declined.err;
    EXPECT_EQ(declined.err, question + " No\n");
    EXPECT_EQ(run("states " + file).out, "Alpha\tNot ready\t\nBeta\tNot ready\t\n");

    ToolFolder::Run accepted = run("state-set Alpha 'Ready to upload' --yes " + file);
    EXPECT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(accepted.err, question + " Yes\n");

    ToolFolder::Run pending =
        run("state-set Beta Pending " + file + " " + shellQuoted(photo("gone.jpg")));
    EXPECT_EQ(pending.status, 0) << pending.err;
    EXPECT_EQ(pending.err, "");
    EXPECT_EQ(run("states " + file).out, "Alpha\tReady to upload\t\nBeta\tPending\t\n");
    EXPECT_EQ(run("states " + shellQuoted(photo("gone.jpg"))).out,
              "Alpha\tNot ready\t\nBeta\tPending\ttoo dark\n");

    ToolFolder::Run missing =
        run("state-set Beta 'Ready to upload' " + shellQuoted(photo("gone.jpg")));
    EXPECT_THAT(missing.err, HasSubstr("File " + photo("gone.jpg") + " is missing."));
}

TEST_F(StateVerbsTest, StateSetReportsTheFilesThatFailedWithStatusTwo) {
    execute("create trigger refuse before update on IMAGE_STOCK begin select raise(abort, "
            "'refused'); end");
    ToolFolder::Run failed = run("state-set Beta Accepted " + shellQuoted(photo("new.jpg")) + " " +
                                 shellQuoted(photo("gone.jpg")));
    EXPECT_EQ(failed.status, 2);
    EXPECT_EQ(failed.err, "The state could not be set for 1 image:\n" + photo("gone.jpg") + "\n");
    EXPECT_EQ(run("states " + shellQuoted(photo("new.jpg"))).out,
              "Alpha\tNot ready\t\nBeta\tAccepted\t\n");
}

TEST_F(StateVerbsTest, CommentSetWritesOnlyARealChange) {
    std::string file = shellQuoted(photo("gone.jpg"));
    EXPECT_EQ(run("comment-set Beta '  too dark ' " + file).status, 0);
    EXPECT_EQ(run("states " + file).out, "Alpha\tNot ready\t\nBeta\tRejected\ttoo dark\n");
    EXPECT_EQ(run("comment-set Alpha ' soft focus' " + file).status, 0);
    EXPECT_EQ(run("states " + file).out,
              "Alpha\tNot ready\t soft focus\nBeta\tRejected\ttoo dark\n");
}

TEST_F(StateVerbsTest, WrongArgumentsFailWithAMessage) {
    std::string file = shellQuoted(photo("gone.jpg"));
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"states", "usage: orvella-tool states FILE"},
        {"state-set Alpha Pending", "usage: orvella-tool state-set STOCK STATE [--yes] FILE..."},
        {"comment-set Alpha text", "usage: orvella-tool comment-set STOCK TEXT FILE"},
        {"state-set Off Pending " + file, "no enabled stock Off"},
        {"state-set Alpha Lost " + file, "no state Lost"},
        {"states " + shellQuoted(photo("never.jpg")),
         "not in the catalogue: " + photo("never.jpg")}};
    for (const auto& c : cases) {
        ToolFolder::Run run = tool.run(c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_THAT(run.err, HasSubstr(c.message)) << c.arguments;
    }
}

} // namespace
} // namespace orvella::test
