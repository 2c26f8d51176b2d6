#pragma once

#include "shell/SettingsStore.h"

#include <string>
#include <variant>
#include <vector>

namespace orvella {

inline constexpr const char* kOptionsSection = "Options";

// One key of the "Options" section with its default.
struct OptionKey {
    enum class Kind { Boolean, Text, Integer };
    const char* name;
    Kind kind;
    bool cached;             // held in the option cache
    bool booleanDefault;     // for Boolean keys
    const char* textDefault; // for Text and Integer keys
};

// Every key of the section, in the order the cache loads them.
const std::vector<OptionKey>& optionKeys();

// A cached value: a boolean, a text, or unassigned (a name without an entry),
// which reads as false and as empty text.
class OptionValue {
public:
    OptionValue() = default;
    OptionValue(bool value) : value_(value) {}
    OptionValue(std::string value) : value_(std::move(value)) {}

    bool isAssigned() const { return !std::holds_alternative<std::monostate>(value_); }
    bool toBool() const;
    std::string toText() const;
    bool operator==(const OptionValue& other) const { return value_ == other.value_; }

private:
    std::variant<std::monostate, bool, std::string> value_;
};

struct TCacheOption {
    std::string name;
    OptionValue value;
};

// The options most modules read, loaded from the settings store at start-up
// and again after the options dialog is confirmed.
class TOptionsCache {
public:
    explicit TOptionsCache(const SettingsStore& store) : store_(store) {}

    void LoadOptions();
    // Exact, case-sensitive name; a name without an entry gives an unassigned value.
    OptionValue GetOption(const std::string& name) const;
    // Replaces an existing entry only; with persist, also writes the value as a
    // boolean to the store.
    void SetOption(const std::string& name, const OptionValue& value, bool persist);

    const std::vector<TCacheOption>& entries() const { return entries_; }

private:
    const SettingsStore& store_;
    std::vector<TCacheOption> entries_;
};

} // namespace orvella
