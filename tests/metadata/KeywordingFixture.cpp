#include "KeywordingFixture.h"

#include "catalogue/Query.h"
#include "files/FileRegistration.h"

#include <sstream>

namespace orvella::test {

namespace fs = std::filesystem;

PeerIptc exiftoolIptc(const fs::path& file) {
    CommandResult result = runCommand("exiftool -S -sep '|' -charset iptc=UTF8 -IPTC:all " +
                                      shellQuoted(file.string()));
    if (result.status != 0)
        throw std::runtime_error("exiftool failed: " + result.output);
    PeerIptc datasets;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string value = line.substr(colon + 1);
        if (!value.empty() && value.front() == ' ')
            value.erase(0, 1);
        std::vector<std::string>& items = datasets[line.substr(0, colon)];
        if (line.compare(0, colon, "Keywords") != 0) {
            items.push_back(value);
            continue;
        }
        for (size_t start = 0;;) {
            size_t bar = value.find('|', start);
            items.push_back(value.substr(start, bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
    }
    return datasets;
}

std::string jpegWithIptc(const std::vector<std::pair<uint8_t, std::string>>& datasets,
                         unsigned width) {
    if (datasets.empty())
        return plainJpeg(width);
    std::string stream;
    for (const auto& [number, value] : datasets)
        stream += iptcDataset(2, number, value);
    return withSegments(plainJpeg(width), jpegSegment(0xED, photoshopPayload(stream)));
}

KeywordingTest::KeywordingTest() {
    fs::copy_file(fs::path(ORVELLA_BIN_DIR) / "Orvella.dat", folder / "Orvella.dat");
    connection = std::make_unique<TCatalogueConnection>(folder / "Orvella.dat");
    db = std::make_unique<TStockDBObject>(*connection);
    store = std::make_unique<SettingsStore>(folder.path(), folder / "registry.ini");
    options = std::make_unique<TOptionsCache>(*store);
    options->LoadOptions();
    db->SetOptions(options.get());
    db->SetPrompts(&prompts);
    db->SetProgress(&progress);
    editor = std::make_unique<ImageInfoEditor>(*db, options.get());
    tools = std::make_unique<KeywordTools>(*editor, prompts, progress);
}

KeywordingTest::~KeywordingTest() {
    // Files left read-only would keep the folder from being removed.
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder.path(), error))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
}

TImageData KeywordingTest::addPicture(const std::string& name, const std::string& content) {
    writeFile(folder / name, content);
    originals[(folder / name).string()] = content;
    return RegisterFiles(*db, {folder / name}).front();
}

TImageData
KeywordingTest::addPicture(const std::string& name,
                           const std::vector<std::pair<uint8_t, std::string>>& datasets) {
    return addPicture(name, jpegWithIptc(datasets, 16 + 8 * pictures++));
}

void KeywordingTest::giveKeywords(const TImageData& image,
                                  const std::vector<std::string>& keywords) {
    for (const std::string& keyword : keywords)
        db->AddKeywordToImage(image.MD5, db->GetOrCreateKeyword(keyword));
}

void KeywordingTest::setOption(const std::string& name, bool value) {
    options->SetOption(name, OptionValue(value), false);
}

size_t KeywordingTest::count(const std::string& select) {
    TQuery query(*connection);
    query.SetSQL(select);
    query.Open();
    size_t rows = 0;
    for (; !query.Eof(); query.Next())
        ++rows;
    return rows;
}

} // namespace orvella::test
