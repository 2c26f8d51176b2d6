#pragma once

#include "MetadataFixtures.h"
#include "catalogue/Connection.h"
#include "catalogue/StockDB.h"
#include "metadata/ImageInfoEditor.h"
#include "metadata/KeywordTools.h"
#include "shell/Options.h"
#include "shell/Progress.h"
#include "shell/SettingsStore.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvella::test {

// Records the progress window's calls: "open 2", "step 0", "close".
class ProgressRecord : public Progress {
public:
    std::vector<std::string> events;

protected:
    void showWindow(int maximum) override { events.push_back("open " + std::to_string(maximum)); }
    void setPosition(int position) override {
        events.push_back("step " + std::to_string(position));
    }
    void hideWindow() override { events.push_back("close"); }
};

// The datasets exiftool reads from a file: tag name -> values, a list
// dataset giving one value per item.
using PeerIptc = std::map<std::string, std::vector<std::string>>;
PeerIptc exiftoolIptc(const std::filesystem::path& file);

// A JPEG with the given IPTC datasets (record 2), in the order given;
// without datasets, a JPEG with no IPTC block at all. Pictures of different
// widths have different image keys.
std::string jpegWithIptc(const std::vector<std::pair<uint8_t, std::string>>& datasets,
                         unsigned width = 16);

// A temporary catalogue and folder of pictures, the editor and the keyword
// tools on them, with scripted prompts and a recorded progress window.
class KeywordingTest : public ::testing::Test {
protected:
    KeywordingTest();
    ~KeywordingTest() override;

    // Writes the file into the folder and registers it in the catalogue. The
    // JPEGs made from datasets are each of another width, so that no two
    // share an image key.
    TImageData addPicture(const std::string& name, const std::string& content);
    TImageData addPicture(const std::string& name,
                          const std::vector<std::pair<uint8_t, std::string>>& datasets = {});
    void giveKeywords(const TImageData& image, const std::vector<std::string>& keywords);
    std::vector<std::string> keywordsOf(const TImageData& image) {
        return db->GetImageKeywords(image.MD5);
    }
    // The Keywords datasets of the file, as exiftool reads them.
    std::vector<std::string> fileKeywords(const TImageData& image) {
        return exiftoolIptc(image.FullName)["Keywords"];
    }
    void setOption(const std::string& name, bool value);
    size_t count(const std::string& select);

    // The content a picture was made with.
    const std::string& original(const TImageData& image) { return originals.at(image.FullName); }

    unsigned pictures = 0;
    std::map<std::string, std::string> originals;

    TempFolder folder;
    std::unique_ptr<TCatalogueConnection> connection;
    std::unique_ptr<TStockDBObject> db;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<TOptionsCache> options;
    ScriptedPrompts prompts;
    ProgressRecord progress;
    std::unique_ptr<ImageInfoEditor> editor;
    std::unique_ptr<KeywordTools> tools;
};

} // namespace orvella::test
