#include "upload/FTPUploader.h"

#include "catalogue/SqlText.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"
#include "shell/SizeText.h"
#include "shell/TextUtil.h"
#include "upload/FtpExchangeLog.h"
#include "upload/UploadList.h"
#include "upload/UploadWindow.h"

#include <algorithm>
#include <filesystem>

namespace orvella {

namespace {

constexpr uint8_t kReadyToUploadOrdinal = 2; // stored code 1
constexpr const char* kPasswordDialogCaption = "Password dialog";

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

TFTPUploader::TFTPUploader(TCatalogueConnection& connection, const SettingsStore& settings)
    : connection_(connection), settings_(settings), db_(connection) {}

TFTPUploader::~TFTPUploader() = default;

void TFTPUploader::LoadParameters() {
    SettingsSnapshot store = settings_.read();
    logAlways(store.isIniStore() ? "Load parameters from ini file"
                                 : "Load parameters from registry");
    proxy_ = TProxySettings{};
    proxy_.UseProxy = store.boolean(kOptionsSection, "UseProxy", false);
    if (!proxy_.UseProxy)
        return;
    proxy_.Port = store.integer(kOptionsSection, "ProxyPort", 0);
    proxy_.Host = store.text(kOptionsSection, "ProxyURL", "");
    proxy_.User = store.text(kOptionsSection, "ProxyLogin", "");
    proxy_.Password = store.text(kOptionsSection, "ProxyPass", "");
    proxy_.Type = store.integer(kOptionsSection, "ProxyType", 5);
    logAlways("Using proxy");
}

void TFTPUploader::AddRecord(const TUploadRecord& record) {
    // Highest stock first; records of one stock stay in the order they came.
    auto position = std::upper_bound(
        records_.begin(), records_.end(), record,
        [](const TUploadRecord& a, const TUploadRecord& b) { return a.StockId > b.StockId; });
    records_.insert(position, record);
    logAlways("File " + record.FilePath + " added to upload list");
}

void TFTPUploader::LogUploadList() {
    std::string message;
    for (const TUploadRecord& record : records_)
        message += record.FilePath + " : " + db_.GetStockName(record.StockId) + "\n\r";
    logAlways(message);
}

void TFTPUploader::Execute() {
    // A Stop handled while this runs may drop the window's reference.
    std::shared_ptr<TFTPUploader> keepAlive = weak_from_this().lock();
    FtpClientSettings settings = clientSettings_;
    settings.whileWaiting = [this, outer = clientSettings_.whileWaiting] {
        if (outer)
            outer();
        pump();
    };
    settings.onTransfer = [this, outer = clientSettings_.onTransfer](uint64_t bytes) {
        if (outer)
            outer(bytes);
        if (window_ && !terminated_)
            window_->TransferProgress(bytes);
    };
    client_.SetSettings(std::move(settings));
    client_.SetExchangeLog(exchangeLog_);
    try {
        applyProxy();
        stocks_ = db_.GetStocks(true);
        logAlways("Stock list created");
        logAlways("ADO connection created");
        if (records_.empty()) {
            post("There are no files to upload");
            logAlways("File counter <= 0");
        } else {
            runRecords();
        }
    } catch (...) {
        client_.Disconnect();
        if (window_ && !terminated_)
            window_->Finish();
        throw;
    }
    client_.Disconnect();
    if (terminated_) {
        logAlways("Uploading stopped");
        return; // the Stop handler has already put the button back
    }
    if (window_)
        window_->Finish();
}

void TFTPUploader::applyProxy() {
    if (!proxy_.UseProxy)
        return;
    client_.SetProxy(
        {ProxyModeOf(true, proxy_.Type), proxy_.Host, proxy_.Port, proxy_.User, proxy_.Password});
    logAlways("Using proxy");
    logAlways("Proxy URL " + proxy_.Host);
    logAlways("Proxy port " + std::to_string(proxy_.Port));
    logAlways("Proxy user " + proxy_.User);
    if (!proxy_.Password.empty())
        logAlways("Proxy password not blank");
    logAlways("Proxy type number is " + std::to_string(proxy_.Type));
}

void TFTPUploader::runRecords() {
    currentStock_ = records_.front().StockId;
    logAlways("Current stock ID = " + std::to_string(currentStock_));
    if (window_) {
        window_->ClearLog();
        logAlways("Upload log clear");
    }
    int maximum = static_cast<int>(records_.size()) - 1;
    if (window_)
        window_->SetProgressMaximum(maximum);
    logAlways("Files count" + std::to_string(maximum));
    for (int i = 0; i < static_cast<int>(records_.size()); ++i) {
        if (terminated_) {
            notUploaded_ += static_cast<int>(records_.size()) - i;
            return;
        }
        processRecord(i);
    }
    post(std::string(34, '='));
    post("Uploading finished");
    logAlways("Uploading finished");
}

void TFTPUploader::processRecord(int index) {
    const TUploadRecord& record = records_[static_cast<size_t>(index)];
    if (!ensureConnection(index, record) || !client_.Connected())
        return skip(index);
    logAlways("Current file name " + record.FilePath);
    if (!checkFile(record)) {
        logAlways("Checking files failed");
        return skip(index);
    }
    if (db_.GetState(record.StockId, record.MD5) != kReadyToUploadOrdinal) {
        logAlways("Status for file " + record.FilePath +
                  " is not Ready to upload already. Skipped.");
        return skip(index);
    }
    uploadImage(record);
    progress(index);
    logAlways("Progress " + std::to_string(index));
}

bool TFTPUploader::ensureConnection(int index, const TUploadRecord& record) {
    if (client_.Connected() && record.StockId == currentStock_)
        return true;
    // An earlier connection to this stock failed or dropped: its other files wait.
    if (record.StockId == currentStock_ && index > 0)
        return false;
    const TStock* stock = enabledStock(record.StockId);
    if (!stock) {
        logAlways("Stock ID " + std::to_string(record.StockId) +
                  " is not an enabled stock. Skipped " + record.FilePath);
        makeCurrent(record.StockId);
        return false;
    }
    return connectTo(*stock);
}

void TFTPUploader::makeCurrent(int32_t stockId) {
    if (stockId == currentStock_)
        return;
    currentStock_ = stockId;
    logAlways("Current stock ID = " + std::to_string(stockId));
    if (client_.Connected())
        client_.Disconnect();
}

bool TFTPUploader::connectTo(const TStock& stock) {
    bool wasCurrent = stock.StockId == currentStock_;
    if (wasCurrent && client_.Connected())
        return true;
    makeCurrent(stock.StockId);
    std::optional<Login> login = credentialsFor(stock);
    if (!login)
        return false;
    logAlways((wasCurrent ? "Login: " : "Login ") + login->user);
    client_.SetUsername(login->user);
    client_.SetPassword(login->password);
    client_.SetHost(stock.FtpHost);
    logAlways((wasCurrent ? "FTP host: " : "FTP host ") + stock.FtpHost);
    try {
        client_.Connect();
    } catch (const EFtpError& error) {
        post("Connection to " + stock.FtpHost + " failed");
        logAlways("Not connected");
        if (wasCurrent)
            logAlways("FTP aborted");
        if (exchangeLog_)
            exchangeLog_->Note(stock.FtpHost, error.what());
        return false;
    }
    logAlways("Connected");
    post("Connected to " + stock.FtpHost);
    return true;
}

std::optional<TFTPUploader::Login> TFTPUploader::credentialsFor(const TStock& stock) {
    if (options_ && options_->GetOption("Ask password").toBool())
        return askLogin(stock);
    bool complete = true;
    if (stock.FtpLogin.empty()) {
        post("Blank login for " + stock.Name);
        logAlways("Blank login");
        complete = false;
    }
    if (stock.FtpPassword.empty()) {
        post("Blank password for " + stock.Name);
        logAlways("Blank password");
        complete = false;
    }
    if (!complete)
        return std::nullopt;
    return Login{stock.FtpLogin, stock.FtpPassword};
}

// The password dialog: the login comes filled in, the password empty; what is
// typed serves this connection only.
std::optional<TFTPUploader::Login> TFTPUploader::askLogin(const TStock& stock) {
    if (!prompts_)
        return std::nullopt;
    std::optional<std::string> user =
        prompts_->askText(kPasswordDialogCaption,
                          "Connect to stock: " + stock.Name + "\nInput login:", stock.FtpLogin);
    if (!user)
        return std::nullopt;
    std::optional<std::string> password =
        prompts_->askPassword(kPasswordDialogCaption, "Input password:");
    if (!password)
        return std::nullopt;
    return Login{*user, *password};
}

bool TFTPUploader::checkFile(const TUploadRecord& record) {
    if (trim(record.FilePath).empty()) {
        post("Invalid filename");
        return false;
    }
    if (!IsUploadableFile(record.FilePath)) {
        post("failed. File " + record.FilePath + " not found");
        logAlways("File not fount" + record.FilePath);
        return false;
    }
    return true;
}

void TFTPUploader::uploadImage(const TUploadRecord& record) {
    std::string name = fileNameOf(record.FilePath);
    if (window_ && !terminated_)
        window_->ShowCurrentFile(name);
    pump();
    logAlways("File uploading started " + record.FilePath);
    try {
        client_.Store(record.FilePath, name);
        logAlways("File uploaded " + record.FilePath);
        markUploaded(record);
        logAlways("Image info updated");
    } catch (const std::exception& error) {
        if (exchangeLog_)
            exchangeLog_->Note(name, error.what());
        markFailed(record);
        logAlways("Uploading failed " + record.FilePath);
        post("failed. " + name + " uploading failed");
        ++notUploaded_;
        return;
    }
    post("ok. " + name + " uploaded");
    ++uploaded_;
    if (settings_.readBoolean(kOptionsSection, "UploadRelease", true))
        uploadReleases(record, name);
}

void TFTPUploader::uploadReleases(const TUploadRecord& record, const std::string& imageName) {
    TModelReleases releases;
    try {
        releases = imageReleases(record.MD5);
    } catch (const EDatabaseError&) {
        return; // the image is uploaded; its releases can go with the next upload
    }
    for (const TModelRelease& release : releases) {
        if (!IsUploadableFile(release.FileName))
            continue;
        try {
            client_.Store(release.FileName, fileNameOf(release.FileName));
            logAlways("Release uploaded " + release.FileName);
        } catch (const EFtpError& error) {
            if (exchangeLog_)
                exchangeLog_->Note(fileNameOf(release.FileName), error.what());
            post("failed. " + imageName + " (Model release) uploading failed");
            logAlways("Release upload failed " + release.FileName);
        }
    }
}

TModelReleases TFTPUploader::imageReleases(const std::string& key) {
    TQuery query(connection_);
    query.SetSQL(
        "select M.* from IMAGE_RELEASE R, MODEL_RELEASE M where R.RELEASE_ID = M.RELEASE_ID "
        "and R.MD5 = " +
        QuotedStr(key) + " order by M.MODEL_NAME");
    query.Open();
    TModelReleases releases;
    for (; !query.Eof(); query.Next())
        releases.push_back({query.FieldByName("RELEASE_ID").AsString(),
                            query.FieldByName("FILENAME").AsString(),
                            query.FieldByName("MODEL_NAME").AsString()});
    return releases;
}

void TFTPUploader::markUploaded(const TUploadRecord& record) {
    TQuery query(connection_);
    query.SetSQL("update IMAGE_STOCK set STATE_ID = '2', UPLOAD_DATE = :udate where MD5 = " +
                 QuotedStr(record.MD5) + " and STOCK_ID = " + std::to_string(record.StockId));
    query.ParamDateTime("udate", nowUtc());
    query.ExecSQL();
}

void TFTPUploader::markFailed(const TUploadRecord& record) {
    TQuery query(connection_);
    query.SetSQL("update IMAGE_STOCK set STATE_ID = '3' where MD5 = " + QuotedStr(record.MD5) +
                 " and STOCK_ID = " + std::to_string(record.StockId));
    query.ExecSQL();
}

const TStock* TFTPUploader::enabledStock(int32_t stockId) const {
    for (const TStock& stock : stocks_)
        if (stock.StockId == stockId)
            return &stock;
    return nullptr;
}

// After a Stop the window is no longer the uploader's to change: only its
// events are still let through, so it stays responsive until the current
// record is done.
void TFTPUploader::post(const std::string& line) {
    if (!window_ || terminated_)
        return;
    window_->PostLine(line);
    pump();
    logAlways("Upload log updated");
}

void TFTPUploader::progress(int position) {
    if (!window_ || terminated_)
        return;
    window_->SetProgress(position);
    pump();
}

void TFTPUploader::skip(int position) {
    ++notUploaded_;
    progress(position);
}

void TFTPUploader::pump() {
    if (window_)
        window_->ProcessPendingEvents();
}

std::string TransferProgressText(uint64_t bytes) {
    return SizeText(bytes) + " are transfered";
}

} // namespace orvella
