#pragma once

#include "catalogue/Connection.h"
#include "catalogue/FileRecords.h"
#include "catalogue/StockDB.h"
#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "shell/Options.h"
#include "shell/Progress.h"
#include "shell/SettingsStore.h"
#include "tool/ConsolePrompts.h"

#include <memory>
#include <string>
#include <vector>

namespace orvella::tool {

// The catalogue beside the tool with the settings of its program folder, and
// the editing objects the window would use on it. Messages go to standard
// error; there is no progress window.
class ToolCatalogue {
public:
    ToolCatalogue();

    TStockDBObject& db() { return db_; }
    ImageInfoEditor& editor() { return editor_; }
    KeywordTools& keywords() { return keywords_; }
    Progress& progress() { return progress_; }

    // The files as the window's selection after their folders were loaded:
    // each registered first when the catalogue does not know it. A missing
    // file is an error naming it.
    std::vector<TImageData> select(const std::vector<std::string>& files);

private:
    class SilentProgress : public Progress {
    protected:
        void showWindow(int) override {}
        void setPosition(int) override {}
        void hideWindow() override {}
    };

    SettingsStore store_;
    TOptionsCache options_;
    TCatalogueConnection connection_;
    TStockDBObject db_;
    ConsolePrompts prompts_;
    SilentProgress progress_;
    ImageInfoEditor editor_;
    KeywordTools keywords_;
};

} // namespace orvella::tool
