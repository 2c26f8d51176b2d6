#include "ui/dialogs/TfrmFullScan.h"

#include "shell/Options.h"
#include "shell/SettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <atomic>

namespace orvella {

namespace {

std::atomic<int> openWizards{0};

template <class Widget, class... Arguments>
Widget* named(const char* name, Arguments&&... arguments) {
    auto* widget = new Widget(std::forward<Arguments>(arguments)...);
    widget->setObjectName(name);
    return widget;
}

} // namespace

// Shows the scan's progress on the second page.
class TfrmFullScan::Observer : public FullScanObserver {
public:
    explicit Observer(TfrmFullScan& wizard) : wizard_(wizard) {}

    void folderEntered(const std::filesystem::path& folder, int fileCount) override {
        wizard_.processingFolder_->setText("Processing folder: " +
                                           QString::fromStdString(folder.string()));
        wizard_.gauge_->setMaximum(std::max(fileCount, 1));
        wizard_.gauge_->setValue(0);
    }
    void fileStarted(const std::string& name) override {
        wizard_.processingFile_->setText("Processing file: " + QString::fromStdString(name));
    }
    void thumbnailMade(const QImage& picture) override {
        wizard_.thumbnail_->setPixmap(QPixmap::fromImage(picture));
    }
    void fileImported(const THashData&, int positionInFolder) override {
        wizard_.gauge_->setValue(std::min(positionInFolder, wizard_.gauge_->maximum()));
        emit wizard_.fileImported(++wizard_.imported_);
    }
    void processEvents() override { QApplication::processEvents(); }

private:
    TfrmFullScan& wizard_;
};

TfrmFullScan::TfrmFullScan(TStockDBObject& catalogue, const SettingsStore& store,
                           FullScanSettings settings, const QString& folder, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), store_(store), settings_(std::move(settings)),
      folder_(folder) {
    ++openWizards;
    setObjectName("frmFullScan");
    setWindowTitle("Full Scan wizard");
    setModal(true);
    setFixedSize(443, 272);
    pages_ = named<QStackedWidget>("pcWizard");
    pages_->addWidget(buildFirstPage(folder));
    pages_->addWidget(buildSecondPage());

    dontShow_ = named<QCheckBox>("cbDontShow", "Don't show this dialog again ");
    ok_ = named<QPushButton>("btnOK", "OK");
    ok_->setDefault(true);
    auto* cancel = named<QPushButton>("btnCancel", "Cancel");
    connect(ok_, &QPushButton::clicked, this, &TfrmFullScan::startScan);
    connect(cancel, &QPushButton::clicked, this, &TfrmFullScan::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(dontShow_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TfrmFullScan::~TfrmFullScan() {
    --openWizards;
}

bool TfrmFullScan::IsOpen() {
    return openWizards > 0;
}

QWidget* TfrmFullScan::buildFirstPage(const QString& folder) {
    auto* page = named<QWidget>("tsOffer");
    auto* text = named<QLabel>(
        "lblOffer", "Do you wish to make full scan for this folder? It can takes a lot of time.");
    text->setWordWrap(true);
    subfolders_ = named<QCheckBox>("cbSubfolders", "Process subfolders");
    subfolders_->setChecked(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(text);
    layout->addWidget(named<QLabel>("lblFolder", folder));
    layout->addWidget(subfolders_);
    layout->addStretch();
    return page;
}

QWidget* TfrmFullScan::buildSecondPage() {
    auto* page = named<QWidget>("tsProgress");
    processingFolder_ = named<QLabel>("lblProcessingFolder", "Processing folder: ");
    processingFile_ = named<QLabel>("lblProcessingFile", "Processing file: ");
    gauge_ = named<QProgressBar>("pbGauge");
    gauge_->setFormat("%p%");
    thumbnail_ = named<QLabel>("imgThumbnail");
    thumbnail_->setFixedSize(96, 96);
    thumbnail_->setFrameShape(QFrame::StyledPanel);
    auto* texts = new QVBoxLayout;
    texts->addWidget(processingFolder_);
    texts->addWidget(processingFile_);
    texts->addWidget(gauge_);
    texts->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(texts, 1);
    layout->addWidget(thumbnail_, 0, Qt::AlignTop);
    return page;
}

void TfrmFullScan::startScan() {
    pages_->setCurrentIndex(1);
    ok_->setEnabled(false);
    std::filesystem::path folder = folder_.toStdString();
    gauge_->setMaximum(std::max(TFullScan::CountFolder(folder), 1));
    turnOfferOffWhenAsked();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Observer observer(*this);
    TFullScan scan(catalogue_, settings_, observer);
    running_ = &scan;
    scan.Scan(folder, subfolders_->isChecked());
    running_ = nullptr;
    QApplication::restoreOverrideCursor();
    accept();
}

// Cancel before the scan closes the wizard; during the scan it stops the
// scan after the file in hand, and the wizard closes when the scan returns.
void TfrmFullScan::reject() {
    turnOfferOffWhenAsked();
    if (running_) {
        running_->Cancel();
        return;
    }
    QDialog::reject();
}

void TfrmFullScan::closeEvent(QCloseEvent* event) {
    if (running_) {
        running_->Cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmFullScan::turnOfferOffWhenAsked() {
    if (dontShow_->isChecked())
        store_.writeBoolean(kOptionsSection, "FullScan", false);
}

} // namespace orvella
