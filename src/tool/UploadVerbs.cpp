// upload-ready: sends every file that is ready to upload, as the Uploads page
// would, and prints the lines the page would show. For scripts and cron.
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/Options.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"
#include "tool/ToolVerbs.h"
#include "upload/FTPUploader.h"
#include "upload/FtpExchangeLog.h"
#include "upload/UploadList.h"
#include "upload/UploadWindow.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace orvella::tool {

namespace {

class PrintingWindow : public UploadWindow {
public:
    void PostLine(const std::string& line) override {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
};

// Questions are asked on the terminal; without one (cron) every question is
// cancelled, so nothing waits for an answer that cannot come.
class ConsolePrompts : public Prompts {
public:
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool confirm(const std::string& text) override {
        std::optional<std::string> answer = askText("", text + " [y/N]", "");
        return answer && (*answer == "y" || *answer == "Y");
    }
    std::optional<std::string> askText(const std::string&, const std::string& prompt,
                                       const std::string& initial) override {
        if (!isatty(STDIN_FILENO))
            return std::nullopt;
        std::fprintf(stderr, "%s%s ", prompt.c_str(),
                     initial.empty() ? "" : (" [" + initial + "]").c_str());
        std::string line;
        if (!std::getline(std::cin, line))
            return std::nullopt;
        return line.empty() ? initial : line;
    }
    std::optional<std::string> askPassword(const std::string&, const std::string& prompt) override {
        if (!isatty(STDIN_FILENO))
            return std::nullopt;
        std::fprintf(stderr, "%s ", prompt.c_str());
        termios saved{};
        tcgetattr(STDIN_FILENO, &saved);
        termios hidden = saved;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
        std::string line;
        bool read = static_cast<bool>(std::getline(std::cin, line));
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fprintf(stderr, "\n");
        return read ? std::optional<std::string>(line) : std::nullopt;
    }
    std::optional<std::string> chooseFileToOpen(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::vector<std::string> chooseFilesToOpen(const std::string&, const std::string&) override {
        return {};
    }
    std::optional<std::string> chooseFileToSave(const std::string&, const std::string&,
                                                const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

// Exit status 0 when every listed file was stored, 2 when some were not.
int uploadReady(const std::vector<std::string>& args) {
    if (args.size() > 1)
        throw UsageError("at most one program folder expected");
    std::filesystem::path folder =
        args.empty() ? programFolderFromEnvironment() : std::filesystem::path(args[0]);
    TCatalogueConnection connection(folder / TCatalogueConnection::kFileName);
    SettingsStore store(folder, registryFileFromEnvironment());
    TOptionsCache options(store);
    options.LoadOptions();
    TFtpExchangeLog exchangeLog(folder / "FTPLog.log");
    exchangeLog.SetEnabled(options.GetOption("EnableFTPLogging").toBool());
    TStockDBObject db(connection);
    PrintingWindow window;
    ConsolePrompts prompts;

    auto uploader = std::make_shared<TFTPUploader>(connection, store);
    uploader->SetWindow(&window);
    uploader->SetPrompts(&prompts);
    uploader->SetOptions(&options);
    uploader->SetExchangeLog(&exchangeLog);
    uploader->LoadParameters();
    AddCheckedEntries(*uploader, ReadyUploadEntries(db), db);
    uploader->Execute();
    return uploader->NotUploadedCount() == 0 ? 0 : 2;
}

ToolVerbRegistration uploadReadyVerb{{"upload-ready", "[PROGRAM_FOLDER]", uploadReady}};

} // namespace

} // namespace orvella::tool
