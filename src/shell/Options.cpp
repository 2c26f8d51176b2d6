#include "shell/Options.h"

namespace orvella {

namespace {
using Kind = OptionKey::Kind;
constexpr OptionKey flag(const char* name, bool fallback) {
    return {name, Kind::Boolean, true, fallback, ""};
}
constexpr OptionKey text(const char* name) {
    return {name, Kind::Text, true, false, ""};
}
} // namespace

const std::vector<OptionKey>& optionKeys() {
    static const std::vector<OptionKey> keys = {
        flag("UploadRelease", true),
        flag("MoveFiles", true),
        flag("Overwrite", false),
        flag("HideMissingFiles", false),
        flag("HideSkin", false),
        flag("UseProxy", false),
        flag("LocalFolder", false),
        flag("UseINI", false),
        flag("JPEGPreview", false),
        flag("ExplorerMenu", false),
        text("ProxyPort"),
        text("ProxyURL"),
        text("ProxyLogin"),
        text("ProxyPass"),
        {"ProxyType", Kind::Integer, false, false, "5"},
        flag("EnableFTPLogging", true),
        flag("Ask password", false),
        flag("FullScan", false),
        flag("ClearRO", true),
        flag("KeywordsAlphaSort", false),
        flag("tabcatalog", true),
        flag("tabstocks", true),
        flag("tabuploads", true),
        flag("tabstockinfo", true),
        flag("tabimageinfo", true),
        flag("tabkeywords", true),
        flag("tabfiles2", true),
        flag("tabmodel", true),
    };
    return keys;
}

bool OptionValue::toBool() const {
    if (const bool* flag = std::get_if<bool>(&value_))
        return *flag;
    if (const std::string* text = std::get_if<std::string>(&value_))
        return decodeInteger(*text).value_or(0) != 0;
    return false;
}

std::string OptionValue::toText() const {
    if (const bool* flag = std::get_if<bool>(&value_))
        return encodeBoolean(*flag);
    if (const std::string* text = std::get_if<std::string>(&value_))
        return *text;
    return "";
}

void TOptionsCache::LoadOptions() {
    entries_.clear();
    SettingsSnapshot settings = store_.read();
    for (const OptionKey& key : optionKeys()) {
        if (!key.cached)
            continue;
        if (key.kind == Kind::Boolean)
            entries_.push_back(
                {key.name, settings.boolean(kOptionsSection, key.name, key.booleanDefault)});
        else
            entries_.push_back(
                {key.name, settings.text(kOptionsSection, key.name, key.textDefault)});
    }
}

OptionValue TOptionsCache::GetOption(const std::string& name) const {
    for (const TCacheOption& entry : entries_)
        if (entry.name == name)
            return entry.value;
    return {};
}

void TOptionsCache::SetOption(const std::string& name, const OptionValue& value, bool persist) {
    for (TCacheOption& entry : entries_)
        if (entry.name == name)
            entry.value = value;
    if (persist)
        store_.writeBoolean(kOptionsSection, name, value.toBool());
}

} // namespace orvella
