#include "UploadFixture.h"

#include <cstdio>

namespace orvella::test {

UploadTest::UploadTest()
    : store(folder.path(), folder / "registry.ini"), options(store),
      exchangeLog(folder / "FTPLog.log") {
    std::filesystem::create_directories(folder / "photos");
    writeOptions({});
    exchangeLog.SetEnabled(true);
    clientSettings.connectTimeout = std::chrono::milliseconds(2000);
    clientSettings.readTimeout = std::chrono::milliseconds(2000);
    clientSettings.addressAllowed = [this](const std::string& address) {
        connectedAddresses.push_back(address);
        return address == "127.0.0.1";
    };
}

void UploadTest::TearDown() {
    for (const std::string& address : connectedAddresses)
        EXPECT_EQ(address, "127.0.0.1");
}

void UploadTest::addStock(int id, const std::string& name, const std::string& host,
                          const std::string& login, const std::string& password) {
    execute("insert into STOCK (STOCK_ID, STOCKNAME, FTPURL, FTPENABLED, ENABLED, LOGIN, PASSWRD) "
            "values (" +
            std::to_string(id) + ", '" + name + "', '" + host + "', 1, 1, '" + login + "', '" +
            password + "')");
}

std::string UploadTest::addReadyImage(const std::string& name, const std::string& content,
                                      int stockId) {
    writeFile(photo(name), content);
    char key[33];
    std::snprintf(key, sizeof key, "%032X", ++imageCount);
    addImage(key, name, (folder / "photos").string());
    db->SetState(stockId, key, 2);
    return key;
}

void UploadTest::writeOptions(const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = "[Options]\n";
    for (const auto& [key, value] : values)
        text += key + "=" + value + "\n";
    writeFile(folder / "Orvella.ini", text);
    options.LoadOptions();
}

UploadListEntry UploadTest::entryFor(const std::string& key, const std::string& groupCaption) {
    TImageData image;
    image.MD5 = key;
    image.FullName = db->GetImagePath(key);
    image.FileName = std::filesystem::path(image.FullName).filename().string();
    return {image.FileName, true, image, groupCaption};
}

std::shared_ptr<TFTPUploader> UploadTest::makeUploader(std::vector<UploadListEntry> entries) {
    auto uploader = std::make_shared<TFTPUploader>(*connection, store);
    uploader->SetWindow(&window);
    uploader->SetPrompts(&prompts);
    uploader->SetOptions(&options);
    uploader->SetExchangeLog(&exchangeLog);
    uploader->SetClientSettings(clientSettings);
    uploader->LoadParameters();
    if (entries.empty())
        entries = ReadyUploadEntries(*db);
    AddCheckedEntries(*uploader, entries, *db);
    return uploader;
}

std::shared_ptr<TFTPUploader> UploadTest::upload(std::vector<UploadListEntry> entries) {
    std::shared_ptr<TFTPUploader> uploader = makeUploader(std::move(entries));
    uploader->Execute();
    return uploader;
}

std::string UploadTest::stateOf(const std::string& key, int stockId) {
    auto found = rows("select STATE_ID from IMAGE_STOCK where MD5 = '" + key +
                      "' and STOCK_ID = " + std::to_string(stockId));
    return found.empty() ? "<none>" : found[0]["STATE_ID"];
}

std::string UploadTest::uploadDateOf(const std::string& key, int stockId) {
    auto found = rows("select UPLOAD_DATE from IMAGE_STOCK where MD5 = '" + key +
                      "' and STOCK_ID = " + std::to_string(stockId));
    return found.empty() ? "<none>" : found[0]["UPLOAD_DATE"];
}

} // namespace orvella::test
