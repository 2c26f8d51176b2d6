#pragma once

#include "catalogue/StockDB.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace orvella {

// A refusal to be shown to the user as it is ("Passwords mismatch").
class StockAccountError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the account fields of the options dialog hold when a stock is saved.
struct StockAccountFields {
    bool enabled = false;
    std::string ftpLogin;
    std::string ftpPassword;
    std::string ftpPasswordAgain;
    std::string webLogin;
    std::string webPassword; // the retyped web password is only compared on screen
};

// The editing of the user's agency accounts, shared by the options dialog and
// the stock verbs of orvella-tool. Changes go to the catalogue at once.
class StockAccountEditor {
public:
    explicit StockAccountEditor(TStockDBObject& db) : db_(db) {}

    // Every stock, enabled or not, in stock-ID order.
    TStockList stocks();
    // The stock of that name (letter case ignored); throws StockAccountError.
    TStock stockNamed(const std::string& name);

    // Adds a stock (not yet enabled unless the catalogue's default says so)
    // and gives its id. A blank name is refused with "Input stock name!", a
    // name already in use too, since stocks are looked up by name.
    int32_t add(const std::string& name, const std::string& url, bool ftpEnabled,
                const std::string& ftpHost);
    // Writes the enabled flag, the FTP login and password (empty for a stock
    // without FTP) and the web login and password. Two different FTP
    // passwords are refused with "Passwords mismatch" and nothing is written.
    void save(const TStock& stock, const StockAccountFields& fields);
    // Deletes the stock with every submission state at it.
    void remove(int32_t stockId);

    // One field by the names the stock-set verb takes: login, password,
    // weblogin, webpassword, enabled, ftpenabled, ftphost, url.
    void setField(const std::string& stockName, const std::string& key, const std::string& value);

    static std::string deleteQuestion(const std::string& stockName);
    static bool passwordsMatch(const std::string& first, const std::string& second) {
        return first == second;
    }
    // The web address "Sign in now!" opens: http or https only (an address
    // without a scheme is taken as http); no value for anything else.
    static std::optional<std::string> signInAddress(const TStock& stock);
    // "1", "0", "true", "false", "yes", "no", "on", "off"; throws otherwise.
    static bool parseSwitch(const std::string& text);

private:
    TStockDBObject& db_;
};

} // namespace orvella
