#include "shell/IniFile.h"

#include "shell/AtomicFile.h"
#include "shell/TextUtil.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orvella {

namespace fs = std::filesystem;

IniFile IniFile::load(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error))
        return parse("");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    return parse(content.str());
}

IniFile IniFile::parse(const std::string& text) {
    IniFile ini;
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::string trimmed = trim(raw);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            ini.sections_.push_back({trim(trimmed.substr(1, trimmed.size() - 2)), {}});
            continue;
        }
        Line line{raw, "", ""};
        size_t equals = raw.find('=');
        if (equals != std::string::npos && trimmed.front() != ';' && trimmed.front() != '#') {
            line.key = trim(raw.substr(0, equals));
            line.value = trim(raw.substr(equals + 1));
        }
        ini.sections_.back().lines.push_back(std::move(line));
    }
    return ini;
}

IniFile::Section* IniFile::findSection(const std::string& name) {
    for (size_t i = 1; i < sections_.size(); ++i)
        if (equalsIgnoringCase(sections_[i].name, name))
            return &sections_[i];
    return nullptr;
}

const IniFile::Section* IniFile::findSection(const std::string& name) const {
    return const_cast<IniFile*>(this)->findSection(name);
}

std::optional<std::string> IniFile::value(const std::string& section,
                                          const std::string& key) const {
    if (const Section* found = findSection(section))
        for (const Line& line : found->lines)
            if (!line.key.empty() && equalsIgnoringCase(line.key, key))
                return line.value;
    return std::nullopt;
}

void IniFile::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
    Section* target = findSection(section);
    if (!target) {
        sections_.push_back({section, {}});
        target = &sections_.back();
    }
    Line replacement{key + "=" + value, key, value};
    for (Line& line : target->lines)
        if (!line.key.empty() && equalsIgnoringCase(line.key, key)) {
            replacement.key = line.key;
            replacement.text = line.key + "=" + value;
            line = replacement;
            return;
        }
    // New keys go after the section's last entry, before trailing blank lines.
    auto position = target->lines.end();
    while (position != target->lines.begin() && trim(std::prev(position)->text).empty())
        --position;
    target->lines.insert(position, replacement);
}

std::string IniFile::text() const {
    std::string out;
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (i > 0)
            out += "[" + sections_[i].name + "]\r\n";
        for (const Line& line : sections_[i].lines)
            out += line.text + "\r\n";
    }
    return out;
}

void IniFile::save(const fs::path& file) const {
    if (file.has_parent_path())
        fs::create_directories(file.parent_path());
    replaceFileAtomically(file, text(), 0600);
}

} // namespace orvella
