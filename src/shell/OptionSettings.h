#pragma once

#include "shell/Options.h"
#include "shell/SettingsStore.h"

#include <map>
#include <string>
#include <vector>

namespace orvella {

// The settings the options dialog edits: every key of section "Options" but
// ProxyType, read from the store the store rule picks and written back, as a
// whole, to the store the "UseINI" choice names.
class OptionSettings {
public:
    // Absent keys take their defaults. "UseINI" without a value follows the
    // store in use, so confirming the dialog never drops a portable
    // installation's INI file that simply lacks the key. A stored proxy port
    // that is no port number reads as empty.
    static OptionSettings load(const SettingsStore& store);

    // The keys in the order of the section's table.
    static std::vector<const OptionKey*> editedKeys();
    static bool isEdited(const std::string& key);
    static bool isBooleanKey(const std::string& key);

    // Unknown keys (and a text key asked as a flag, or the reverse) throw
    // std::invalid_argument.
    bool flag(const std::string& key) const;
    void setFlag(const std::string& key, bool value);
    std::string text(const std::string& key) const;
    // ProxyPort takes only isValidProxyPort texts (kept trimmed); anything
    // else throws std::invalid_argument and leaves the value as it was.
    void setText(const std::string& key, const std::string& value);
    // A value as written on a command line: booleans as 1/0, true/false,
    // yes/no or on/off.
    void setFromText(const std::string& key, const std::string& value);

    // Empty, or a decimal number from 1 to 65535.
    static bool isValidProxyPort(const std::string& text);

    // Key and stored text, in table order.
    SettingsStore::Values values() const;
    // With UseINI into "Orvella.ini" (made if needed); otherwise into the
    // per-user store, and only then is "Orvella.ini" deleted, so a failed
    // write loses nothing.
    void save(const SettingsStore& store) const;

private:
    std::map<std::string, std::string> values_; // booleans as "1"/"0"
};

} // namespace orvella
