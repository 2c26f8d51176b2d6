// The agency accounts and the settings of the options dialog, for scripted
// set-up: stock-add, stock-set, stocks, options and option-set. Passwords go
// in, never out.
#include "catalogue/Connection.h"
#include "catalogue/StockAccountEditor.h"
#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/OptionSettings.h"
#include "shell/SettingsStore.h"
#include "shell/TextUtil.h"
#include "tool/ToolVerbs.h"

#include <cctype>
#include <cstdio>
#include <iostream>

namespace orvella::tool {

namespace {

namespace fs = std::filesystem;

fs::path programFolder() {
    return programFolderFromEnvironment();
}

// A password given as "-" is read from the first line of standard input, so
// it need not stand on a command line that other users' process lists show.
std::string secretArgument(const std::string& value) {
    if (value != "-")
        return value;
    std::string line;
    if (!std::getline(std::cin, line))
        throw std::runtime_error("no password on standard input");
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool isSecret(const std::string& key) {
    std::string lower = toLowerAscii(key);
    return lower == "password" || lower == "webpassword" || lower == "proxypass";
}

// The catalogue of the program folder with the stock editor on it.
struct Accounts {
    explicit Accounts(const fs::path& folder = programFolder())
        : connection(folder / TCatalogueConnection::kFileName), db(connection) {}
    TCatalogueConnection connection;
    TStockDBObject db;
    StockAccountEditor editor{db};
};

int stockAdd(const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3)
        throw UsageError("name and FTP host expected");
    Accounts accounts;
    std::string host = trim(args[1]);
    int32_t id = accounts.editor.add(args[0], args.size() > 2 ? args[2] : "", !host.empty(), host);
    std::printf("%d\n", id);
    return 0;
}

int stockSet(const std::vector<std::string>& args) {
    if (args.size() != 3)
        throw UsageError("name, field and value expected");
    Accounts accounts;
    accounts.editor.setField(args[0], args[1],
                             isSecret(args[1]) ? secretArgument(args[2]) : args[2]);
    return 0;
}

// One line per stock: id, name, enabled, FTP enabled, FTP host, by tabs.
int listStocks(const std::vector<std::string>& args) {
    if (args.size() > 1)
        throw UsageError("at most one program folder expected");
    Accounts accounts(args.empty() ? programFolder() : fs::path(args[0]));
    for (const TStock& stock : accounts.editor.stocks())
        std::printf("%d\t%s\t%d\t%d\t%s\n", stock.StockId, stock.Name.c_str(),
                    stock.Enabled ? 1 : 0, stock.FtpEnabled ? 1 : 0, stock.FtpHost.c_str());
    return 0;
}

SettingsStore settingsStore(const fs::path& folder = programFolder()) {
    return SettingsStore(folder, registryFileFromEnvironment());
}

// KEY=VALUE for every setting of the options dialog; a proxy password only
// says that there is one.
int listOptions(const std::vector<std::string>& args) {
    if (args.size() > 1)
        throw UsageError("at most one program folder expected");
    OptionSettings settings =
        OptionSettings::load(settingsStore(args.empty() ? programFolder() : fs::path(args[0])));
    for (const auto& [key, value] : settings.values()) {
        std::string shown = key == "ProxyPass" && !value.empty() ? "****" : value;
        std::printf("%s=%s\n", key.c_str(), shown.c_str());
    }
    return 0;
}

// Changes one setting and saves them all as the dialog's OK does, to the
// store that UseINI names.
int setOption(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError("key and value expected");
    SettingsStore store = settingsStore();
    OptionSettings settings = OptionSettings::load(store);
    settings.setFromText(args[0], isSecret(args[0]) ? secretArgument(args[1]) : args[1]);
    settings.save(store);
    return 0;
}

ToolVerbRegistration stockAddVerb{{"stock-add", "NAME FTPHOST [URL]", stockAdd}};
ToolVerbRegistration stockSetVerb{
    {"stock-set",
     "NAME KEY VALUE (KEY: login, password, weblogin, webpassword, enabled, ftpenabled, ftphost, "
     "url)",
     stockSet}};
ToolVerbRegistration stocksVerb{{"stocks", "[PROGRAM_FOLDER]", listStocks}};
ToolVerbRegistration optionsVerb{{"options", "[PROGRAM_FOLDER]", listOptions}};
ToolVerbRegistration optionSetVerb{{"option-set", "KEY VALUE", setOption}};

} // namespace

} // namespace orvella::tool
