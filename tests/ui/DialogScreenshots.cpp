// Writes a picture of every page of the options dialog, of the SQL console and
// of the debug window, over a fresh catalogue with two sample stocks whose
// passwords show masked.
// Usage: orvella-dialog-screenshots PROGRAM_FOLDER OUTPUT_FOLDER
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "shell/SettingsStore.h"
#include "support/ScriptedPrompts.h"
#include "ui/OrvellaApplication.h"
#include "ui/dialogs/DebugWindow.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/SqlConsole.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace orvella;

int main(int argc, char** argv) {
    if (argc != 3)
        return 1;
    OrvellaApplication application(argc, argv);
    std::filesystem::path program = argv[1];
    QString output = argv[2];
    TCatalogueConnection connection(program / TCatalogueConnection::kFileName);
    TStockDBObject db(connection);
    if (db.GetStocks(false).empty()) {
        db.AddStock("Pixel Market", "https://pixel.example", true, "ftp.pixel.example");
        db.SetStockFtpLogin(0, "contributor", "ftp password");
        db.SetStockWebLogin(0, "contributor", "web password");
        db.AddStock("Vector Shop", "https://vector.example", false, "");
    }
    SettingsStore store(program, program / "registry.ini");
    store.writeText("Options", "ProxyURL", "proxy.example");
    store.writeText("Options", "ProxyPort", "3128");
    store.writeText("Options", "ProxyPass", "proxy password");
    test::ScriptedPrompts prompts;

    TfrmOptions dialog(db, store, prompts);
    dialog.show();
    dialog.findChild<QListWidget*>("ListViewStocks")->setCurrentRow(0);
    static const char* const names[] = {"stocks",   "preferences", "portable",
                                        "security", "proxy",       "tabs"};
    for (int page = 0; page < 6; ++page) {
        dialog.showPage(page);
        QTest::qWait(100);
        dialog.grab().save(QString("%1/options-%2.png").arg(output, names[page]));
    }

    TfrmSQL console(connection);
    console.show();
    console.findChild<QPlainTextEdit*>("memSQL")->setPlainText(
        "select STOCK_ID, STOCKNAME, FTPURL, ENABLED from STOCK");
    console.Browse();
    QTest::qWait(100);
    console.grab().save(output + "/sql-console.png");

    std::string key(32, 'A');
    db.AddImage({key, "sunset.jpg", 2485310, "/home/me/Pictures", "/home/me/Pictures/sunset.jpg"});
    db.SetState(0, key, 2);
    TfrmDebug debug(db);
    debug.show();
    debug.ShowImage(key, "sunset.jpg", "/home/me/Pictures", "/home/me/Pictures/sunset.jpg",
                    2485310);
    QTest::qWait(100);
    debug.grab().save(output + "/debug-window.png");
    db.DeleteImage(key);
    return 0;
}
