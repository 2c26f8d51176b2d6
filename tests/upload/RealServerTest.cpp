// Uploads against pyftpdlib, a real FTP server, on 127.0.0.1.
#include "RealFtpServer.h"
#include "UploadFixture.h"

#include <gmock/gmock.h>

#include <random>

namespace orvella::test {

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

class RealServerTest : public UploadTest {
protected:
    RealServerTest()
        : server(folder.path(),
                 {{"three", "pass3", folder / "home3"}, {"one", "pass1", folder / "home1"}}) {}

    RealFtpServer server;
};

TEST_F(RealServerTest, StoresHighestStockFirstWithOneLoginPerStock) {
    addStock(1, "Agency One", server.address(), "one", "pass1");
    addStock(3, "Agency Three", server.address(), "three", "pass3");
    std::string a = randomBytes(700 * 1024 + 17, 1), b, c = "abc";
    std::string keyA = addReadyImage("a.jpg", a, 3);
    std::string keyB = addReadyImage("b.jpg", b, 1); // an empty file is sent too
    std::string keyC = addReadyImage("c.jpg", c, 3);

    upload({entryFor(keyA, "Agency Three (2)"), entryFor(keyB, "Agency One (1)"),
            entryFor(keyC, "Agency Three (2)")});

    EXPECT_THAT(server.events(),
                ElementsAre("login three", "stored three a.jpg", "stored three c.jpg", "login one",
                            "stored one b.jpg"));
    EXPECT_EQ(readFile(folder / "home3" / "a.jpg"), a);
    EXPECT_EQ(readFile(folder / "home3" / "c.jpg"), c);
    EXPECT_EQ(readFile(folder / "home1" / "b.jpg"), b);
    std::string connected = "Connected to " + server.address();
    EXPECT_THAT(window.lines,
                ElementsAre(connected, "ok. a.jpg uploaded", "ok. c.jpg uploaded", connected,
                            "ok. b.jpg uploaded", std::string(34, '='), "Uploading finished"));
    for (auto [key, stock] : {std::pair{keyA, 3}, {keyB, 1}, {keyC, 3}}) {
        EXPECT_EQ(stateOf(key, stock), "2");
        std::optional<DateTime> date = fromIsoText(uploadDateOf(key, stock));
        ASSERT_TRUE(date.has_value());
        EXPECT_LE(std::chrono::abs(*date - nowUtc()), std::chrono::seconds(60));
    }
    EXPECT_EQ(window.finished, 1);
    EXPECT_THAT(window.transfers, Contains(a.size())) << "progress reaches the whole file";
    EXPECT_THAT(logLines(), Contains("Files count2"));
}

TEST_F(RealServerTest, ModelReleasesFollowTheImageWhenUploadReleaseIsOn) {
    addStock(3, "Agency Three", server.address(), "three", "pass3");
    for (bool releasesOn : {true, false}) {
        SCOPED_TRACE(releasesOn);
        writeOptions({{"UploadRelease", releasesOn ? "1" : "0"}});
        std::string tag = releasesOn ? "on" : "off";
        std::string key = addReadyImage("model-" + tag + ".jpg", "image " + tag, 3);
        for (const char* model : {"anna", "ben"}) {
            std::string release = (folder / "photos" / (model + ("-" + tag + ".jpg"))).string();
            writeFile(release, std::string("release of ") + model);
            db->AttachRelease(key, {db->AddModelRelease(release, model), release, model});
        }
        upload();
        EXPECT_EQ(stateOf(key, 3), "2");
    }
    EXPECT_THAT(server.events(), ElementsAre("login three", "stored three model-on.jpg",
                                             "stored three anna-on.jpg", "stored three ben-on.jpg",
                                             "login three", "stored three model-off.jpg"));
    EXPECT_EQ(readFile(folder / "home3" / "ben-on.jpg"), "release of ben");
}

TEST_F(RealServerTest, StockWithFailingLoginKeepsItsFilesReadyAndTheNextStockIsUploaded) {
    addStock(1, "Agency One", server.address(), "one", "pass1");
    addStock(3, "Agency Three", server.address(), "three", "wrong");
    std::string first = addReadyImage("first.jpg", "1", 3);
    std::string second = addReadyImage("second.jpg", "2", 3);
    std::string other = addReadyImage("other.jpg", "3", 1);

    upload();

    EXPECT_THAT(server.events(),
                ElementsAre("login-failed three", "login one", "stored one other.jpg"));
    EXPECT_EQ(stateOf(first, 3), "1");
    EXPECT_EQ(stateOf(second, 3), "1");
    EXPECT_EQ(stateOf(other, 1), "2");
    EXPECT_EQ(window.lines.front(), "Connection to " + server.address() + " failed");
    EXPECT_THAT(logLines(), Contains("FTP aborted"));
}

TEST_F(RealServerTest, ImageChangedOrGoneSinceTheListWasBuiltIsSkipped) {
    addStock(3, "Agency Three", server.address(), "three", "pass3");
    std::string changed = addReadyImage("changed.jpg", "x", 3);
    std::string gone = addReadyImage("gone.jpg", "z", 3);
    std::string kept = addReadyImage("kept.jpg", "y", 3);
    std::shared_ptr<TFTPUploader> uploader = makeUploader();
    db->SetState(3, changed, 1); // "Not ready" after the list was built
    std::filesystem::remove(photo("gone.jpg"));

    uploader->Execute();

    EXPECT_THAT(server.events(), ElementsAre("login three", "stored three kept.jpg"));
    EXPECT_EQ(stateOf(changed, 3), "0");
    EXPECT_EQ(stateOf(gone, 3), "1");
    EXPECT_EQ(stateOf(kept, 3), "2");
    EXPECT_THAT(window.lines,
                Contains("failed. File " + photo("gone.jpg").string() + " not found"));
    EXPECT_THAT(logLines(), Contains("Status for file " + photo("changed.jpg").string() +
                                     " is not Ready to upload already. Skipped."));
    EXPECT_EQ(uploader->NotUploadedCount(), 2);
}

TEST_F(RealServerTest, EmptyListPostsThatThereIsNothingToUpload) {
    window.lines = {"an earlier line"};
    upload();
    EXPECT_THAT(window.lines, ElementsAre("an earlier line", "There are no files to upload"));
    EXPECT_EQ(window.finished, 1);
    EXPECT_EQ(window.cleared, 0);
    EXPECT_THAT(server.events(), ElementsAre());
}

TEST_F(RealServerTest, CommandLineUploadsEveryReadyFileAndLogsNoPassword) {
    addStock(3, "Agency Three", server.address(), "three", "pass3");
    std::string key = addReadyImage("tool.jpg", randomBytes(100000, 7), 3);
    connection.reset(); // the tool opens the catalogue exclusively

    std::string command = std::string(ORVELLA_BIN_DIR) + "/orvella-tool upload-ready '" +
                          folder.path().string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int status = pclose(pipe);

    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_EQ(output, "Connected to " + server.address() + "\nok. tool.jpg uploaded\n" +
                          std::string(34, '=') + "\nUploading finished\n");
    EXPECT_EQ(readFile(folder / "home3" / "tool.jpg"), readFile(photo("tool.jpg")));
    std::string exchange = readFile(folder / "FTPLog.log");
    EXPECT_NE(exchange.find("> PASS ****"), std::string::npos);
    EXPECT_EQ(exchange.find("pass3"), std::string::npos);
    connection = std::make_unique<TCatalogueConnection>(folder / "Orvella.dat");
    EXPECT_EQ(stateOf(key, 3), "2");
}

// Scripts attach a release with the tool; the upload sends it with the image.
TEST_F(RealServerTest, AReleaseAttachedByTheToolTravelsWithItsImage) {
    addStock(3, "Agency Three", server.address(), "three", "pass3");
    std::string portrait = randomBytes(50000, 11), form = randomBytes(20000, 12);
    std::string key = addReadyImage("portrait.jpg", portrait, 3);
    std::filesystem::create_directories(folder / "forms");
    writeFile(folder / "forms" / "anna-release.jpg", form);
    connection.reset(); // the tool opens the catalogue exclusively
    std::filesystem::copy_file(ORVELLA_BIN_DIR "/orvella-tool", folder / "orvella-tool");
    auto tool = [&](const std::string& arguments) {
        std::string command = "'" + (folder / "orvella-tool").string() + "' " + arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        char buffer[512];
        while (pipe && fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        return std::pair{pipe ? WEXITSTATUS(pclose(pipe)) : -1, output};
    };

    auto added =
        tool("release-add '" + (folder / "forms" / "anna-release.jpg").string() + "' Anna");
    ASSERT_EQ(added.first, 0) << added.second;
    auto attached = tool("release-attach Anna '" + photo("portrait.jpg").string() + "'");
    ASSERT_EQ(attached.first, 0) << attached.second;
    EXPECT_EQ(attached.second, key + "\n");
    auto uploaded = tool("upload-ready '" + folder.path().string() + "'");

    EXPECT_EQ(uploaded.first, 0) << uploaded.second;
    EXPECT_EQ(readFile(folder / "home3" / "portrait.jpg"), portrait);
    EXPECT_EQ(readFile(folder / "home3" / "anna-release.jpg"), form);
}

} // namespace

} // namespace orvella::test
