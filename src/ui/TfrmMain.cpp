#include "ui/TfrmMain.h"

#include "shell/Version.h"
#include "ui/AboutBox.h"
#include "ui/OrvellaApplication.h"
#include "ui/Skin.h"
#include "ui/TdmMain.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>

namespace orvella {

TfrmMain::TfrmMain(TdmMain& dataModule, TFolders& folders, const SettingsStore& store)
    : dataModule_(dataModule), folders_(folders), store_(store),
      stockDB_(std::make_unique<TStockDBObject>(dataModule.Connection())), options_(store) {
    setObjectName("frmMain");
    setWindowTitle(kMainWindowCaption);
    dataModule_.SetAccessObject(stockDB_.get());
    buildMenus();
    auto* placeholder = new QLabel("Select a folder to see its pictures.", this);
    placeholder->setObjectName("lblWelcome");
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
    options_.LoadOptions();
    LoadLayout();
}

TfrmMain::~TfrmMain() { dataModule_.SetAccessObject(nullptr); }

void TfrmMain::buildMenus() {
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("mnuFile");
    QAction* exit = file->addAction("Exit", this, &QWidget::close);
    exit->setObjectName("actExit");
    mnuDebug_ = menuBar()->addMenu("Debug");
    mnuDebug_->setObjectName("mnuDebug");
    mnuDebug_->menuAction()->setVisible(false);
    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("mnuHelp");
    QAction* about = help->addAction("About", this, &TfrmMain::showAbout);
    about->setObjectName("actAbout");
}

void TfrmMain::EnableDebugMode() {
    debugMode_ = true;
    mnuDebug_->menuAction()->setVisible(true);
}

void TfrmMain::showAbout() {
    TfrmAbout about(this);
    about.exec();
}

void TfrmMain::LoadLayout() {
    LoadedLayout loaded = orvella::LoadLayout(store_, folders_);
    layout_ = loaded.layout;
    explorerMenu_ = loaded.explorerMenu;
    if (!layout_.maximised()) {
        move(layout_.left, layout_.top);
        resize(layout_.width, layout_.height);
    }
    applySkin(QString::fromStdString(layout_.skin), !loaded.hideSkin);
}

void TfrmMain::ShowAsLaidOut() {
    if (layout_.maximised())
        showMaximized();
    else
        show();
}

void TfrmMain::RestoreOrRaise() {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TfrmMain::SaveLayout() {
    layout_.state = isMaximized() ? WindowLayout::kMaximised : WindowLayout::kNormal;
    layout_.left = x();
    layout_.top = y();
    layout_.width = width();
    layout_.height = height();
    orvella::SaveLayout(store_, layout_);
}

// Closing the main window is the program's orderly end: the layout is saved
// once, whether the user closed the window or a termination signal did.
void TfrmMain::closeEvent(QCloseEvent* event) {
    // A layout that cannot be written is logged; it never keeps the program open.
    if (!layoutSaved_) {
        layoutSaved_ = true;
        try {
            SaveLayout();
        } catch (...) {
            OrvellaApplication::reportCurrentException(this);
        }
    }
    event->accept();
}

} // namespace orvella
