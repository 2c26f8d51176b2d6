// The earnings reader in the real web engine against eight agency sites that a
// local server plays on 127.0.0.1. Every connection the program opens is
// traced, and one to any other address fails the test.
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "stats/AgencyServer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <fstream>

namespace orvella {
namespace {

using test::AgencyNames;
using test::AgencyServer;

class EarningsWeb : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", folder_ / "Orvella.dat");
        TCatalogueConnection connection(folder_ / "Orvella.dat");
        TStockDBObject catalogue(connection);
        for (const std::string& agency : AgencyNames) {
            catalogue.AddStock(agency, "", false, "");
            catalogue.SetStockWebLogin(catalogue.GetStockId(agency), "me", "pw-" + agency);
        }
    }

    void pointAgenciesAt(int port, int timeoutSeconds) {
        std::ofstream ini(folder_ / "Orvella.ini");
        ini << "[Agencies]\r\n";
        for (const std::string& agency : AgencyNames)
            ini << agency << "=http://127.0.0.1:" << port << "/" << agency << "\r\n";
        ini << "Timeout=" << timeoutSeconds << "\r\n";
    }

    // Runs the reader under strace; returns its lines "name\tbalance\tsales".
    std::map<std::string, std::string> readEarnings() {
        QProcess program;
        QString trace = QString::fromStdString((folder_ / "connections.txt").string());
        program.start("strace", {"-f", "-qq", "-e", "trace=connect", "-o", trace,
                                 ORVELLA_BIN_DIR "/orvella-tool", "earnings",
                                 QString::fromStdString(folder_.path().string())});
        EXPECT_TRUE(program.waitForFinished(120000));
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        std::map<std::string, std::string> rows;
        for (const QString& line :
             QString::fromUtf8(program.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
            rows[line.section('\t', 0, 0).toStdString()] = line.section('\t', 1).toStdString();
        return rows;
    }

    // Every network address the program connected to.
    std::set<std::string> connectedAddresses() {
        QFile trace(QString::fromStdString((folder_ / "connections.txt").string()));
        EXPECT_TRUE(trace.open(QIODevice::ReadOnly));
        std::set<std::string> addresses;
        QRegularExpression inet(
            R"(sa_family=AF_INET6?, .*(?:inet_addr|inet_pton)\((?:AF_INET6, )?\"([^\"]+)\")");
        for (auto match = inet.globalMatch(QString::fromUtf8(trace.readAll())); match.hasNext();)
            addresses.insert(match.next().captured(1).toStdString());
        return addresses;
    }

    test::TempFolder folder_;
};

TEST_F(EarningsWeb, FiguresOfAllEightAgenciesAreReadAndOnlyTheLocalSitesAreReached) {
    AgencyServer server(folder_.path(), {});
    ASSERT_NE(server.port(), 0);
    pointAgenciesAt(server.port(), 60);

    std::map<std::string, std::string> rows = readEarnings();
    std::map<std::string, std::string> expected = {
        {"Shutterstock", "12.50\t7"}, {"iStockphoto", "$88.10\t31"}, {"Dreamstime", "145.00\t96"},
        {"Fotolia", "$19\t4"},        {"123RF", "3.75\t"},           {"LuckyOliver", "1.25\t2"},
        {"CanStockPhoto", "6.00\t5"}, {"Albumo", "0.40\t"}};
    EXPECT_EQ(rows, expected);

    auto posts = server.posts();
    EXPECT_EQ(posts["Shutterstock"]["email"].toString(), "me");
    EXPECT_EQ(posts["Shutterstock"]["pass"].toString(), "pw-Shutterstock");
    EXPECT_EQ(posts["LuckyOliver"]["user[password]"].toString(), "pw-LuckyOliver");
    EXPECT_EQ(posts["Albumo"]["p"].toString(), "pw-Albumo");
    EXPECT_EQ(posts.size(), AgencyNames.size());

    EXPECT_EQ(connectedAddresses(), std::set<std::string>{"127.0.0.1"});
}

TEST_F(EarningsWeb, SiteThatKeepsShowingItsLoginIsDiscardedAndTheOthersFinish) {
    AgencyServer server(folder_.path(), {"--stuck", "Dreamstime"});
    pointAgenciesAt(server.port(), 20); // long enough for the others under load

    std::map<std::string, std::string> rows = readEarnings();
    EXPECT_EQ(rows["Dreamstime"], "\t");
    EXPECT_EQ(rows["Fotolia"], "$19\t4");
    EXPECT_EQ(rows["Albumo"], "0.40\t");
    EXPECT_EQ(connectedAddresses(), std::set<std::string>{"127.0.0.1"});
}

} // namespace
} // namespace orvella
