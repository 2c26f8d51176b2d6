#include "catalogue/StockAccountEditor.h"

#include "shell/TextUtil.h"

#include <cctype>

namespace orvella {

namespace {

// "name:" before anything else, where the colon is not that of a host's port.
bool hasScheme(const std::string& address) {
    size_t colon = address.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(address[0])))
        return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = address[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return colon + 1 >= address.size() ||
           !std::isdigit(static_cast<unsigned char>(address[colon + 1]));
}

} // namespace

TStockList StockAccountEditor::stocks() {
    return db_.GetStocks(false);
}

TStock StockAccountEditor::stockNamed(const std::string& name) {
    int32_t id = db_.GetStockId(name);
    for (const TStock& stock : stocks())
        if (stock.StockId == id)
            return stock;
    throw StockAccountError("No stock named " + name);
}

int32_t StockAccountEditor::add(const std::string& name, const std::string& url, bool ftpEnabled,
                                const std::string& ftpHost) {
    std::string trimmed = trim(name);
    if (trimmed.empty())
        throw StockAccountError("Input stock name!");
    if (db_.GetStockId(trimmed) >= 0)
        throw StockAccountError("Stock " + trimmed + " already exists");
    db_.AddStock(trimmed, trim(url), ftpEnabled, trim(ftpHost));
    return db_.GetStockId(trimmed);
}

void StockAccountEditor::save(const TStock& stock, const StockAccountFields& fields) {
    if (!passwordsMatch(fields.ftpPassword, fields.ftpPasswordAgain))
        throw StockAccountError("Passwords mismatch");
    db_.SetStockEnabled(stock.StockId, fields.enabled);
    if (stock.FtpEnabled)
        db_.SetStockFtpLogin(stock.StockId, fields.ftpLogin, fields.ftpPassword);
    else
        db_.SetStockFtpLogin(stock.StockId, "", "");
    db_.SetStockWebLogin(stock.StockId, fields.webLogin, fields.webPassword);
}

void StockAccountEditor::remove(int32_t stockId) {
    db_.DeleteStock(stockId);
}

void StockAccountEditor::setField(const std::string& stockName, const std::string& key,
                                  const std::string& value) {
    TStock stock = stockNamed(stockName);
    std::string field = toLowerAscii(key);
    bool ftpAccount = field == "login" || field == "password";
    if (ftpAccount && !stock.FtpEnabled)
        throw StockAccountError("Stock " + stock.Name + " has no FTP upload");
    if (field == "login")
        db_.SetStockFtpLogin(stock.StockId, value, stock.FtpPassword);
    else if (field == "password")
        db_.SetStockFtpLogin(stock.StockId, stock.FtpLogin, value);
    else if (field == "weblogin")
        db_.SetStockWebLogin(stock.StockId, value, stock.WebPassword);
    else if (field == "webpassword")
        db_.SetStockWebLogin(stock.StockId, stock.WebLogin, value);
    else if (field == "enabled")
        db_.SetStockEnabled(stock.StockId, parseSwitch(value));
    else if (field == "ftpenabled") {
        bool enabled = parseSwitch(value);
        db_.SetStockFtpServer(stock.StockId, enabled, stock.FtpHost);
        if (!enabled) // as the dialog saves a stock without FTP
            db_.SetStockFtpLogin(stock.StockId, "", "");
    } else if (field == "ftphost")
        db_.SetStockFtpServer(stock.StockId, stock.FtpEnabled, trim(value));
    else if (field == "url")
        db_.SetStockUrl(stock.StockId, trim(value));
    else
        throw StockAccountError("Unknown stock field " + key +
                                " (login, password, weblogin, webpassword, enabled, ftpenabled, "
                                "ftphost or url)");
}

std::string StockAccountEditor::deleteQuestion(const std::string& stockName) {
    return "Do you want to delete " + stockName + " stock?";
}

std::optional<std::string> StockAccountEditor::signInAddress(const TStock& stock) {
    std::string address = trim(stock.Url);
    if (address.empty())
        return std::nullopt;
    std::string lower = toLowerAscii(address);
    if (lower.starts_with("http://") || lower.starts_with("https://"))
        return address;
    if (hasScheme(lower))
        return std::nullopt; // another scheme: file:, javascript:, mailto: ...
    return "http://" + address;
}

bool StockAccountEditor::parseSwitch(const std::string& text) {
    std::string value = toLowerAscii(trim(text));
    if (value == "1" || value == "true" || value == "yes" || value == "on")
        return true;
    if (value == "0" || value == "false" || value == "no" || value == "off")
        return false;
    throw StockAccountError("Not a switch value: " + text + " (1 or 0)");
}

} // namespace orvella
