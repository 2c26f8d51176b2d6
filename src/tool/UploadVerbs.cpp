// upload-ready: sends every file that is ready to upload, as the Uploads page
// would, and prints the lines the page would show. For scripts and cron.
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/Options.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"
#include "tool/ConsolePrompts.h"
#include "tool/ToolVerbs.h"
#include "upload/FTPUploader.h"
#include "upload/FtpExchangeLog.h"
#include "upload/UploadList.h"
#include "upload/UploadWindow.h"

#include <cstdio>

namespace orvella::tool {

namespace {

class PrintingWindow : public UploadWindow {
public:
    void PostLine(const std::string& line) override {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
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
    std::vector<std::string> missing = AddCheckedEntries(*uploader, ReadyUploadEntries(db), db);
    for (const std::string& file : missing)
        std::fprintf(stderr, "%s: the file is missing; it was not uploaded\n", file.c_str());
    uploader->Execute();
    return uploader->NotUploadedCount() == 0 && missing.empty() ? 0 : 2;
}

ToolVerbRegistration uploadReadyVerb{{"upload-ready", "[PROGRAM_FOLDER]", uploadReady}};

} // namespace

} // namespace orvella::tool
