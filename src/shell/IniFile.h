#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvella {

// A private-profile file: "[Section]" lines and "key=value" lines. Section
// and key names match without regard to letter case and keep the case they
// were first written in; keys may hold blanks. Lines the program does not
// understand (comments, blank lines) are kept as they are.
class IniFile {
public:
    // An absent file reads as empty; one that cannot be read throws.
    static IniFile load(const std::filesystem::path& file);

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    void setValue(const std::string& section, const std::string& key, const std::string& value);

    std::string text() const;
    // Written through a temporary file and a rename; a new file gets mode 0600
    // because the settings hold passwords.
    void save(const std::filesystem::path& file) const;

private:
    struct Line {
        std::string text; // the line as it stands in the file
        std::string key;  // set for "key=value" lines
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };

    static IniFile parse(const std::string& text);
    Section* findSection(const std::string& name);
    const Section* findSection(const std::string& name) const;

    std::vector<Section> sections_{Section{}}; // the first one is the unnamed head of the file
};

} // namespace orvella
