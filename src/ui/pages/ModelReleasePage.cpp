#include "ui/pages/ModelReleasePage.h"

#include "catalogue/StockDB.h"
#include "ui/CommandTable.h"
#include "ui/WidgetHelpers.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvella {

ModelReleasePage::ModelReleasePage(WindowContext& context, QWidget* parent)
    : Page(context, "ModelReleasePage", parent) {
    auto* page = named<QWidget>("tsModelRelease");
    auto* picture = named<QLabel>("imgRelease");
    picture->setMinimumHeight(120);
    picture->setAlignment(Qt::AlignCenter);
    auto* browse = named<QPushButton>("btnBrowseRelease", "Browse...");
    auto* add = named<QPushButton>("btnAddRelease", "Add");
    browse->setEnabled(false);
    add->setEnabled(false);
    releases_ = named<QListWidget>("ReleaseList");
    releases_->setContextMenuPolicy(Qt::ActionsContextMenu);
    context.commands.fill(releases_, {cmd::DeleteRelease});

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(picture);
    layout->addWidget(new QLabel("Model name"));
    layout->addWidget(named<QLineEdit>("edtModelName"));
    auto* file = named<QLineEdit>("edtReleaseFile");
    file->setAcceptDrops(true);
    layout->addWidget(file);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(browse);
    buttons->addWidget(add);
    layout->addLayout(buttons);
    layout->addWidget(releases_, 1);
    setContent(page);
    logWhileShowingImages("Image release tab selected");
}

void ModelReleasePage::reload() {
    releases_->clear();
    for (const TModelRelease& release : context().stockDB.GetModelReleases()) {
        auto* item = new QListWidgetItem(QString::fromStdString(release.ModelName), releases_);
        item->setData(Qt::UserRole, QString::fromStdString(release.ReleaseId));
        item->setToolTip(QString::fromStdString(release.FileName));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

} // namespace orvella
