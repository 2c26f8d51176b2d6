// The small pieces the table operations of TStockDBObject share.
#include "catalogue/StockDB.h"

#include "catalogue/SqlText.h"
#include "shell/Log.h"
#include "shell/Options.h"
#include "shell/Prompts.h"

#include <stdexcept>

namespace orvella {

size_t TStockDBObject::openShared(const std::string& sql) {
    query_.SetSQL(sql);
    query_.Open();
    return query_.RecordCount();
}

bool TStockDBObject::imageExists(const std::string& key) {
    return openShared("select * from IMAGES where MD5 = " + QuotedStr(key)) > 0;
}

// What an operation on an image without a catalogue row tells the log and
// the user.
void TStockDBObject::tellUnknownImage(const std::string& key) {
    logAlways("Attempt to update a state for unavaliable image... MD5 = " + key);
    prompts().showMessage(
        "Please find the image in the folder tree, system can't recognize an image");
}

Prompts& TStockDBObject::prompts() const {
    if (!prompts_)
        throw std::logic_error("the catalogue access object has no prompts to ask the user");
    return *prompts_;
}

bool TStockDBObject::optionOn(const char* name) const {
    return options_ && options_->GetOption(name).toBool();
}

uint8_t StateOrdinalOf(const std::string& stateId) {
    if (stateId.size() == 1 && stateId[0] >= '0' && stateId[0] <= '7')
        return static_cast<uint8_t>(stateId[0] - '0' + 1);
    return 0;
}

} // namespace orvella
