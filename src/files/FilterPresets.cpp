#include "files/FilterPresets.h"

#include "shell/AtomicFile.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <sstream>

namespace orvella {

namespace fs = std::filesystem;

namespace {

// The state name of each state column, in column order; "isUploaded" is the
// name the files have always used for Pending.
const std::array<const char*, kFilterStateColumns> kStateNames{
    "isNotReady", "isReadyToUpload", "isUploaded", "isUploadFailed",
    "isRejected", "isAccepted",      "isResubmit", "isDonated"};

int stateColumnOf(const std::string& stateName) {
    for (size_t i = 0; i < kStateNames.size(); ++i)
        if (stateName == kStateNames[i])
            return static_cast<int>(i) + 1;
    return 0;
}

void readStocks(const pugi::xml_node& stocks, FilterPanelState& panel) {
    for (pugi::xml_node stock : stocks.children("Stock")) {
        std::string name = stock.attribute("StockName").as_string();
        auto& rows = panel.rows();
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&](const FilterGridRow& line) { return line.stockName == name; });
        if (row == rows.end())
            continue;
        for (pugi::xml_node state : stock.children()) {
            int column = stateColumnOf(state.attribute("StateName").as_string());
            if (column == 0)
                continue;
            std::string value = state.attribute("Value").as_string();
            row->cells[static_cast<size_t>(column - 1)] = value.empty() ? "1" : value;
        }
    }
}

void readFormats(const pugi::xml_node& formats, FilterPanelState& panel) {
    for (pugi::xml_node format : formats.children("Format")) {
        std::string name = format.attribute("FormatName").as_string();
        bool selected = format.attribute("Selected").as_bool(false);
        for (FilterFormat& entry : panel.formats())
            if (entry.name == name)
                entry.ticked = selected;
    }
}

} // namespace

fs::path FilterPresetFolder(const fs::path& programFolder) {
    fs::path folder = programFolder / "Filters";
    fs::create_directories(folder);
    return folder;
}

std::string WithPresetExtension(const std::string& fileName) {
    return fs::path(fileName).has_extension() ? fileName : fileName + ".xml";
}

std::string FilterPresetXml(const FilterPanelState& panel) {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child("Filter15");
    pugi::xml_node stocks = root.append_child("Stocks");
    for (const FilterGridRow& row : panel.rows()) {
        if (row.stockName.empty())
            continue;
        pugi::xml_node stock = stocks.append_child("Stock");
        stock.append_attribute("StockName") = row.stockName.c_str();
        for (size_t i = 0; i < kStateNames.size(); ++i) {
            pugi::xml_node state = stock.append_child("State");
            state.append_attribute("Value") = row.cells[i].c_str();
            state.append_attribute("StateName") = kStateNames[i];
        }
    }
    pugi::xml_node formats = root.append_child("Formats");
    for (const FilterFormat& entry : panel.formats()) {
        pugi::xml_node format = formats.append_child("Format");
        format.append_attribute("FormatName") = entry.name.c_str();
        format.append_attribute("Selected") = entry.ticked ? "True" : "False";
    }
    std::ostringstream text;
    document.save(text, "  ", pugi::format_indent, pugi::encoding_utf8);
    return text.str();
}

void SaveFilterPreset(const FilterPanelState& panel, const fs::path& file) {
    replaceFileAtomically(file, FilterPresetXml(panel));
}

void LoadFilterPreset(FilterPanelState& panel, const fs::path& file) {
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_file(file.c_str());
    if (!parsed)
        throw EFilterPresetError(std::string(parsed.description()) + " at offset " +
                                 std::to_string(parsed.offset) + " of " + file.string());
    FilterPanelState updated = panel;
    for (pugi::xml_node child : document.document_element().children()) {
        std::string name = child.name();
        if (name == "Stocks")
            readStocks(child, updated);
        else if (name == "Formats")
            readFormats(child, updated);
    }
    panel = std::move(updated);
}

} // namespace orvella
