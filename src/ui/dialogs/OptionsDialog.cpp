#include "ui/dialogs/OptionsDialog.h"

#include "catalogue/StockAccountEditor.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "shell/SettingsStore.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace orvella {

namespace {

struct SettingCaption {
    const char* key;
    const char* caption;
};

const SettingCaption kCaptions[] = {
    {"UploadRelease", "Upload model release with a picture"},
    {"MoveFiles", "Move files when drag and drop it"},
    {"Overwrite", "Overwrite existing files"},
    {"HideMissingFiles", "Hide missing files"},
    {"HideSkin", "Disable skin"},
    {"ExplorerMenu", "Use Explorer menu for files"},
    {"JPEGPreview", "Show preview based on JPEG for AI, SVG, EPS"},
    {"FullScan", "Make full scan of new folders"},
    {"ClearRO", "Clear R/O attribute when processing files"},
    {"KeywordsAlphaSort", "ALWAYS sort keywords alphabetically"},
    {"LocalFolder", "Save image previews in the program folder"},
    {"UseINI", "Save program settings in INI file in the program folder"},
    {"EnableFTPLogging", "Enable FTP logging"},
    {"Ask password", "Ask FTP password before connection"},
    {"UseProxy", "Use proxy for FTP connection"},
    {"tabcatalog", "Show Catalog tab"},
    {"tabstocks", "Show Stocks tab"},
    {"tabuploads", "Show Uploads tab"},
    {"tabstockinfo", "Show Stock info tab"},
    {"tabimageinfo", "Show Image Info tab"},
    {"tabkeywords", "Show Keywords tab"},
    {"tabfiles2", "Show Files tab"},
    {"tabmodel", "Show Model Release tab"},
};

QString captionOf(const char* key) {
    for (const SettingCaption& entry : kCaptions)
        if (std::string(entry.key) == key)
            return QString::fromUtf8(entry.caption);
    return QString::fromUtf8(key);
}

// "cb" and the key without its blanks: cbUploadRelease, cbAskpassword.
QString boxName(const char* key) {
    return QStringLiteral("cb") + QString::fromUtf8(key).remove(QLatin1Char(' '));
}

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    label->setFont(font);
    return label;
}

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}
std::string text(const QLineEdit* field) {
    return field->text().toStdString();
}

const char* const kNodes[] = {"Photo Stock", "Preferences", "Portable support",
                              "Security",    "FTP Proxy",   "Tab Manager"};

} // namespace

TfrmOptions::TfrmOptions(TStockDBObject& db, const SettingsStore& store, Prompts& prompts,
                         QWidget* parent)
    : QDialog(parent), db_(db), store_(store), prompts_(prompts),
      editor_(std::make_unique<StockAccountEditor>(db)),
      openAddress_([](const std::string& address) {
          QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
      }) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    navigation_ = new QTreeWidget(this);
    navigation_->setObjectName(QStringLiteral("tvNavigation"));
    navigation_->setHeaderHidden(true);
    navigation_->setRootIsDecorated(false);
    navigation_->setFixedWidth(150);
    for (const char* node : kNodes)
        navigation_->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromUtf8(node)}));

    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("pcOptions"));
    pages_->addWidget(buildStocksPage());
    pages_->addWidget(buildCheckPage(QStringLiteral("Preferences"),
                                     {"UploadRelease", "MoveFiles", "Overwrite", "HideMissingFiles",
                                      "HideSkin", "ExplorerMenu", "JPEGPreview", "FullScan",
                                      "ClearRO", "KeywordsAlphaSort"}));
    pages_->addWidget(
        buildCheckPage(QStringLiteral("Portable support"), {"LocalFolder", "UseINI"}));
    pages_->addWidget(
        buildCheckPage(QStringLiteral("Security"), {"EnableFTPLogging", "Ask password"}));
    pages_->addWidget(buildProxyPage());
    pages_->addWidget(buildTabsPage());
    static const char* const pageNames[] = {"tsStocks",   "tsPreferences", "tsPortable",
                                            "tsSecurity", "tsProxy",       "tsTabs"};
    for (int i = 0; i < pages_->count(); ++i)
        pages_->widget(i)->setObjectName(QString::fromUtf8(pageNames[i]));
    connect(navigation_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            pages_->setCurrentIndex(navigation_->indexOfTopLevelItem(item));
    });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &TfrmOptions::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmOptions::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(navigation_);
    body->addWidget(pages_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed border

    fillStockList();
    loadSettings();
    showPage(0);
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::showPage(int page) {
    navigation_->setCurrentItem(navigation_->topLevelItem(page));
}

QLineEdit* TfrmOptions::lineEdit(const char* name, bool masked, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromUtf8(name));
    if (masked)
        field->setEchoMode(QLineEdit::Password);
    return field;
}

QWidget* TfrmOptions::buildStocksPage() {
    auto* page = new QWidget;
    ListViewStocks = new QListWidget(page);
    ListViewStocks->setObjectName(QStringLiteral("ListViewStocks"));
    ListViewStocks->setFixedWidth(140);
    connect(ListViewStocks, &QListWidget::currentRowChanged, this, [this] { selectStock(); });

    ftpGroup_ = new QGroupBox(QStringLiteral("FTP account"), page);
    ftpGroup_->setObjectName(QStringLiteral("gbFTP"));
    edtLogin = lineEdit("edtLogin", false, ftpGroup_);
    edtPassword = lineEdit("edtPassword", true, ftpGroup_);
    edtPassword2 = lineEdit("edtPassword2", true, ftpGroup_);
    auto* ftpForm = new QFormLayout(ftpGroup_);
    ftpForm->addRow(QStringLiteral("FTP Login"), edtLogin);
    ftpForm->addRow(QStringLiteral("FTP Password"), edtPassword);
    ftpForm->addRow(QStringLiteral("Retype Password"), edtPassword2);

    webGroup_ = new QGroupBox(QStringLiteral("Web account"), page);
    webGroup_->setObjectName(QStringLiteral("gbWeb"));
    edSLogin = lineEdit("edSLogin", false, webGroup_);
    edSPass1 = lineEdit("edSPass1", true, webGroup_);
    edSPass2 = lineEdit("edSPass2", true, webGroup_);
    auto* webForm = new QFormLayout(webGroup_);
    webForm->addRow(QStringLiteral("Stock Login"), edSLogin);
    webForm->addRow(QStringLiteral("Stock Password*"), edSPass1);
    webForm->addRow(QStringLiteral("Retype Password*"), edSPass2);
    webForm->addRow(new QLabel(QStringLiteral("* - For reading financial info only"), webGroup_));

    cbEnabled = new QCheckBox(QStringLiteral("Stock Enabled"), page);
    cbEnabled->setObjectName(QStringLiteral("cbEnabled"));
    cbEnabled->setToolTip(QStringLiteral("Shows availability of the stock in the stock list"));
    btnSave = new QPushButton(QStringLiteral("Save stock data"), page);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    lblSignIn = new QLabel(QStringLiteral("<a href=\"signin\">Sign in now!</a>"), page);
    lblSignIn->setObjectName(QStringLiteral("lblSignIn"));
    btnDelete = new QPushButton(QStringLiteral("Delete stock"), page);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));

    auto* addGroup = new QGroupBox(QStringLiteral("Add new stock"), page);
    addGroup->setObjectName(QStringLiteral("gbAddStock"));
    edtStock = lineEdit("edtStock", false, addGroup);
    edtHost = lineEdit("edtHost", false, addGroup);
    edtURL = lineEdit("edtURL", false, addGroup);
    cbFTPEnabled = new QCheckBox(QStringLiteral("FTP enabled for the stock"), addGroup);
    cbFTPEnabled->setObjectName(QStringLiteral("cbFTPEnabled"));
    btnStock = new QPushButton(QStringLiteral("Add new stock"), addGroup);
    btnStock->setObjectName(QStringLiteral("btnStock"));
    auto* addForm = new QFormLayout(addGroup);
    addForm->addRow(QStringLiteral("Stock name"), edtStock);
    addForm->addRow(QStringLiteral("FTP host"), edtHost);
    addForm->addRow(QStringLiteral("HTTP URL"), edtURL);
    auto* addButtons = new QHBoxLayout;
    addButtons->addWidget(cbFTPEnabled);
    addButtons->addStretch(1);
    addButtons->addWidget(btnStock);
    addForm->addRow(addButtons);

    auto* stockButtons = new QHBoxLayout;
    stockButtons->addWidget(btnSave);
    stockButtons->addWidget(lblSignIn);
    stockButtons->addStretch(1);
    stockButtons->addWidget(btnDelete);
    auto* account = new QVBoxLayout;
    account->addWidget(ftpGroup_);
    account->addWidget(webGroup_);
    account->addWidget(cbEnabled);
    account->addLayout(stockButtons);
    auto* top = new QHBoxLayout;
    top->addWidget(ListViewStocks);
    top->addLayout(account, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(addGroup);

    for (QLineEdit* field : {edtLogin, edtPassword, edtPassword2, edSLogin, edSPass1, edSPass2})
        connect(field, &QLineEdit::textEdited, this, [this] { accountEdited(); });
    connect(cbEnabled, &QCheckBox::clicked, this, [this] { accountEdited(); });
    for (QLineEdit* field : {edtPassword, edtPassword2, edSPass1, edSPass2})
        field->installEventFilter(this);
    connect(btnSave, &QPushButton::clicked, this, [this] { saveStock(); });
    connect(btnStock, &QPushButton::clicked, this, [this] { addStock(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { deleteStock(); });
    connect(lblSignIn, &QLabel::linkActivated, this, [this] { signIn(); });
    return page;
}

QCheckBox* TfrmOptions::settingBox(const char* key, QWidget* parent) {
    auto* box = new QCheckBox(captionOf(key), parent);
    box->setObjectName(boxName(key));
    settingBoxes_[key] = box;
    return box;
}

QWidget* TfrmOptions::buildCheckPage(const QString& title, const std::vector<const char*>& keys) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(title, page));
    for (const char* key : keys)
        layout->addWidget(settingBox(key, page));
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildProxyPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("FTP Proxy"), page));
    layout->addWidget(settingBox("UseProxy", page));
    edtPPort = lineEdit("edtPPort", false, page);
    edtPURL = lineEdit("edtPURL", false, page);
    edtPLogin = lineEdit("edtPLogin", false, page);
    edtPPass = lineEdit("edtPPass", true, page);
    edtPPass2 = lineEdit("edtPPass2", true, page);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Proxy port"), edtPPort);
    form->addRow(QStringLiteral("Proxy URL"), edtPURL);
    form->addRow(QStringLiteral("Proxy login"), edtPLogin);
    form->addRow(QStringLiteral("Password"), edtPPass);
    form->addRow(QStringLiteral("Repeat\npassword"), edtPPass2);
    layout->addLayout(form);
    layout->addStretch(1);
    for (QLineEdit* field : {edtPPort, edtPPass, edtPPass2})
        field->installEventFilter(this);
    return page;
}

QWidget* TfrmOptions::buildTabsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("Tab Manager"), page));
    auto* files = new QCheckBox(QStringLiteral("Show Files tab"), page);
    files->setObjectName(QStringLiteral("cbTabFiles"));
    files->setChecked(true);
    files->setEnabled(false); // the left Files page is always shown
    layout->addWidget(files);
    for (const char* key : {"tabcatalog", "tabstocks", "tabuploads", "tabstockinfo", "tabimageinfo",
                            "tabkeywords", "tabfiles2", "tabmodel"})
        layout->addWidget(settingBox(key, page));
    layout->addStretch(1);
    return page;
}

// Stock accounts.

void TfrmOptions::fillStockList() {
    ListViewStocks->clear();
    stocks_ = editor_->stocks();
    for (const TStock& stock : stocks_)
        ListViewStocks->addItem(qt(stock.Name));
    selectStock();
}

const TStock* TfrmOptions::selectedStock() const {
    int row = ListViewStocks->currentRow();
    if (row < 0 || row >= static_cast<int>(stocks_.size()) || !ListViewStocks->currentItem() ||
        !ListViewStocks->currentItem()->isSelected())
        return nullptr;
    return &stocks_[static_cast<size_t>(row)];
}

void TfrmOptions::clearAccountFields() {
    for (QLineEdit* field : {edtLogin, edtPassword, edtPassword2, edSLogin, edSPass1, edSPass2})
        field->clear();
    for (QLineEdit* field : {edtPassword, edtPassword2, edSPass1, edSPass2})
        paint(field, palette().color(QPalette::Window));
}

void TfrmOptions::selectStock() {
    {
        const QSignalBlocker blockers[] = {
            QSignalBlocker(edtLogin), QSignalBlocker(edtPassword), QSignalBlocker(edtPassword2),
            QSignalBlocker(edSLogin), QSignalBlocker(edSPass1),    QSignalBlocker(edSPass2),
            QSignalBlocker(cbEnabled)};
        clearAccountFields();
        ftpGroup_->setEnabled(false);
        webGroup_->setEnabled(false);
        cbEnabled->setEnabled(false);
        cbEnabled->setChecked(false);
        btnSave->setEnabled(false);
        const TStock* stock = selectedStock();
        if (!stock)
            return;
        cbEnabled->setEnabled(true);
        cbEnabled->setChecked(stock->Enabled);
        if (stock->FtpEnabled) {
            ftpGroup_->setEnabled(true);
            edtLogin->setText(qt(stock->FtpLogin));
            edtPassword->setText(qt(stock->FtpPassword));
            edtPassword2->setText(qt(stock->FtpPassword));
        }
        edSLogin->setText(qt(stock->WebLogin));
        edSPass1->setText(qt(stock->WebPassword));
        edSPass2->setText(qt(stock->WebPassword));
        webGroup_->setEnabled(true);
    }
    btnSave->setEnabled(false);
}

void TfrmOptions::accountEdited() {
    if (!selectedStock())
        return;
    btnSave->setEnabled(true);
    validatePair(edtPassword, edtPassword2);
    validatePair(edSPass1, edSPass2);
}

void TfrmOptions::saveStock() {
    const TStock* stock = selectedStock();
    if (!stock)
        return;
    StockAccountFields fields{cbEnabled->isChecked(), text(edtLogin), text(edtPassword),
                              text(edtPassword2),     text(edSLogin), text(edSPass1)};
    try {
        editor_->save(*stock, fields);
    } catch (const StockAccountError& refused) {
        prompts_.showMessage(refused.what());
        return;
    }
    ftpGroup_->setEnabled(false);
    webGroup_->setEnabled(false);
    btnSave->setEnabled(false);
    emit stocksChanged();
    fillStockList();
}

void TfrmOptions::addStock() {
    try {
        editor_->add(text(edtStock), text(edtURL), cbFTPEnabled->isChecked(), text(edtHost));
    } catch (const StockAccountError& refused) {
        prompts_.showMessage(refused.what());
        return;
    }
    emit stocksChanged();
    fillStockList();
}

void TfrmOptions::deleteStock() {
    const TStock* stock = selectedStock();
    if (!stock || !prompts_.confirm(StockAccountEditor::deleteQuestion(stock->Name)))
        return;
    editor_->remove(stock->StockId);
    btnSave->setEnabled(false);
    emit stocksChanged();
    fillStockList();
}

void TfrmOptions::signIn() {
    const TStock* stock = selectedStock();
    if (!stock)
        return;
    if (std::optional<std::string> address = StockAccountEditor::signInAddress(*stock))
        openAddress_(*address);
}

// Settings.

void TfrmOptions::loadSettings() {
    loaded_ = OptionSettings::load(store_);
    for (auto& [key, box] : settingBoxes_)
        box->setChecked(loaded_.flag(key));
    edtPPort->setText(qt(loaded_.text("ProxyPort")));
    edtPURL->setText(qt(loaded_.text("ProxyURL")));
    edtPLogin->setText(qt(loaded_.text("ProxyLogin")));
    edtPPass->setText(qt(loaded_.text("ProxyPass")));
}

OptionSettings TfrmOptions::settings() const {
    OptionSettings result = loaded_;
    for (const auto& [key, box] : settingBoxes_)
        result.setFlag(key, box->isChecked());
    std::string port = text(edtPPort);
    result.setText("ProxyPort", OptionSettings::isValidProxyPort(port) ? port : "");
    result.setText("ProxyURL", text(edtPURL));
    result.setText("ProxyLogin", text(edtPLogin));
    result.setText("ProxyPass", text(edtPPass));
    return result;
}

void TfrmOptions::accept() {
    // Enter on the default button leaves no field, so the port is checked here too.
    if (!validatePort()) {
        showPage(4);
        edtPPort->setFocus();
        return;
    }
    logGuarded("Showing options");
    settings().save(store_);
    logGuarded("Options saved");
    QDialog::accept();
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == edtPassword || watched == edtPassword2)
            validatePair(edtPassword, edtPassword2);
        else if (watched == edSPass1 || watched == edSPass2)
            validatePair(edSPass1, edSPass2);
        else if (watched == edtPPass || watched == edtPPass2)
            validatePair(edtPPass, edtPPass2);
        else if (watched == edtPPort)
            validatePort();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmOptions::paint(QLineEdit* field, const QColor& colour) {
    QPalette colours = field->palette();
    colours.setColor(QPalette::Base, colour);
    field->setPalette(colours);
}

void TfrmOptions::validatePair(QLineEdit* first, QLineEdit* second) {
    QColor colour =
        first->text() == second->text() ? palette().color(QPalette::Window) : mismatchColour();
    paint(first, colour);
    paint(second, colour);
}

// White when the port is a port; light red when it is empty (allowed) or
// was no port (cleared, so it is never stored).
bool TfrmOptions::validatePort() {
    paint(edtPPort, Qt::white);
    std::string port = text(edtPPort);
    if (port.empty()) {
        paint(edtPPort, mismatchColour());
        return true;
    }
    if (OptionSettings::isValidProxyPort(port))
        return true;
    edtPPort->clear();
    paint(edtPPort, mismatchColour());
    return false;
}

} // namespace orvella
