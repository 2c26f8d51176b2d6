#pragma once

#include "catalogue/FileRecords.h"
#include "catalogue/StockDB.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace orvella {

// The catalogue decision the folder loader makes for one listed file, whose
// key (file.MD5) is known. rowFileSize is the size recorded in the row of the
// same folder and name, when there is one. A known file whose size changed
// takes its fresh key (the catalogue's triggers carry its keywords, states and
// categories along); an unknown file is registered, or takes along the row of
// its content when that file was moved here. Gives true when the file is a
// copy of an image catalogued at a place that still exists. A statement the
// catalogue refuses raises EDatabaseError.
bool ReconcileListedFile(TStockDBObject& catalogue, const THashData& file,
                         std::optional<int64_t> rowFileSize);

// The image key of a file as the folder loader would list it, registering the
// file first when the catalogue does not know it. The file is read (hashed)
// only when its row is missing or its size changed. Throws std::system_error
// when the file cannot be examined or read.
std::string RegisterFile(TStockDBObject& catalogue, const std::filesystem::path& file);

// The selection a window would have after loading the files' folders: one
// item per file, in the order given, each with its image key.
std::vector<TImageData> RegisterFiles(TStockDBObject& catalogue,
                                      const std::vector<std::filesystem::path>& files);

} // namespace orvella
