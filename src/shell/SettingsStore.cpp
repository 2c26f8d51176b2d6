#include "shell/SettingsStore.h"

#include "shell/TextUtil.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace orvella {

namespace fs = std::filesystem;

std::optional<long> decodeInteger(const std::string& raw) {
    std::string text = trim(raw);
    bool negative = !text.empty() && text.front() == '-';
    std::string digits = negative || (!text.empty() && text.front() == '+') ? text.substr(1) : text;
    int base = 10;
    if (digits.size() > 1 && digits.front() == '$') {
        base = 16;
        digits.erase(0, 1);
    } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    if (digits.empty() || !std::isxdigit(static_cast<unsigned char>(digits.front())))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(digits.c_str(), &end, base);
    if (*end != '\0' || errno == ERANGE)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < INT_MIN || value > (base == 16 ? static_cast<long long>(UINT_MAX) : INT_MAX))
        return std::nullopt;
    return static_cast<long>(value);
}

long decodeInteger(const std::optional<std::string>& text, long fallback) {
    if (!text)
        return fallback;
    return decodeInteger(*text).value_or(fallback);
}

bool decodeBoolean(const std::optional<std::string>& text, bool fallback) {
    return decodeInteger(text, fallback ? 1 : 0) != 0;
}

std::string encodeBoolean(bool value) {
    return value ? "1" : "0";
}

std::optional<std::string> SettingsSnapshot::text(const std::string& section,
                                                  const std::string& key) const {
    return file_.value(section, key);
}

std::string SettingsSnapshot::text(const std::string& section, const std::string& key,
                                   const std::string& fallback) const {
    return file_.value(section, key).value_or(fallback);
}

long SettingsSnapshot::integer(const std::string& section, const std::string& key,
                               long fallback) const {
    return decodeInteger(file_.value(section, key), fallback);
}

bool SettingsSnapshot::boolean(const std::string& section, const std::string& key,
                               bool fallback) const {
    return decodeBoolean(file_.value(section, key), fallback);
}

SettingsStore::SettingsStore(fs::path programFolder, fs::path registryFile)
    : iniFile_(programFolder / "Orvella.ini"), registryFile_(std::move(registryFile)) {}

bool SettingsStore::usesIniStore() const {
    std::error_code error;
    return fs::exists(iniFile_, error);
}

fs::path SettingsStore::chosenFile() const {
    return usesIniStore() ? iniFile_ : registryFile_;
}

SettingsSnapshot SettingsStore::read() const {
    bool ini = usesIniStore();
    return SettingsSnapshot(IniFile::load(ini ? iniFile_ : registryFile_), ini);
}

std::string SettingsStore::readText(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
    return read().text(section, key, fallback);
}

long SettingsStore::readInteger(const std::string& section, const std::string& key,
                                long fallback) const {
    return read().integer(section, key, fallback);
}

bool SettingsStore::readBoolean(const std::string& section, const std::string& key,
                                bool fallback) const {
    return read().boolean(section, key, fallback);
}

void SettingsStore::writeTo(const fs::path& file, const std::string& section,
                            const Values& values) {
    IniFile ini = IniFile::load(file);
    for (const auto& [key, value] : values)
        ini.setValue(section, key, value);
    ini.save(file);
}

void SettingsStore::write(const std::string& section, const Values& values) const {
    writeTo(chosenFile(), section, values);
}

void SettingsStore::writeText(const std::string& section, const std::string& key,
                              const std::string& value) const {
    write(section, {{key, value}});
}

void SettingsStore::writeBoolean(const std::string& section, const std::string& key,
                                 bool value) const {
    write(section, {{key, encodeBoolean(value)}});
}

void SettingsStore::writeInteger(const std::string& section, const std::string& key,
                                 long value) const {
    write(section, {{key, std::to_string(value)}});
}

void SettingsStore::writeToIni(const std::string& section, const Values& values) const {
    writeTo(iniFile_, section, values);
}

void SettingsStore::writeToRegistry(const std::string& section, const Values& values) const {
    writeTo(registryFile_, section, values);
}

void SettingsStore::deleteIniFile() const {
    // A file that stays would keep winning the store rule, so failing to
    // remove it is an error, not a detail.
    std::error_code error;
    if (!fs::remove(iniFile_, error) && error)
        throw fs::filesystem_error("cannot delete the settings file", iniFile_, error);
}

} // namespace orvella
