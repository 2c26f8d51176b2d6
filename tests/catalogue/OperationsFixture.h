#pragma once

#include "catalogue/StockDB.h"
#include "shell/Log.h"
#include "shell/Progress.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvella::test {

// Records what the progress window was asked to do.
class RecordingProgress : public Progress {
public:
    std::vector<std::string> events; // "open 3", "step 0", "close"

protected:
    void showWindow(int maximum) override { events.push_back("open " + std::to_string(maximum)); }
    void setPosition(int position) override {
        events.push_back("step " + std::to_string(position));
    }
    void hideWindow() override { events.push_back("close"); }
};

// Records the text of every statement the engine runs on the connection.
class StatementRecorder {
public:
    explicit StatementRecorder(TCatalogueConnection& connection);
    ~StatementRecorder();
    StatementRecorder(const StatementRecorder&) = delete;
    StatementRecorder& operator=(const StatementRecorder&) = delete;

    std::vector<std::string> statements;
    // The statements that change something (everything but selects).
    std::vector<std::string> changes() const;

private:
    TCatalogueConnection& connection_;
};

// A fresh copy of the empty catalogue, the access object on it with scripted
// prompts and a recording progress window, and the log switched on.
class OperationsTest : public ::testing::Test {
protected:
    OperationsTest();
    ~OperationsTest() override;

    // An image row for the key, at /photos/<name>.
    THashData addImage(const std::string& key, const std::string& name = "picture.jpg",
                       const std::string& folder = "/photos");
    // The rows of a select, each as column name -> text.
    std::vector<std::map<std::string, std::string>> rows(const std::string& sql);
    size_t count(const std::string& sql) { return rows(sql).size(); }
    void execute(const std::string& sql);
    std::vector<std::string> logLines() const;
    // Keyword text -> ORDER_ID text ("<null>" when null) of an image's keywords.
    std::map<std::string, std::string> keywordOrder(const std::string& key);

    TempFolder folder;
    TLog log;
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;
    ScriptedPrompts prompts;
    RecordingProgress progress;
};

// Image keys for the tests: 32 hex digits, distinct per letter.
inline std::string keyOf(char letter) {
    return std::string(32, letter);
}

} // namespace orvella::test
