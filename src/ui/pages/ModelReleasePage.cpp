#include "ui/pages/ModelReleasePage.h"

#include "catalogue/StockDB.h"
#include "files/ModelReleases.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvella {

ModelReleasePage::ModelReleasePage(WindowContext& context, QWidget* parent)
    : Page(context, "ModelReleasePage", parent),
      book_(std::make_unique<ModelReleaseBook>(context.stockDB, context.prompts)) {
    auto* page = named<QWidget>("tsModelRelease");
    picture_ = named<QLabel>("imgRelease");
    picture_->setMinimumHeight(120);
    picture_->setAlignment(Qt::AlignCenter);
    auto* browse = named<QPushButton>("btnBrowseRelease", "Browse...");
    auto* add = named<QPushButton>("btnAddRelease", "Add");
    releases_ = named<QListWidget>("ReleaseList");
    releases_->setContextMenuPolicy(Qt::ActionsContextMenu);
    releases_->setAcceptDrops(true);
    releases_->installEventFilter(this);
    releases_->viewport()->installEventFilter(this);
    context.commands.fill(releases_, {cmd::DeleteRelease});
    context.commands.Bind(cmd::DeleteRelease, this, [this] { deleteRelease(); });
    modelName_ = named<QLineEdit>("edtModelName");
    file_ = named<QLineEdit>("edtReleaseFile");
    file_->setAcceptDrops(true);
    file_->installEventFilter(this);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(picture_);
    layout->addWidget(new QLabel("Model name"));
    layout->addWidget(modelName_);
    layout->addWidget(file_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(browse);
    buttons->addWidget(add);
    layout->addLayout(buttons);
    layout->addWidget(releases_, 1);
    setContent(page);
    logWhileShowingImages("Image release tab selected");

    connect(browse, &QPushButton::clicked, this, &ModelReleasePage::browse);
    connect(add, &QPushButton::clicked, this, &ModelReleasePage::add);
    connect(releases_, &QListWidget::itemClicked, this, &ModelReleasePage::showReleasePicture);
    connect(releases_, &QListWidget::itemChanged, this, &ModelReleasePage::releaseTicked);
    connect(&context.selection, &ImageSelection::focusedImageChanged, this,
            [this] { followFocusedImage(); });
}

ModelReleasePage::~ModelReleasePage() = default;

void ModelReleasePage::reload() {
    listing_ = true;
    releases_->clear();
    for (const TModelRelease& release : book_->Releases()) {
        auto* item = new QListWidgetItem(QString::fromStdString(release.ModelName), releases_);
        item->setData(Qt::UserRole, QString::fromStdString(release.ReleaseId));
        item->setData(Qt::UserRole + 1, QString::fromStdString(release.FileName));
        item->setToolTip(QString::fromStdString(release.FileName));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    listing_ = false;
    followFocusedImage();
}

void ModelReleasePage::activated() {
    followFocusedImage();
}

std::string ModelReleasePage::focusedKey() const {
    const ImageListItem* item = context().selection.focused();
    return item ? item->data.MD5 : std::string();
}

std::string ModelReleasePage::focusedPath() const {
    const ImageListItem* item = context().selection.focused();
    return item ? item->data.FullName : std::string();
}

// Every entry unticked, then ticked when attached to the focused image.
void ModelReleasePage::followFocusedImage() {
    std::string key = focusedKey();
    std::set<std::string> attached = key.empty() ? std::set<std::string>() : book_->AttachedTo(key);
    listing_ = true;
    for (int row = 0; row < releases_->count(); ++row) {
        QListWidgetItem* item = releases_->item(row);
        bool ticked = attached.count(item->data(Qt::UserRole).toString().toStdString()) > 0;
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
    listing_ = false;
}

void ModelReleasePage::releaseTicked(QListWidgetItem* item) {
    std::string key = focusedKey();
    if (listing_ || key.empty())
        return;
    TMR release{item->data(Qt::UserRole).toString().toStdString(),
                item->data(Qt::UserRole + 1).toString().toStdString(), item->text().toStdString()};
    book_->SetAttached(key, release, item->checkState() == Qt::Checked);
}

void ModelReleasePage::browse() {
    std::optional<std::string> file = context().prompts.chooseFileToOpen(
        "Model release picture", "Pictures (*.jpg *.jpeg *.JPG *.png *.tif)");
    if (!file)
        return;
    file_->setText(QString::fromStdString(*file));
    QPixmap shown(QString::fromStdString(*file));
    if (!shown.isNull()) // a file that cannot be shown leaves the picture as it was
        picture_->setPixmap(
            shown.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ModelReleasePage::add() {
    if (book_->Add(file_->text().toStdString(), modelName_->text().toStdString()).empty())
        return;
    reload();
    clearInputs();
}

void ModelReleasePage::clearInputs() {
    picture_->clear();
    modelName_->clear();
    file_->clear();
}

void ModelReleasePage::showReleasePicture(QListWidgetItem* item) {
    picture_->clear();
    QString file = item->data(Qt::UserRole + 1).toString();
    if (QFileInfo::exists(file))
        picture_->setPixmap(
            QPixmap(file).scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ModelReleasePage::deleteRelease() {
    QListWidgetItem* item = releases_->currentItem();
    if (!item)
        return;
    picture_->clear();
    book_->Delete(item->data(Qt::UserRole).toString().toStdString());
    reload();
}

// Images dragged from the image list: on the release list they become a new
// release (the model name is asked for), on the file box they fill it.
bool ModelReleasePage::eventFilter(QObject* watched, QEvent* event) {
    bool onList = watched == releases_ || watched == releases_->viewport();
    if ((!onList && watched != file_) ||
        (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop))
        return Page::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    if (focusedPath().empty() || drop->source() == nullptr)
        return Page::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (event->type() == QEvent::DragEnter)
        return true;
    if (watched == file_) {
        file_->setText(QString::fromStdString(focusedPath()));
    } else if (!book_->AddFromImage(focusedPath()).empty()) {
        reload();
        clearInputs();
    }
    return true;
}

} // namespace orvella
