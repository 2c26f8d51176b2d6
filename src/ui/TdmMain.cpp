#include "ui/TdmMain.h"

#include "shell/Log.h"
#include "ui/OrvellaApplication.h"

namespace orvella {

TdmMain::TdmMain(OrvellaApplication* application, const std::filesystem::path& catalogueFile)
    : application_(application), connection_(std::make_unique<TCatalogueConnection>(catalogueFile)),
      commands_(std::make_unique<CommandTable>()) {
    logGuarded("Database connected");
    if (application_)
        application_->setLatestStatementSource(
            [this] { return accessObject_ ? accessObject_->LatestStatement() : std::string(); });
}

TdmMain::~TdmMain() {
    if (application_)
        application_->clearLatestStatementSource();
}

} // namespace orvella
