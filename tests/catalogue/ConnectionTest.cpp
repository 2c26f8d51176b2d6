#include "CatalogueFixture.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
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

// The shipped schema, or the one of catalogues made before file names and
// folders compared exactly, run on a new database file.
std::string shippedSchema() {
    return test::readFile(ORVELLA_SOURCE_DIR "/src/catalogue/schema.sql");
}

std::string caselessSchema() {
    std::string schema = shippedSchema();
    size_t replaced = 0;
    for (size_t at; (at = schema.find("COLLATE BINARY")) != std::string::npos; ++replaced)
        schema.replace(at, 14, "COLLATE NOCASE");
    EXPECT_EQ(replaced, 2u) << "FileName and FilePath";
    return schema;
}

void makeDatabase(const fs::path& file, const std::string& statements) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    int result = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(result, SQLITE_OK) << message;
}

std::string imagesDeclaration(TCatalogueConnection& connection) {
    return test::selectRows(connection, "select sql from sqlite_master where name = 'IMAGES'");
}

TEST(Connection, OlderCatalogueIsMadeToCompareNamesAndFoldersExactly) {
    TempFolder folder;
    makeDatabase(folder / "Orvella.dat",
                 caselessSchema() +
                     "insert into IMAGES (MD5, FileName, FilePath, FileSize) values "
                     "('K1', 'A.jpg', '/p/Dir', 10), ('K2', 'x.jpg', '/p/dir', 20);"
                     "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values ('K1', 1, '2');"
                     "insert into KEYWORDS (KEYWORD_ID, KEYWORD) values ('W1', 'Forest');");
    makeDatabase(folder / "fresh.dat", shippedSchema());
    std::string shipped;
    {
        TCatalogueConnection fresh(folder / "fresh.dat");
        shipped = imagesDeclaration(fresh);
    }
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening); // the second opening finds nothing to change
        TCatalogueConnection connection(folder / "Orvella.dat");
        auto rows = [&](const std::string& select) { return test::selectRows(connection, select); };
        EXPECT_EQ(imagesDeclaration(connection), shipped);
        EXPECT_EQ(rows("select MD5, FileName, FilePath, FileSize from IMAGES order by MD5"),
                  "K1|A.jpg|/p/Dir|10\nK2|x.jpg|/p/dir|20\n");
        struct Case {
            const char* where;
            const char* keys;
        } cases[] = {
            {"FileName = 'A.jpg'", "K1\n"},  {"FileName = 'a.jpg'", ""},
            {"FilePath = '/p/Dir'", "K1\n"}, {"FilePath = '/p/dir'", "K2\n"},
            {"FilePath = '/P/DIR'", ""},
        };
        for (const Case& c : cases)
            EXPECT_EQ(rows(std::string("select MD5 from IMAGES where ") + c.where), c.keys)
                << c.where;
        EXPECT_EQ(rows("select KEYWORD_ID from KEYWORDS where KEYWORD = 'FOREST'"), "W1\n");
        EXPECT_EQ(rows("select MD5 from IMAGES where MD5 = 'k1'"), "K1\n");
        EXPECT_EQ(
            rows("select name from sqlite_master where tbl_name = 'IMAGES' and type <> 'table' "
                 "order by name"),
            "IMAGES_LOCATION\nIMAGES_REKEY\nsqlite_autoindex_IMAGES_1\n");
    }
    // The re-keying trigger came along: the state follows a new key.
    TCatalogueConnection connection(folder / "Orvella.dat");
    TQuery update(connection);
    update.SetSQL("update IMAGES set MD5 = 'K3' where MD5 = 'K1'");
    update.ExecSQL();
    EXPECT_EQ(test::selectRows(connection, "select MD5, STATE_ID from IMAGE_STOCK"), "K3|2\n");
}

} // namespace
} // namespace orvella
