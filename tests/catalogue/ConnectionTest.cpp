#include "CatalogueFixture.h"

#include <gtest/gtest.h>

#include "shell/Log.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orvella {
namespace {

namespace fs = std::filesystem;
using test::CatalogueCopy;
using test::TempFolder;

TEST(Connection, RefusesWhatIsNotACatalogue) {
    TempFolder folder;
    test::writeFile(folder / "random.dat", std::string(4096, '\x5A'));
    struct Case {
        fs::path file;
        const char* why;
    } cases[] = {
        {folder / "missing.dat", "missing file"},
        {folder / "random.dat", "not a database"},
        {folder.path(), "a folder"},
    };
    for (const auto& c : cases)
        EXPECT_THROW(TCatalogueConnection{c.file}, ECatalogueOpenError) << c.why;
}

TEST(Connection, ADatabaseWithoutTheTablesIsNotACatalogue) {
    TempFolder folder;
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", folder / "Orvella.dat");
    {
        TCatalogueConnection connection(folder / "Orvella.dat");
        TQuery query(connection);
        query.SetSQL("drop table RULE_KEY");
        query.ExecSQL();
    }
    EXPECT_THROW(TCatalogueConnection{folder / "Orvella.dat"}, ECatalogueOpenError);
}

TEST(Connection, ACatalogueReadableByOthersIsNarrowedWithALogLine) {
    TempFolder folder;
    fs::path file = folder / "Orvella.dat";
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", file);
    TLog log(folder / "LogFile.log", [] { return std::string("T"); });
    installAppLog(&log);
    auto modeOf = [](const fs::path& path) {
        struct stat status {};
        ::stat(path.c_str(), &status);
        return status.st_mode & 07777;
    };
    for (mode_t before : {0644, 0600}) {
        ::chmod(file.c_str(), before);
        {
            TCatalogueConnection connection(file);
            TQuery query(connection);
            query.SetSQL("insert into KEYWORDS (KEYWORD_ID, KEYWORD) values ('K" +
                         std::to_string(before) + "', 'k')");
            query.ExecSQL();
            for (const char* suffix : {"", "-wal", "-shm"})
                if (fs::exists(file.string() + suffix)) {
                    EXPECT_EQ(modeOf(file.string() + suffix), 0600u) << suffix;
                }
        }
    }
    installAppLog(nullptr);
    std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u) << "only the wide catalogue is reported";
    EXPECT_NE(lines[0].find("Catalogue " + fs::absolute(file).string() +
                            " was readable by others (mode 0644), now 0600"),
              std::string::npos)
        << lines[0];
}

TEST(Connection, HeldExclusivelyAgainstAnotherProcess) {
    CatalogueCopy catalogue;
    pid_t child = fork();
    if (child == 0) {
        try {
            TCatalogueConnection second(catalogue.file());
            _exit(0);
        } catch (const ECatalogueOpenError&) {
            _exit(3);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
}

TEST(Connection, ReleasedWhenClosed) {
    TempFolder folder;
    fs::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", folder / "Orvella.dat");
    { TCatalogueConnection first(folder / "Orvella.dat"); }
    EXPECT_NO_THROW(TCatalogueConnection{folder / "Orvella.dat"});
}

TEST(Connection, WorkerThreadsShareTheConnectionSafely) {
    CatalogueCopy catalogue;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&catalogue, t] {
            TQuery query(catalogue.connection());
            for (int i = 0; i < 50; ++i) {
                query.SetSQL("insert into KEYWORDS (KEYWORD_ID, KEYWORD) values ('" +
                             std::to_string(t) + "-" + std::to_string(i) + "', 'k')");
                query.ExecSQL();
                query.SetSQL("select * from KEYWORDS where KEYWORD_ID = '" + std::to_string(t) +
                             "-" + std::to_string(i) + "'");
                query.Open();
                EXPECT_EQ(query.RecordCount(), 1u);
            }
        });
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(catalogue.rows("select count(*) from KEYWORDS"), "200\n");
}

} // namespace
} // namespace orvella
