#pragma once

#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "ui/CommandTable.h"

#include <filesystem>
#include <memory>

namespace orvella {

class OrvellaApplication;

// The data module: owns the catalogue connection, the command table and, from
// its creation on, the application-wide error handler, whose records quote
// the latest statement of the catalogue access object.
class TdmMain {
public:
    // Opens the catalogue; throws ECatalogueOpenError when it cannot.
    TdmMain(OrvellaApplication* application, const std::filesystem::path& catalogueFile);
    ~TdmMain();
    TdmMain(const TdmMain&) = delete;
    TdmMain& operator=(const TdmMain&) = delete;

    TCatalogueConnection& Connection() { return *connection_; }
    CommandTable& Commands() { return *commands_; }
    // The access object whose latest statement error records quote.
    void SetAccessObject(const TStockDBObject* accessObject) { accessObject_ = accessObject; }

private:
    OrvellaApplication* application_;
    std::unique_ptr<TCatalogueConnection> connection_;
    std::unique_ptr<CommandTable> commands_;
    const TStockDBObject* accessObject_ = nullptr;
};

} // namespace orvella
