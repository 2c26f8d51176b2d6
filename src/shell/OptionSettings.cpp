#include "shell/OptionSettings.h"

#include "shell/TextUtil.h"

#include <algorithm>
#include <stdexcept>

namespace orvella {

namespace {

const OptionKey& keyNamed(const std::string& name) {
    for (const OptionKey* key : OptionSettings::editedKeys())
        if (name == key->name)
            return *key;
    throw std::invalid_argument("Unknown option " + name);
}

const OptionKey& booleanKey(const std::string& name) {
    const OptionKey& key = keyNamed(name);
    if (key.kind != OptionKey::Kind::Boolean)
        throw std::invalid_argument("Option " + name + " is a text");
    return key;
}

const OptionKey& textKey(const std::string& name) {
    const OptionKey& key = keyNamed(name);
    if (key.kind == OptionKey::Kind::Boolean)
        throw std::invalid_argument("Option " + name + " is a switch");
    return key;
}

bool parseBoolean(const std::string& name, const std::string& text) {
    std::string value = toLowerAscii(trim(text));
    if (value == "1" || value == "true" || value == "yes" || value == "on")
        return true;
    if (value == "0" || value == "false" || value == "no" || value == "off")
        return false;
    throw std::invalid_argument("Option " + name + " takes 1 or 0, not " + text);
}

} // namespace

std::vector<const OptionKey*> OptionSettings::editedKeys() {
    std::vector<const OptionKey*> keys;
    for (const OptionKey& key : optionKeys())
        if (key.cached)
            keys.push_back(&key);
    return keys;
}

bool OptionSettings::isEdited(const std::string& key) {
    std::vector<const OptionKey*> keys = editedKeys();
    return std::any_of(keys.begin(), keys.end(),
                       [&](const OptionKey* edited) { return key == edited->name; });
}

bool OptionSettings::isBooleanKey(const std::string& key) {
    return keyNamed(key).kind == OptionKey::Kind::Boolean;
}

OptionSettings OptionSettings::load(const SettingsStore& store) {
    SettingsSnapshot settings = store.read();
    OptionSettings result;
    for (const OptionKey* key : editedKeys()) {
        if (key->kind == OptionKey::Kind::Boolean) {
            bool fallback = key->booleanDefault;
            if (std::string(key->name) == "UseINI")
                fallback = settings.isIniStore();
            result.values_[key->name] =
                encodeBoolean(settings.boolean(kOptionsSection, key->name, fallback));
        } else {
            result.values_[key->name] = settings.text(kOptionsSection, key->name, key->textDefault);
        }
    }
    if (!isValidProxyPort(result.values_["ProxyPort"]))
        result.values_["ProxyPort"] = "";
    else
        result.values_["ProxyPort"] = trim(result.values_["ProxyPort"]);
    return result;
}

bool OptionSettings::flag(const std::string& key) const {
    return values_.at(booleanKey(key).name) == "1";
}

void OptionSettings::setFlag(const std::string& key, bool value) {
    values_[booleanKey(key).name] = encodeBoolean(value);
}

std::string OptionSettings::text(const std::string& key) const {
    return values_.at(textKey(key).name);
}

void OptionSettings::setText(const std::string& key, const std::string& value) {
    const OptionKey& option = textKey(key);
    if (std::string(option.name) == "ProxyPort") {
        if (!isValidProxyPort(value))
            throw std::invalid_argument("The proxy port must be a number from 1 to 65535");
        values_[option.name] = trim(value);
        return;
    }
    values_[option.name] = value;
}

void OptionSettings::setFromText(const std::string& key, const std::string& value) {
    if (isBooleanKey(key))
        setFlag(key, parseBoolean(key, value));
    else
        setText(key, value);
}

bool OptionSettings::isValidProxyPort(const std::string& text) {
    std::string port = trim(text);
    if (port.empty())
        return true;
    if (port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    long number = std::stol(port);
    return number >= 1 && number <= 65535;
}

SettingsStore::Values OptionSettings::values() const {
    SettingsStore::Values result;
    for (const OptionKey* key : editedKeys())
        result.emplace_back(key->name, values_.at(key->name));
    return result;
}

void OptionSettings::save(const SettingsStore& store) const {
    if (flag("UseINI")) {
        store.writeToIni(kOptionsSection, values());
    } else {
        store.writeToRegistry(kOptionsSection, values());
        store.deleteIniFile();
    }
}

} // namespace orvella
