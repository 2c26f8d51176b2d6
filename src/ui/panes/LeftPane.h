#pragma once

#include "ui/panes/PageControl.h"

namespace orvella {

struct WindowContext;
class FilesPage;
class CatalogPage;
class StocksPage;
class UploadsPage;

// The left pane, page control PageControl1: "Files", "Catalog", "Stocks"
// and "Uploads".
class LeftPane : public PageControl {
    Q_OBJECT
public:
    explicit LeftPane(WindowContext& context, QWidget* parent = nullptr);

    FilesPage& files() const { return *files_; }
    CatalogPage& catalog() const { return *catalog_; }
    StocksPage& stocks() const { return *stocks_; }
    UploadsPage& uploads() const { return *uploads_; }

private:
    FilesPage* files_;
    CatalogPage* catalog_;
    StocksPage* stocks_;
    UploadsPage* uploads_;
};

} // namespace orvella
