#pragma once

#include "../catalogue/OperationsFixture.h"
#include "shell/Options.h"
#include "shell/SettingsStore.h"
#include "upload/FTPUploader.h"
#include "upload/FtpExchangeLog.h"
#include "upload/UploadList.h"
#include "upload/UploadWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvella::test {

// Records what the uploader shows; a hook runs whenever events are let through.
class RecordingWindow : public UploadWindow {
public:
    std::vector<std::string> lines;
    int finished = 0;
    int cleared = 0;
    std::vector<uint64_t> transfers;
    std::function<void()> onEvents;

    void PostLine(const std::string& line) override { lines.push_back(line); }
    void ClearLog() override { ++cleared; }
    void TransferProgress(uint64_t bytes) override { transfers.push_back(bytes); }
    void Finish() override { ++finished; }
    void ProcessPendingEvents() override {
        if (onEvents)
            onEvents();
    }
};

// A catalogue copy with stocks and ready images, a portable settings file, the
// exchange log beside it and an uploader wired to a recording window. Every
// address the FTP client would connect to is checked: only 127.0.0.1 passes.
class UploadTest : public OperationsTest {
protected:
    UploadTest();
    void TearDown() override;

    void addStock(int id, const std::string& name, const std::string& host,
                  const std::string& login = "user", const std::string& password = "secret");
    // A file in the photos folder, catalogued and ready to upload at the stock.
    std::string addReadyImage(const std::string& name, const std::string& content, int stockId);
    std::filesystem::path photo(const std::string& name) const { return folder / "photos" / name; }
    // Options section of Orvella.ini, replaced.
    void writeOptions(const std::vector<std::pair<std::string, std::string>>& values);

    // The entry of the Uploads view for an image of a stock.
    UploadListEntry entryFor(const std::string& key, const std::string& groupCaption);
    // Builds the uploader for the entries (the view's list when none given).
    std::shared_ptr<TFTPUploader> makeUploader(std::vector<UploadListEntry> entries = {});
    std::shared_ptr<TFTPUploader> upload(std::vector<UploadListEntry> entries = {});

    std::string stateOf(const std::string& key, int stockId);
    std::string uploadDateOf(const std::string& key, int stockId);

    SettingsStore store;
    TOptionsCache options;
    TFtpExchangeLog exchangeLog;
    RecordingWindow window;
    FtpClientSettings clientSettings;
    std::vector<std::string> connectedAddresses;
    int imageCount = 0;
};

} // namespace orvella::test
