// Image records and their submission states at each stock.
#include "catalogue/StockDB.h"

#include "catalogue/SqlText.h"
#include "shell/Log.h"
#include "shell/Progress.h"

#include <stdexcept>

namespace orvella {

namespace {
std::string stockNumber(int32_t stockId) {
    return std::to_string(stockId);
}
} // namespace

void TStockDBObject::AddImage(const THashData& file) {
    if (imageExists(file.MD5))
        return;
    // Names and folders are kept as found on disk: the file system tells
    // letter case apart, so a lower-cased path would name another file.
    query_.SetSQL(
        "insert into IMAGES (MD5, FileName, FilePath, ModifyDate, CreationDate, FileSize, ImgBits, "
        "ParentCopy) values (" +
        QuotedStr(file.MD5) + ", " + QuotedStr(file.FileName) + ", " + QuotedStr(file.FilePath) +
        ", :mdate, :cdate, " + std::to_string(file.FileSize) + ", 24, '')");
    query_.ParamDateTime("cdate", file.CreationDate);
    query_.ParamDateTime("mdate", file.ModifyDate);
    query_.ExecSQL();
}

std::string TStockDBObject::GetImagePath(const std::string& key) {
    if (!imageExists(key))
        return "";
    std::string folder = query_.FieldByName("FilePath").AsString();
    std::string name = query_.FieldByName("FileName").AsString();
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

void TStockDBObject::SetImageFileName(const std::string& key, const std::string& name) {
    ExecuteStatement("update IMAGES set FileName = " + QuotedStr(name) +
                     " where MD5 = " + QuotedStr(key));
}

void TStockDBObject::SetImageFolder(const std::string& key, const std::string& folder) {
    ExecuteStatement("update IMAGES set FilePath = " + QuotedStr(folder) +
                     " where MD5 = " + QuotedStr(key));
}

void TStockDBObject::SetImageLocation(const std::string& key, const std::string& folder,
                                      const std::string& name) {
    query_.SetSQL(locationUpdate_.SQL()); // what the debug window shows as the latest statement
    locationUpdate_.ExecSQL({folder, name, key});
}

std::vector<TFolderImage> TStockDBObject::GetFolderImages(const std::string& folder) {
    openShared("select * from IMAGES where FilePath = " + QuotedStr(folder));
    std::vector<TFolderImage> rows;
    rows.reserve(query_.RecordCount());
    for (query_.First(); !query_.Eof(); query_.Next())
        rows.push_back({query_.FieldByName("MD5").AsString(),
                        query_.FieldByName("FileName").AsString(),
                        query_.FieldByName("FileSize").AsInteger(),
                        query_.FieldByName("FilePath").AsString()});
    return rows;
}

// One place holds one row. A catalogue that gained a second row for an edited
// file keeps the older row, with the other's keywords joined to it.
void TStockDBObject::dropSecondRowsAt(const std::string& folder, const std::string& name) {
    openShared("select MD5 from IMAGES where FileName = " + QuotedStr(name) +
               " and FilePath = " + QuotedStr(folder) + " order by rowid");
    std::vector<std::string> keys;
    for (query_.First(); !query_.Eof(); query_.Next())
        keys.push_back(query_.FieldByName("MD5").AsString());
    for (size_t i = 1; i < keys.size(); ++i) {
        MergeImageKeywords(keys.front(), keys[i]);
        DeleteImage(keys[i]);
        logAlways("Catalogue: a second row of " + folder + "/" + name + " (" + keys[i] +
                  ") was joined to the first (" + keys.front() + ")");
    }
}

void TStockDBObject::SetImageKeyAt(const std::string& folder, const std::string& name,
                                   const std::string& newKey, int64_t size) {
    dropSecondRowsAt(folder, name);
    ExecuteStatement(
        "update IMAGES set MD5 = " + QuotedStr(newKey) + ", FileSize = " + std::to_string(size) +
        " where FileName = " + QuotedStr(name) + " and FilePath = " + QuotedStr(folder));
}

std::string TStockDBObject::ImageKeyAt(const std::string& folder, const std::string& name) {
    if (openShared("select MD5 from IMAGES where FileName = " + QuotedStr(name) +
                   " and FilePath = " + QuotedStr(folder)) == 0)
        return "";
    return query_.FieldByName("MD5").AsString();
}

// The catalogue's triggers carry the image's states, keywords, categories,
// releases and cached metadata along to the new key.
void TStockDBObject::ChangeImageKey(const std::string& newKey, const std::string& oldKey) {
    ExecuteStatement("update IMAGES set MD5 = " + QuotedStr(newKey) +
                     " where MD5 = " + QuotedStr(oldKey));
}

// Cached EXIF and IPTC values stay: the full scan replaces them tag by tag.
void TStockDBObject::DeleteImage(const std::string& key) {
    if (!imageExists(key))
        return;
    for (const char* statement :
         {"delete from IMAGE_RELEASE where MD5 = ", "delete from IMAGE_STOCK where MD5 = ",
          "delete from IMAGE_KEYWORD where MD5 = ", "delete from IMAGE_CATEGORY where MD5 = ",
          "delete from IMAGES where MD5 = "})
        ExecuteStatement(statement + QuotedStr(key));
}

void TStockDBObject::CleanupOrphans() {
    size_t orphans = openShared("select * from IMAGES where FileName = '' and FilePath = ''");
    if (orphans == 0)
        return;
    std::vector<std::string> keys;
    for (query_.First(); !query_.Eof(); query_.Next())
        keys.push_back(query_.FieldByName("MD5").AsString());
    if (!progress_)
        throw std::logic_error("the catalogue access object has no progress window");
    ProgressScope progress(*progress_, static_cast<int>(orphans));
    for (size_t i = 0; i < keys.size(); ++i) {
        DeleteImage(keys[i]);
        progress.step(static_cast<int>(i));
    }
}

uint8_t TStockDBObject::GetState(int32_t stockId, const std::string& key) {
    if (openShared("select * from IMAGE_STOCK where STOCK_ID = " + stockNumber(stockId) +
                   " and MD5 = " + QuotedStr(key)) == 0)
        return 0;
    return StateOrdinalOf(query_.FieldByName("STATE_ID").AsString());
}

TStockStates TStockDBObject::GetStates(const std::string& key) {
    openShared("select * from IMAGE_STOCK where MD5 = " + QuotedStr(key) + " order by STOCK_ID");
    TStockStates states;
    for (query_.First(); !query_.Eof(); query_.Next()) {
        TStockState state;
        state.StockId = static_cast<int32_t>(query_.FieldByName("STOCK_ID").AsInteger());
        state.UploadComment = query_.FieldByName("UPLOAD_COMMENT").AsString();
        TField uploaded = query_.FieldByName("UPLOAD_DATE");
        if (!uploaded.IsNull())
            state.UploadDate = uploaded.AsDateTime();
        state.State = StateOrdinalOf(query_.FieldByName("STATE_ID").AsString());
        states.push_back(std::move(state));
    }
    return states;
}

void TStockDBObject::GetStateSummary(std::vector<std::string>& lines, const std::string& key) {
    lines.clear();
    TQuery rows(connection_);
    rows.SetSQL("select * from IMAGE_STOCK where MD5 = " + QuotedStr(key));
    rows.Open();
    for (; !rows.Eof(); rows.Next()) {
        int32_t stockId = static_cast<int32_t>(rows.FieldByName("STOCK_ID").AsInteger());
        lines.push_back(GetStockName(stockId) + ": " +
                        GetStateName(rows.FieldByName("STATE_ID").AsString()));
    }
}

std::string TStockDBObject::GetStateName(const std::string& stateId) {
    if (openShared("select * from IMAGE_STATE where STATE_ID = " + QuotedStr(stateId)) == 0)
        return "";
    return query_.FieldByName("STATE_NAME").AsString();
}

void TStockDBObject::SetState(int32_t stockId, const std::string& key, uint8_t ordinal) {
    if (ordinal < 1 || ordinal > 8)
        throw std::invalid_argument("a submission state ordinal runs from 1 to 8");
    std::string code = std::to_string(ordinal - 1);
    std::string stock = stockNumber(stockId);
    if (openShared("select * from IMAGE_STOCK where MD5 =" + QuotedStr(key) +
                   " and STOCK_ID = " + stock) > 0) {
        ExecuteStatement("update IMAGE_STOCK set STATE_ID = " + QuotedStr(code) +
                         " where MD5 =" + QuotedStr(key) + " and STOCK_ID = " + stock);
    } else if (imageExists(key)) {
        ExecuteStatement("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID)  values(" +
                         QuotedStr(key) + ", " + stock + ", " + QuotedStr(code) + ")");
    } else {
        tellUnknownImage(key);
    }
}

void TStockDBObject::SetUploadComment(int32_t stockId, const std::string& key,
                                      const std::string& comment) {
    std::string stock = stockNumber(stockId);
    if (openShared("select * from IMAGE_STOCK where MD5 = " + QuotedStr(key) +
                   " and STOCK_ID = " + stock) == 0)
        ExecuteStatement(
            "insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID, UPLOAD_COMMENT)  values(" +
            QuotedStr(key) + ", " + stock + ", 0, " + QuotedStr(comment) + ")");
    else
        ExecuteStatement("update IMAGE_STOCK set UPLOAD_COMMENT = " + QuotedStr(comment) +
                         " where MD5 = " + QuotedStr(key) + " and STOCK_ID = " + stock);
}

void TStockDBObject::RemoveState(int32_t stockId, const std::string& key) {
    if (key.empty())
        return;
    ExecuteStatement("delete from IMAGE_STOCK where STOCK_ID = " + stockNumber(stockId) +
                     " and MD5 = " + QuotedStr(key));
}

} // namespace orvella
