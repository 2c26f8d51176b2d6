#pragma once

#include "files/FilterPanel.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace orvella {

// A preset file that could not be read: not well-formed XML, or unreadable.
// The text is the parser's message.
class EFilterPresetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder "Filters" of the program folder, made when missing.
std::filesystem::path FilterPresetFolder(const std::filesystem::path& programFolder);

// The name as typed in the save dialog, with ".xml" added when it has no
// extension.
std::string WithPresetExtension(const std::string& fileName);

// The panel as a preset document: a Stock element per named grid row with
// its eight states, then the format entries.
std::string FilterPresetXml(const FilterPanelState& panel);

// Writes the preset through a temporary file and a rename.
void SaveFilterPreset(const FilterPanelState& panel, const std::filesystem::path& file);

// Reads a preset into the panel. Rows whose stock the file does not name
// keep their cells, a stock the grid does not show and a format the list
// does not have are passed over. A file that cannot be parsed throws before
// anything changes.
void LoadFilterPreset(FilterPanelState& panel, const std::filesystem::path& file);

} // namespace orvella
