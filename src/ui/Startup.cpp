#include "ui/Startup.h"

#include "catalogue/StockDB.h"
#include "shell/CommandLine.h"
#include "shell/Folders.h"
#include "shell/Layout.h"
#include "shell/Log.h"
#include "shell/SettingsStore.h"
#include "shell/SingleInstance.h"
#include "shell/SystemReport.h"
#include "shell/Version.h"
#include "ui/Links.h"
#include "ui/OrvellaApplication.h"
#include "ui/QtPrompts.h"
#include "ui/SplashWindow.h"
#include "ui/StartupState.h"
#include "ui/TdmMain.h"
#include "ui/TerminationSignals.h"
#include "ui/TfrmMain.h"

#include <QWidget>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace orvella {

namespace {

std::string catalogueFailureMessage() {
    return std::string("MDAC error. Try to reinstall MDAC from ") + kDataAccessVendorSite +
           " Application will be closed.";
}

// Shown as a message box and, for whoever started the program from a
// terminal or a script, on standard error too.
void reportCatalogueFailure(const ECatalogueOpenError& error) {
    // A catalogue held by another process is no broken installation: say so.
    std::string message = dynamic_cast<const ECatalogueInUseError*>(&error) != nullptr
                              ? std::string(error.what()) + ". Application will be closed."
                              : catalogueFailureMessage();
    std::fprintf(stderr, "%s\n(%s)\n", message.c_str(), error.what());
    if (!TerminationSignals::requested())
        QtPrompts().showMessage(message);
}

void applyLogSwitch(TdmMain& dataModule) {
    appLog().WriteSystemReport(systemReportLines(readMachineFacts()));
    logAlways("Connection string: " + dataModule.Connection().ConnectionString());
    appLog().SetLogEnabled(true);
}

void applySqlSwitch(TdmMain& dataModule, const std::string& statement) {
    try {
        TStockDBObject(dataModule.Connection()).ExecuteStatement(statement);
        logAlways("executed SQL operator " + statement);
    } catch (const std::exception&) {
        logAlways("SQL failed");
    }
}

// The folder tree opens on the folder of the command line, or on a first
// start on the pictures folder, by making it the saved folder of the layout.
void applyStartFolder(const SettingsStore& store, const CommandLine& commandLine) {
    std::string saved = store.readText(kMainWindowSection, "Directory", "");
    std::optional<std::filesystem::path> folder =
        startFolder(commandLine, saved, "/", picturesFolderFromEnvironment());
    if (folder && folder->string() != saved)
        store.writeText(kMainWindowSection, "Directory", folder->string());
}

// Closes what is open when a termination signal arrives: the main window
// (its closing is the orderly end), or during start-up a modal box.
void onTermination(TfrmMain* window) {
    if (window && window->isVisible()) {
        window->close();
        return;
    }
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
}

struct Session {
    TFolders folders = foldersFromEnvironment();
    SettingsStore store{folders.ProgramFolder(), registryFileFromEnvironment()};
    StartupState startup;
    QtPrompts prompts;
    std::unique_ptr<TdmMain> dataModule;
    std::unique_ptr<TfrmMain> window;
};

// The command line with its folder made absolute against the caller's
// working folder, or dropped with a message when there is no such folder.
CommandLine commandLineOf(int argc, char** argv) {
    CommandLine commandLine = CommandLine::parse({argv + std::min(argc, 1), argv + argc});
    if (!commandLine.folder.empty()) {
        std::error_code error;
        std::optional<std::filesystem::path> folder =
            folderToOpen(commandLine.folder, std::filesystem::current_path(error));
        if (!folder)
            std::fprintf(stderr, "orvella: no such folder: %s\n", commandLine.folder.c_str());
        commandLine.folder = folder ? folder->string() : std::string();
    }
    return commandLine;
}

int runStartedCopy(int argc, char** argv, SingleInstance& instance) {
    Session session;
    AppLogSession log(session.folders.ProgramFolder() / "LogFile.log");
    OrvellaApplication application(argc, argv);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested,
                     [&session] { onTermination(session.window.get()); });

    auto splash = std::make_unique<SplashWindow>();
    splash->show();
    splash->setProgress(20);
    QApplication::setApplicationName(kApplicationTitle);
    splash->setProgress(30);
    instance.listen();

    // The command line is read before the program folder becomes the
    // working folder: a relative folder argument means the caller's folder.
    CommandLine commandLine = commandLineOf(argc, argv);
    if (::chdir(session.folders.ProgramFolder().c_str()) != 0)
        std::perror("cannot enter the program folder");
    try {
        session.dataModule =
            std::make_unique<TdmMain>(&application, TCatalogueConnection::kFileName);
    } catch (const ECatalogueOpenError& error) {
        splash.reset();
        reportCatalogueFailure(error);
        return 1;
    }
    applyStartFolder(session.store, commandLine);
    if (commandLine.active == CommandLine::Switch::Log)
        applyLogSwitch(*session.dataModule);
    else if (commandLine.active == CommandLine::Switch::Sql)
        applySqlSwitch(*session.dataModule, commandLine.sqlStatement);
    splash->setProgress(40);

    session.window = std::make_unique<TfrmMain>(*session.dataModule, session.folders, session.store,
                                                session.startup, session.prompts);
    logGuarded("Main form created");
    if (commandLine.active == CommandLine::Switch::Debug) {
        session.window->EnableDebugMode();
        splash->setProgress(60);
        logGuarded("Debug mode");
    }
    splash->setProgress(90);
    splash.reset();

    QObject::connect(&instance, &SingleInstance::activationRequested, session.window.get(),
                     [window = session.window.get()](const QString& folder) {
                         window->RestoreOrRaise();
                         if (!folder.isEmpty())
                             window->SelectFolder(folder);
                     });
    session.startup.AppStarted = true;
    session.startup.RestoreFolderPending = true;
    session.window->ShowAsLaidOut();
    int status = 0;
    if (TerminationSignals::requested())
        session.window->close(); // asked to stop while starting
    else
        status = application.exec();
    session.window.reset();
    session.dataModule.reset();
    return status;
}

} // namespace

int runOrvella(int argc, char** argv) {
    // --help and --version answer without a window, a log or a lock.
    CommandLine early = CommandLine::parse({argv + std::min(argc, 1), argv + argc});
    if (early.active == CommandLine::Switch::Help) {
        std::fputs(commandLineHelp().c_str(), stdout);
        return 0;
    }
    if (early.active == CommandLine::Switch::Version) {
        std::fputs(versionText().c_str(), stdout);
        return 0;
    }
    // A later copy hands over to the running one before it touches anything,
    // the log included; a folder it was given opens in the running copy.
    SingleInstance instance(runtimeFolderFromEnvironment());
    if (!instance.acquire())
        return instance.askRunningCopyToActivate(
                   QString::fromStdString(commandLineOf(argc, argv).folder))
                   ? 0
                   : 1;
    TerminationSignals::install();
    return runStartedCopy(argc, argv, instance);
}

} // namespace orvella
