#include "files/FileRegistration.h"

#include "catalogue/Query.h"
#include "catalogue/SqlText.h"
#include "files/FileIdentity.h"

namespace orvella {

namespace fs = std::filesystem;

bool ReconcileListedFile(TStockDBObject& catalogue, const THashData& file,
                         std::optional<int64_t> rowFileSize) {
    if (rowFileSize) {
        // Content catalogued elsewhere under the new key keeps that row.
        if (*rowFileSize != file.FileSize && catalogue.GetImagePath(file.MD5).empty())
            catalogue.SetImageKeyAt(file.FilePath, file.FileName, file.MD5, file.FileSize);
        return false;
    }
    std::string existing = catalogue.GetImagePath(file.MD5);
    std::error_code missing;
    if (existing.empty()) {
        catalogue.AddImage(file);
    } else if (existing != file.FullName && fs::exists(existing, missing)) {
        return true;
    } else if (existing != file.FullName) {
        catalogue.SetImageFolder(file.MD5, file.FilePath);
        catalogue.SetImageFileName(file.MD5, file.FileName);
    }
    return false;
}

std::string RegisterFile(TStockDBObject& catalogue, const fs::path& file) {
    THashData data = ReadHashData(fs::absolute(file).lexically_normal());
    TQuery row(catalogue.Connection());
    row.SetSQL("select * from IMAGES where FilePath = " + QuotedStr(data.FilePath) +
               " and FileName = " + QuotedStr(data.FileName));
    row.Open();
    std::optional<int64_t> rowFileSize;
    if (!row.Eof()) {
        rowFileSize = row.FieldByName("FileSize").AsInteger();
        if (*rowFileSize == data.FileSize)
            return row.FieldByName("MD5").AsString();
    }
    data.MD5 = FileMD5(data.FullName);
    ReconcileListedFile(catalogue, data, rowFileSize);
    return data.MD5;
}

std::vector<TImageData> RegisterFiles(TStockDBObject& catalogue,
                                      const std::vector<fs::path>& files) {
    std::vector<TImageData> selection;
    for (const fs::path& file : files) {
        fs::path full = fs::absolute(file).lexically_normal();
        TImageData item;
        item.MD5 = RegisterFile(catalogue, full);
        item.FileName = full.filename().string();
        item.FilePath = full.parent_path().string();
        item.FullName = full.string();
        selection.push_back(std::move(item));
    }
    return selection;
}

} // namespace orvella
