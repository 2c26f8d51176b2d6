// The program as a desktop sees it: its command line, the folder it opens,
// the permissions of its files, and an installation into a prefix.
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QThread>

#include <map>
#include <regex>
#include <set>
#include <sys/stat.h>

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& file) {
    struct stat status {};
    ::stat(file.c_str(), &status);
    return status.st_mode & 07777;
}

void writeJpeg(const fs::path& file) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "JPEG"));
}

std::string savedFolder(const Installation& installation) {
    std::smatch found;
    std::string registry = readFile(installation.registryFile());
    return std::regex_search(registry, found, std::regex("Directory=([^\r\n]*)")) ? found[1].str()
                                                                                  : "";
}

bool waitUntil(const std::function<bool()>& probe,
               std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    for (auto end = std::chrono::steady_clock::now() + timeout;
         std::chrono::steady_clock::now() < end;) {
        if (probe())
            return true;
        QThread::msleep(20);
    }
    return probe();
}

size_t filesIn(const fs::path& folder) {
    std::error_code error;
    size_t count = 0;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        count += it->is_regular_file();
    return count;
}

// Runs a program to its end; its exit code and standard output.
std::pair<int, std::string> runToEnd(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(20000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString()};
}

TEST(CommandLineRun, HelpAndVersionPrintAndEndWithoutAWindowOrALog) {
    struct Case {
        const char* argument;
        const char* printed;
    } cases[] = {{"--help", "Usage: orvella [-log | -sql STATEMENT | -debug | FOLDER]"},
                 {"--version", "Orvella 1.5\n"}};
    for (const auto& c : cases) {
        Installation installation;
        ProgramRun run(installation, {c.argument});
        ASSERT_TRUE(run.waitForExit(std::chrono::seconds(10))) << c.argument;
        EXPECT_EQ(run.exitCode(), 0) << c.argument;
        EXPECT_NE(run.standardOutput().find(c.printed), std::string::npos) << c.argument;
        EXPECT_FALSE(fs::exists(installation.logFile())) << c.argument;
        EXPECT_FALSE(fs::exists(installation.registryFile())) << c.argument;
    }
}

TEST(CommandLineRun, TheTreeOpensTheFolderArgumentElseThePicturesFolderOnAFirstStart) {
    Installation installation;
    fs::path pictures = installation.homeFolder() / "Pictures";
    fs::path shoot = installation.homeFolder() / "shoot";
    fs::create_directories(pictures);
    fs::create_directories(shoot);
    writeJpeg(shoot / "a.jpg");
    struct Step {
        QStringList arguments;
        fs::path opened;
    } steps[] = {
        {{}, pictures},                                    // first start
        {{QString::fromStdString(shoot.string())}, shoot}, // a folder
        {{}, shoot},                                       // then the saved folder again
        {{QString::fromStdString((pictures / "..").string() + "/shoot/a.jpg")},
         shoot}, // a file: its folder
    };
    for (const auto& step : steps) {
        fs::remove(installation.logFile()); // so that the wait below sees this run's start
        fs::remove_all(installation.cacheFolder());
        ProgramRun run(installation, step.arguments);
        ASSERT_TRUE(run.waitForLog("Orvella version 1.5")) << run.standardError();
        if (step.opened == shoot) { // the folder was loaded: its thumbnail is cached
            EXPECT_TRUE(waitUntil([&] { return filesIn(installation.cacheFolder() / "MD5") > 0; }));
        }
        run.terminate();
        EXPECT_EQ(run.exitCode(), 0) << run.standardError();
        EXPECT_EQ(savedFolder(installation), step.opened.string())
            << step.arguments.join(" ").toStdString();
    }
}

TEST(CommandLineRun, CatalogueAndSettingsAreTheOwnersAloneAfterARun) {
    Installation installation;
    ::chmod(installation.catalogue().c_str(), 0644);
    ProgramRun run(installation);
    ASSERT_TRUE(run.waitForLog("Orvella version 1.5")) << run.standardError();
    run.terminate();
    EXPECT_EQ(run.exitCode(), 0);
    for (const fs::path& file : {installation.catalogue(), installation.registryFile()})
        EXPECT_EQ(modeOf(file), 0600u) << file;
    for (const char* suffix : {"-wal", "-shm"}) {
        fs::path file = installation.catalogue().string() + suffix;
        if (fs::exists(file)) {
            EXPECT_EQ(modeOf(file), 0600u) << file;
        }
    }
    EXPECT_NE(installation.log().find("was readable by others (mode 0644), now 0600"),
              std::string::npos);
}

// An installation into a prefix, made read-only, run by a user whose home
// and XDG folders are temporary.
class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override {
        auto [status, output] =
            runToEnd(ORVELLA_CMAKE_COMMAND, {"--install", ORVELLA_BUILD_DIR, "--prefix",
                                             QString::fromStdString(prefix().string())});
        ASSERT_EQ(status, 0) << output;
    }
    void TearDown() override { setWritable(true); }

    fs::path prefix() const { return root / "prefix"; }
    void setWritable(bool writable) {
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(prefix(), error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error))
            fs::permissions(it->path(),
                            fs::perms::owner_write | fs::perms::group_write |
                                fs::perms::others_write,
                            writable ? fs::perm_options::add : fs::perm_options::remove, error);
        fs::permissions(prefix(), fs::perms::owner_write,
                        writable ? fs::perm_options::add : fs::perm_options::remove, error);
    }
    // Every file and folder under the prefix with its size and change time.
    std::map<std::string, std::pair<uintmax_t, long>> snapshot() const {
        std::map<std::string, std::pair<uintmax_t, long>> files;
        for (const auto& entry : fs::recursive_directory_iterator(prefix())) {
            struct stat status {};
            ::lstat(entry.path().c_str(), &status);
            files[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                            status.st_ctim.tv_sec * 1000000000L +
                                                status.st_ctim.tv_nsec};
        }
        return files;
    }

    TempFolder root;
};

TEST_F(InstalledProgram, LaysOutTheProgramHelperCatalogueAndDesktopFiles) {
    const fs::path share = prefix() / "share";
    for (const fs::path& file :
         {prefix() / "bin" / "orvella", prefix() / "bin" / "orvella-tool",
          prefix() / "libexec" / "orvella" / "orvella-render-helper",
          share / "orvella" / "Orvella.dat",
          share / "applications" / "example.orvella.Orvella.desktop",
          share / "metainfo" / "example.orvella.Orvella.metainfo.xml",
          share / "icons" / "hicolor" / "scalable" / "apps" / "example.orvella.Orvella.svg"})
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    for (int size : {48, 128, 256}) {
        fs::path icon = share / "icons" / "hicolor" /
                        (std::to_string(size) + "x" + std::to_string(size)) / "apps" /
                        "example.orvella.Orvella.png";
        EXPECT_EQ(QImageReader(QString::fromStdString(icon.string())).size(), QSize(size, size))
            << icon;
    }
    // Every user may copy the shipped catalogue; it is a fresh empty one.
    EXPECT_EQ(modeOf(share / "orvella" / "Orvella.dat"), 0644u);
}

TEST_F(InstalledProgram, ReadOnlyPrefixRunsWithItsFilesInTheUsersFolders) {
    TempFolder user;
    fs::path pictures = user / "home" / "Pictures";
    fs::create_directories(pictures);
    fs::create_directories(user / "run");
    fs::permissions(user / "run", fs::perms::owner_all);
    writeJpeg(pictures / "a.jpg");
    setWritable(false);
    auto before = snapshot();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", QString::fromStdString((user / "home").string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((user / "run").string()));
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
        environment.remove(variable); // the defaults under HOME
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(user.path().string()));
    process.start(QString::fromStdString((prefix() / "bin" / "orvella").string()), {});
    ASSERT_TRUE(process.waitForStarted());

    fs::path data = user / "home" / ".local" / "share" / "Orvella";
    fs::path cache = user / "home" / ".cache" / "Orvella" / "MD5";
    EXPECT_TRUE(waitUntil([&] {
        return fs::exists(data / "LogFile.log") &&
               readFile(data / "LogFile.log").find("Orvella version 1.5") != std::string::npos;
    })) << process.readAllStandardError().toStdString();
    // A first start opens the pictures folder, whose thumbnail lands in the cache.
    EXPECT_TRUE(waitUntil([&] { return filesIn(cache) > 0; }));
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    EXPECT_EQ(modeOf(data / "Orvella.dat"), 0600u);
    EXPECT_EQ(modeOf(user / "home" / ".config" / "Orvella" / "registry.ini"), 0600u);
    EXPECT_NE(readFile(data / "LogFile.log").find("Application terminated"), std::string::npos);
    EXPECT_EQ(snapshot(), before) << "nothing is written under the prefix";
}

TEST_F(InstalledProgram, ToolListsItsVerbsAndTheReadmeNamesEachOne) {
    auto [status, help] =
        runToEnd(QString::fromStdString((prefix() / "bin" / "orvella-tool").string()), {"--help"});
    EXPECT_EQ(status, 0);
    std::string readme = readFile(ORVELLA_SOURCE_DIR "/README.md");
    std::set<std::string> verbs;
    std::regex line("\n  orvella-tool ([a-z0-9-]+)");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), line);
         it != std::sregex_iterator(); ++it)
        verbs.insert((*it)[1].str());
    EXPECT_GE(verbs.count("load"), 1u) << help;
    for (const std::string& verb : verbs)
        EXPECT_NE(readme.find("`orvella-tool " + verb + " "), std::string::npos)
            << "README lacks " << verb;
    auto [bareStatus, bare] =
        runToEnd(QString::fromStdString((prefix() / "bin" / "orvella-tool").string()), {});
    EXPECT_EQ(bareStatus, 1) << "no verb is a usage error";
}

} // namespace
} // namespace orvella::test
