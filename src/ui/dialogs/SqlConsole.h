#pragma once

#include "catalogue/Query.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace orvella {

// The SQL console of debug mode: runs the editor's text on the catalogue with
// a query of its own, so the access object's latest statement stays as it
// was. A failing statement throws to the application's handler, which logs it.
class TfrmSQL : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSQL(TCatalogueConnection& connection, QWidget* parent = nullptr);

    // The editor's text as a statement without rows.
    void Execute();
    // The editor's text as a select; the grid shows its rows.
    void Browse();

private:
    TQuery query_;
    QPlainTextEdit* memSQL_ = nullptr;
    QTableView* grid_ = nullptr;
    QStandardItemModel* rows_ = nullptr;
};

} // namespace orvella
