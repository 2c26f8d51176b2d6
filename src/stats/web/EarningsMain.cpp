// orvella-earnings: the earnings reader without a window, on the catalogue and
// settings of a program folder. It waits until every agency has finished or
// was discarded, then prints one line per enabled stock: name, balance, sales.
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "shell/Folders.h"
#include "shell/SettingsStore.h"
#include "stats/EarningsReader.h"
#include "stats/web/QtWebBrowser.h"

#include <QGuiApplication>
#include <QTimer>

#include <cstdio>
#include <exception>

using namespace orvella;

namespace {

class SilentView : public EarningsView {
public:
    void earningsStarted() override {}
    void showEarnings(const std::string&, const std::string&, const std::string&) override {}
    void agencyFinished() override {}
};

int readEarnings(const std::filesystem::path& folder) {
    TCatalogueConnection connection(folder / TCatalogueConnection::kFileName);
    SettingsStore store(folder, registryFileFromEnvironment());
    SettingsSnapshot settings = store.read();
    TStockDBObject catalogue(connection);
    SilentView view;
    QtWebBrowsers browsers;
    TStockStat reader(catalogue, browsers, view, agencySites(&settings));
    reader.setTimeout(
        std::chrono::seconds(settings.integer(AgencySettingsSection, AgencyTimeoutKey, 120)));
    reader.Start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        reader.DiscardStale();
        if (!reader.Running())
            QCoreApplication::quit();
    });
    watch.start(100);
    if (reader.Running())
        QCoreApplication::exec();
    for (const TAgencyRecord& record : reader.Records())
        std::printf("%s\t%s\t%s\n", record.Name.c_str(), record.Balance.c_str(),
                    record.Sales.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    prepareWebEngineEnvironment();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication application(argc, argv);
    if (argc > 2) {
        std::fprintf(stderr, "usage: orvella-earnings [PROGRAM_FOLDER]\n");
        return 1;
    }
    try {
        return readEarnings(argc == 2 ? std::filesystem::path(argv[1])
                                      : programFolderOfRunningExecutable());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvella-tool earnings: %s\n", error.what());
        return 1;
    }
}
