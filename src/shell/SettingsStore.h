#pragma once

#include "shell/IniFile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvella {

// Value encoding shared by both stores: every value is text; booleans are
// "1"/"0" and read true for any non-zero integer; integers are decimal, and
// reading also accepts "0x" or "$" hexadecimal.
std::optional<long> decodeInteger(const std::string& text);
long decodeInteger(const std::optional<std::string>& text, long fallback);
bool decodeBoolean(const std::optional<std::string>& text, bool fallback);
std::string encodeBoolean(bool value);

// What one reader sees: the store chosen by the store rule, loaded once.
class SettingsSnapshot {
public:
    SettingsSnapshot(IniFile file, bool iniStore) : file_(std::move(file)), iniStore_(iniStore) {}

    bool isIniStore() const { return iniStore_; }
    std::optional<std::string> text(const std::string& section, const std::string& key) const;
    std::string text(const std::string& section, const std::string& key,
                     const std::string& fallback) const;
    long integer(const std::string& section, const std::string& key, long fallback) const;
    bool boolean(const std::string& section, const std::string& key, bool fallback) const;

private:
    IniFile file_;
    bool iniStore_;
};

// The two stores and the rule between them: "Orvella.ini" in the program
// folder wins whenever it exists; otherwise the per-user registry file. The
// rule is applied afresh on every read and write, so creating or deleting the
// INI file switches the store at once.
class SettingsStore {
public:
    SettingsStore(std::filesystem::path programFolder, std::filesystem::path registryFile);

    std::filesystem::path iniFile() const { return iniFile_; }
    const std::filesystem::path& registryFile() const { return registryFile_; }
    bool usesIniStore() const;

    SettingsSnapshot read() const;
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
    long readInteger(const std::string& section, const std::string& key, long fallback) const;
    bool readBoolean(const std::string& section, const std::string& key, bool fallback) const;

    using Values = std::vector<std::pair<std::string, std::string>>;
    // Writes several keys of one section with a single rewrite of the store.
    void write(const std::string& section, const Values& values) const;
    void writeText(const std::string& section, const std::string& key,
                   const std::string& value) const;
    void writeBoolean(const std::string& section, const std::string& key, bool value) const;
    void writeInteger(const std::string& section, const std::string& key, long value) const;

    // Explicit choice of store, as the options dialog makes it when it saves.
    void writeToIni(const std::string& section, const Values& values) const;
    void writeToRegistry(const std::string& section, const Values& values) const;
    void deleteIniFile() const;

private:
    std::filesystem::path chosenFile() const;
    static void writeTo(const std::filesystem::path& file, const std::string& section,
                        const Values& values);

    std::filesystem::path iniFile_;
    std::filesystem::path registryFile_;
};

} // namespace orvella
