// Commands killed (SIGKILL) at moments the test chooses: every file stays
// whole, with its old content or its new one; the catalogue stays sound; and
// once the next command has started and the folder was loaded, the
// catalogue's keywords and rows match the files and no temporary file of
// Orvella's is left.
#include "ToolInstallation.h"
#include "metadata/CommaText.h"
#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"
#include "shell/AtomicFile.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace orvella {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Words = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr uint8_t kKeywords = 25;
constexpr int kMoments = 10;

// The Keywords items of a file as Orvella's own reader gives them.
Words keywordsInFile(const fs::path& file) {
    TimgData data;
    if (!data.ProcessFile(file) || data.IptcObj() == nullptr)
        return {};
    data.IptcObj()->ParseIPTC();
    int index = data.IptcObj()->FindTag("Keywords");
    return index < 0 ? Words{} : parseCommaText(data.IptcObj()->GetEntry(index).value);
}

class KilledCommands : public ToolInstallation {
protected:
    fs::path photos() const { return folder / "photos"; }
    fs::path catalogueFile() const { return folder / "program" / "Orvella.dat"; }

    // Starts the tool as a process of its own, its output discarded.
    pid_t start(const Words& arguments) {
        std::string tool = (folder / "program" / "orvella-tool").string();
        std::vector<std::string> words = {tool};
        words.insert(words.end(), arguments.begin(), arguments.end());
        pid_t child = ::fork();
        if (child == 0) {
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
            ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
            ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
            std::vector<char*> argv;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            ::execv(tool.c_str(), argv.data());
            ::_exit(127);
        }
        return child;
    }
    static int wait(pid_t child) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    }
    // How long the command takes when left alone.
    Clock::duration timed(const Words& arguments) {
        auto started = Clock::now();
        int status = wait(start(arguments));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        return Clock::now() - started;
    }
    // Runs the command and kills it after the share of length given.
    void killedAt(const Words& arguments, Clock::duration length, int moment) {
        pid_t child = start(arguments);
        std::this_thread::sleep_for(length * (2 * moment + 1) / (2 * kMoments));
        ::kill(child, SIGKILL);
        wait(child);
    }

    Words catalogueKeywords(const fs::path& file) {
        Words words;
        query("select K.KEYWORD from IMAGES I join IMAGE_KEYWORD IK on IK.MD5 = I.MD5 join "
              "KEYWORDS K on K.KEYWORD_ID = IK.KEYWORD_ID where I.FilePath = ?1 and "
              "I.FileName = ?2 order by IK.ORDER_ID",
              {file.parent_path().string(), file.filename().string()}, words);
        return words;
    }
    int64_t rowsAt(const fs::path& file) {
        Words rows;
        query("select count(*) from IMAGES where FilePath = ?1 and FileName = ?2",
              {file.parent_path().string(), file.filename().string()}, rows);
        return rows.empty() ? -1 : std::stoll(rows.front());
    }
    std::string integrity() {
        Words answer;
        query("pragma integrity_check", {}, answer);
        return answer.empty() ? "no answer" : answer.front();
    }
    void query(const std::string& sql, const Words& texts, Words& column) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(catalogueFile().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        for (size_t i = 0; i < texts.size(); ++i)
            sqlite3_bind_text(statement, static_cast<int>(i + 1), texts[i].c_str(), -1,
                              SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW)
            column.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    Words leftovers(const fs::path& where) {
        Words found;
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(where, error))
            if (IsOrvellaTemporaryName(entry.path().filename().string()))
                found.push_back(entry.path().string());
        return found;
    }
    Words makePhotos(int count) {
        fs::create_directories(photos());
        Words files;
        for (int i = 0; i < count; ++i) {
            fs::path file = photos() / ("p" + std::to_string(i) + ".jpg");
            writeFile(file, jpegWithIptc({{kKeywords, "old"}}, 16 + 8 * i));
            files.push_back(file.string());
        }
        return files;
    }
};

TEST_F(KilledCommands, KeywordAddOverFiftyFiles) {
    Words files = makePhotos(50);
    Words seed = {"keyword-add", "seed"};
    seed.insert(seed.end(), files.begin(), files.end());
    Clock::duration length = timed(seed);
    for (int moment = 0; moment < kMoments; ++moment) {
        SCOPED_TRACE("killed at moment " + std::to_string(moment));
        std::map<std::string, std::string> before;
        for (const std::string& file : files)
            before[file] = readFile(file);
        std::string added = "k" + std::to_string(moment);
        Words command = {"keyword-add", added};
        command.insert(command.end(), files.begin(), files.end());
        killedAt(command, length, moment);

        EXPECT_EQ(integrity(), "ok");
        for (const std::string& file : files) {
            if (readFile(file) == before[file])
                continue;
            Words expected = keywordsInFile(file);
            ASSERT_FALSE(expected.empty()) << file;
            EXPECT_EQ(expected.back(), added) << file << " is neither old nor new";
        }
        ASSERT_EQ(tool("load", {photos().string()}).status, 0);
        for (const std::string& file : files)
            EXPECT_EQ(catalogueKeywords(file), keywordsInFile(file)) << file;
        EXPECT_EQ(leftovers(photos()), Words{});
        EXPECT_EQ(integrity(), "ok");
    }
}

TEST_F(KilledCommands, ScanOverThreeHundredFiles) {
    Words files = makePhotos(300);
    fs::path empty = folder / "empty.dat";
    fs::copy_file(catalogueFile(), empty);
    Clock::duration length = timed({"scan", photos().string()});
    for (int moment = 0; moment < kMoments; ++moment) {
        SCOPED_TRACE("killed at moment " + std::to_string(moment));
        fs::copy_file(empty, catalogueFile(), fs::copy_options::overwrite_existing);
        std::map<std::string, std::string> before;
        for (const std::string& file : files)
            before[file] = readFile(file);
        killedAt({"scan", photos().string()}, length, moment);

        EXPECT_EQ(integrity(), "ok");
        for (const std::string& file : files)
            EXPECT_EQ(readFile(file), before[file]) << file;
        ASSERT_EQ(tool("load", {photos().string()}).status, 0);
        for (const std::string& file : files)
            EXPECT_EQ(rowsAt(file), 1) << file;
        EXPECT_EQ(leftovers(photos()), Words{});
        // the scan run again completes what the killed one left
        ASSERT_EQ(tool("scan", {photos().string()}).status, 0);
        for (const std::string& file : files)
            EXPECT_EQ(catalogueKeywords(file), keywordsInFile(file)) << file;
        EXPECT_EQ(leftovers(folder / "cache"), Words{});
        EXPECT_EQ(integrity(), "ok");
    }
}

} // namespace
} // namespace orvella
