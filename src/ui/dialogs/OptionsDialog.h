#pragma once

#include "catalogue/StockDB.h"
#include "shell/OptionSettings.h"

#include <QDialog>

#include <functional>
#include <map>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace orvella {

class Prompts;
class SettingsStore;
class StockAccountEditor;

// The options dialog: the stock accounts, written to the catalogue at once by
// their own buttons, and the settings, written to the store on OK only. What
// OK changes in the main window is done by whoever shows the dialog.
class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    using AddressOpener = std::function<void(const std::string&)>;

    TfrmOptions(TStockDBObject& db, const SettingsStore& store, Prompts& prompts,
                QWidget* parent = nullptr);
    ~TfrmOptions() override;

    // "Sign in now!" opens addresses through this (the desktop's handler by default).
    void setAddressOpener(AddressOpener opener) { openAddress_ = std::move(opener); }
    // The settings as the controls hold them.
    OptionSettings settings() const;

    // Shows the page of the navigation node (0 to 5).
    void showPage(int page);

    void accept() override;

    static QColor mismatchColour() { return QColor(255, 128, 128); }

signals:
    // A stock was saved, added or deleted: the window's stock list is stale.
    void stocksChanged();

private:
    QWidget* buildStocksPage();
    QWidget* buildCheckPage(const QString& heading, const std::vector<const char*>& keys);
    QWidget* buildProxyPage();
    QWidget* buildTabsPage();
    QCheckBox* settingBox(const char* key, QWidget* parent);
    QLineEdit* lineEdit(const char* name, bool masked, QWidget* parent);

    void fillStockList();
    void selectStock();
    const TStock* selectedStock() const;
    void accountEdited();
    void clearAccountFields();
    void saveStock();
    void addStock();
    void deleteStock();
    void signIn();

    void loadSettings();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void validatePair(QLineEdit* first, QLineEdit* second);
    bool validatePort();
    void paint(QLineEdit* field, const QColor& colour);

    TStockDBObject& db_;
    const SettingsStore& store_;
    Prompts& prompts_;
    std::unique_ptr<StockAccountEditor> editor_;
    AddressOpener openAddress_;
    TStockList stocks_; // the records behind the list entries
    OptionSettings loaded_;

    QTreeWidget* navigation_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QListWidget* ListViewStocks = nullptr;
    QGroupBox* ftpGroup_ = nullptr;
    QGroupBox* webGroup_ = nullptr;
    QLineEdit* edtLogin = nullptr;
    QLineEdit* edtPassword = nullptr;
    QLineEdit* edtPassword2 = nullptr;
    QLineEdit* edSLogin = nullptr;
    QLineEdit* edSPass1 = nullptr;
    QLineEdit* edSPass2 = nullptr;
    QCheckBox* cbEnabled = nullptr;
    QPushButton* btnSave = nullptr;
    QLabel* lblSignIn = nullptr;
    QPushButton* btnDelete = nullptr;
    QLineEdit* edtStock = nullptr;
    QLineEdit* edtHost = nullptr;
    QLineEdit* edtURL = nullptr;
    QCheckBox* cbFTPEnabled = nullptr;
    QPushButton* btnStock = nullptr;
    QLineEdit* edtPPort = nullptr;
    QLineEdit* edtPURL = nullptr;
    QLineEdit* edtPLogin = nullptr;
    QLineEdit* edtPPass = nullptr;
    QLineEdit* edtPPass2 = nullptr;
    std::map<std::string, QCheckBox*> settingBoxes_;
};

} // namespace orvella
