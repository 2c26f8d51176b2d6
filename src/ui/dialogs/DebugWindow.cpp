#include "ui/dialogs/DebugWindow.h"

#include "catalogue/StockDB.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvella {

TfrmDebug::TfrmDebug(TStockDBObject& db, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), db_(db) {
    setObjectName(QStringLiteral("frmDebug"));
    setWindowTitle(QStringLiteral("Debug"));
    resize(283, 438);
    auto* layout = new QVBoxLayout(this);
    edMD5 = field("edMD5", "MD5");
    edFileName = field("edFileName", "FileName");
    edFilePath = field("edFilePath", "FilePath");
    edFullPath = field("edFullPath", "Full Path");
    edSize = field("edSize", "Size");
    edLastQuery = field("edLastQuery", "Last Query");
    edDBPath = field("edDBPath", "DB Path");
    lbStates = new QListWidget(this);
    lbStates->setObjectName(QStringLiteral("lbStates"));
    layout->addWidget(lbStates, 1);
    auto* remove = new QPushButton(QStringLiteral("Delete Image"), this);
    remove->setObjectName(QStringLiteral("btnDeleteImage"));
    layout->addWidget(remove);
    connect(remove, &QPushButton::clicked, this, &TfrmDebug::DeleteImage);
}

QLineEdit* TfrmDebug::field(const char* name, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), this);
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromUtf8(name));
    label->setBuddy(box);
    layout()->addWidget(label);
    layout()->addWidget(box);
    return box;
}

void TfrmDebug::ShowImage(const std::string& key, const std::string& fileName,
                          const std::string& folder, const std::string& fullPath, int64_t size) {
    edMD5->setText(QString::fromStdString(key));
    edFileName->setText(QString::fromStdString(fileName));
    edFilePath->setText(QString::fromStdString(folder));
    edFullPath->setText(QString::fromStdString(fullPath));
    edSize->setText(QString::number(size));
    edLastQuery->setText(QString::fromStdString(db_.LatestStatement()));
    edDBPath->setText(QString::fromStdString(db_.GetImagePath(key)));
    std::vector<std::string> states;
    db_.GetStateSummary(states, key);
    lbStates->clear();
    for (const std::string& line : states)
        lbStates->addItem(QString::fromStdString(line));
}

void TfrmDebug::DeleteImage() {
    db_.DeleteImage(edMD5->text().toStdString());
}

} // namespace orvella
