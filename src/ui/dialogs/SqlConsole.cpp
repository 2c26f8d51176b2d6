#include "ui/dialogs/SqlConsole.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace orvella {

namespace {

QString shown(const TField::Value& value) {
    if (const auto* number = std::get_if<int64_t>(&value))
        return QString::number(*number);
    if (const auto* real = std::get_if<double>(&value))
        return QString::number(*real);
    if (const auto* text = std::get_if<std::string>(&value))
        return QString::fromStdString(*text);
    return {};
}

} // namespace

TfrmSQL::TfrmSQL(TCatalogueConnection& connection, QWidget* parent)
    : QWidget(parent, Qt::Window), query_(connection) {
    setObjectName(QStringLiteral("frmSQL"));
    setWindowTitle(QStringLiteral("SQL Console"));
    resize(522, 429);

    memSQL_ = new QPlainTextEdit(this);
    memSQL_->setObjectName(QStringLiteral("memSQL"));
    auto* execute = new QPushButton(QStringLiteral("Execute"), this);
    execute->setObjectName(QStringLiteral("btnExecute"));
    auto* browse = new QPushButton(QStringLiteral("Browse"), this);
    browse->setObjectName(QStringLiteral("btnBrowse"));
    rows_ = new QStandardItemModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grdData"));
    grid_->setModel(rows_);

    auto* lower = new QWidget(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(execute);
    buttons->addWidget(browse);
    buttons->addStretch(1);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(buttons);
    lowerLayout->addWidget(grid_, 1);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(memSQL_);
    splitter->addWidget(lower);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(execute, &QPushButton::clicked, this, &TfrmSQL::Execute);
    connect(browse, &QPushButton::clicked, this, &TfrmSQL::Browse);
}

void TfrmSQL::Execute() {
    query_.SetSQL(memSQL_->toPlainText().toStdString());
    query_.ExecSQL();
}

void TfrmSQL::Browse() {
    query_.SetSQL(memSQL_->toPlainText().toStdString());
    query_.Open();
    rows_->clear();
    QStringList headers;
    for (const std::string& name : query_.FieldNames())
        headers << QString::fromStdString(name);
    rows_->setColumnCount(static_cast<int>(headers.size()));
    rows_->setHorizontalHeaderLabels(headers);
    for (query_.First(); !query_.Eof(); query_.Next()) {
        QList<QStandardItem*> row;
        for (const std::string& name : query_.FieldNames())
            row << new QStandardItem(shown(query_.FieldByName(name).value()));
        rows_->appendRow(row);
    }
}

} // namespace orvella
