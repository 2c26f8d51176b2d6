#pragma once

#include "catalogue/StockDB.h"
#include "upload/FtpClient.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvella {

class Prompts;
class SettingsStore;
class TFtpExchangeLog;
class TOptionsCache;
class UploadWindow;

// One file to send.
struct TUploadRecord {
    std::string FilePath;
    int32_t StockId = 0;
    std::string MD5;
    bool StockEnabled = false; // for the log only
};

// The proxy settings as read at upload start.
struct TProxySettings {
    bool UseProxy = false;
    std::string Host;
    long Port = 0;
    std::string User;
    std::string Password;
    long Type = 5;
};

// Sends the files of its upload list to their stocks' FTP servers and moves
// each image's state there from "Ready to upload" to "Pending" (with the
// upload date) or "Upload failed". It runs on the window thread and lets the
// window's events through at every step, so a Stop may arrive while it runs:
// Terminate() makes the run end before the next record. Hold it in a
// std::shared_ptr: a running Execute keeps the object alive even when the
// window drops its reference on Stop.
class TFTPUploader : public std::enable_shared_from_this<TFTPUploader> {
public:
    TFTPUploader(TCatalogueConnection& connection, const SettingsStore& settings);
    ~TFTPUploader();

    void SetWindow(UploadWindow* window) { window_ = window; }
    void SetPrompts(Prompts* prompts) { prompts_ = prompts; }
    void SetOptions(const TOptionsCache* options) { options_ = options; }
    void SetExchangeLog(TFtpExchangeLog* log) { exchangeLog_ = log; }
    // Time-outs and the hooks of the FTP client; the window's event pump and
    // the transfer progress are added to these.
    void SetClientSettings(FtpClientSettings settings) { clientSettings_ = std::move(settings); }

    // Reads the proxy settings from the settings store.
    void LoadParameters();
    const TProxySettings& Proxy() const { return proxy_; }

    // Adds a record, keeping the list sorted by stock ID, highest first.
    void AddRecord(const TUploadRecord& record);
    const std::vector<TUploadRecord>& Records() const { return records_; }
    // Writes the whole list to the log as one message.
    void LogUploadList();

    // The uploader body: connects per stock and stores each file.
    void Execute();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    // How the run went: files stored, and records not stored for any reason.
    int UploadedCount() const { return uploaded_; }
    int NotUploadedCount() const { return notUploaded_; }

private:
    struct Login {
        std::string user;
        std::string password;
    };
    void applyProxy();
    void runRecords();
    void processRecord(int index);
    bool ensureConnection(int index, const TUploadRecord& record);
    bool connectTo(const TStock& stock);
    std::optional<Login> credentialsFor(const TStock& stock);
    std::optional<Login> askLogin(const TStock& stock);
    bool checkFile(const TUploadRecord& record);
    void uploadImage(const TUploadRecord& record);
    void uploadReleases(const TUploadRecord& record, const std::string& imageName);
    TModelReleases imageReleases(const std::string& key);
    void markUploaded(const TUploadRecord& record);
    void markFailed(const TUploadRecord& record);
    const TStock* enabledStock(int32_t stockId) const;
    void makeCurrent(int32_t stockId);

    void post(const std::string& line);
    void progress(int position);
    void skip(int position);
    void pump();

    TCatalogueConnection& connection_;
    const SettingsStore& settings_;
    TStockDBObject db_; // with its own query on the connection
    UploadWindow* window_ = nullptr;
    Prompts* prompts_ = nullptr;
    const TOptionsCache* options_ = nullptr;
    TFtpExchangeLog* exchangeLog_ = nullptr;
    FtpClientSettings clientSettings_;
    FtpClient client_;
    TProxySettings proxy_;
    std::vector<TUploadRecord> records_;
    TStockList stocks_;
    int32_t currentStock_ = 0;
    bool terminated_ = false;
    int uploaded_ = 0;
    int notUploaded_ = 0;
};

} // namespace orvella
