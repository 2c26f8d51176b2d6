// Model releases and the cache of EXIF and IPTC values of each image.
#include "catalogue/StockDB.h"

#include "catalogue/SqlText.h"
#include "shell/Log.h"
#include "shell/TextUtil.h"

namespace orvella {

std::string TStockDBObject::AddModelRelease(const std::string& file, const std::string& modelName) {
    std::string id = NewId();
    query_.SetSQL(
        "insert into MODEL_RELEASE (RELEASE_ID, FILENAME, MODEL_NAME, RELEASE_DATE) values (" +
        QuotedStr(id) + ", " + QuotedStr(file) + ", " + QuotedStr(modelName) + ", :rdate)");
    query_.ParamDateTime("rdate", nowUtc());
    query_.ExecSQL();
    return id;
}

TModelReleases TStockDBObject::GetModelReleases() {
    openShared("select * from MODEL_RELEASE order by MODEL_NAME");
    TModelReleases releases;
    for (query_.First(); !query_.Eof(); query_.Next())
        releases.push_back({query_.FieldByName("RELEASE_ID").AsString(),
                            query_.FieldByName("FILENAME").AsString(),
                            query_.FieldByName("MODEL_NAME").AsString()});
    return releases;
}

TModelReleases TStockDBObject::GetImageReleases(const std::string& key) {
    openShared("select * from IMAGE_RELEASE where MD5 = " + QuotedStr(key));
    TModelReleases releases;
    for (query_.First(); !query_.Eof(); query_.Next())
        releases.push_back({query_.FieldByName("RELEASE_ID").AsString(), "", ""});
    return releases;
}

void TStockDBObject::AttachRelease(const std::string& key, const TMR& release) {
    if (openShared("select * from IMAGE_RELEASE where MD5 = " + QuotedStr(key) +
                   " and RELEASE_ID = " + QuotedStr(release.ReleaseId)) > 0) {
        logGuarded("Image release already exists");
        return;
    }
    ExecuteStatement("insert into IMAGE_RELEASE (MD5, RELEASE_ID)  values (" + QuotedStr(key) +
                     ", " + QuotedStr(release.ReleaseId) + ")");
    logGuarded("New release added. ID " + release.ReleaseId);
}

void TStockDBObject::DetachRelease(const std::string& key, const TMR& release) {
    ExecuteStatement("delete from IMAGE_RELEASE where MD5 = " + QuotedStr(key) +
                     " and RELEASE_ID = " + QuotedStr(release.ReleaseId));
}

void TStockDBObject::DeleteRelease(const std::string& releaseId) {
    ExecuteStatement("delete from IMAGE_RELEASE where RELEASE_ID = " + QuotedStr(releaseId));
    ExecuteStatement("delete from MODEL_RELEASE where RELEASE_ID = " + QuotedStr(releaseId));
}

// The EXIF and IPTC caches have the same shape: a dictionary of tag names
// and one value row per image and tag.
struct TStockDBObject::MetadataTables {
    const char* findTag;     // + quoted name
    const char* idColumn;    // of the dictionary
    const char* insertTag;   // + quoted id, ", ", quoted name, ")"
    const char* valueFilter; // "<table> where MD5 = " + quoted key + this + quoted tag id
    const char* valueTable;
    const char* insertValue; // + quoted id, tag id, key, value, ")"
};

std::string TStockDBObject::storeMetadataValue(const MetadataTables& tables, const std::string& key,
                                               const std::string& tagName,
                                               const std::string& value) {
    std::string tagId;
    if (openShared(tables.findTag + QuotedStr(toLowerAscii(tagName))) > 0) {
        tagId = query_.FieldByName(tables.idColumn).AsString();
    } else {
        tagId = NewId();
        ExecuteStatement(tables.insertTag + QuotedStr(tagId) + ", " + QuotedStr(tagName) + ")");
    }
    std::string valueRows = std::string(tables.valueTable) + " where MD5 = " + QuotedStr(key) +
                            tables.valueFilter + QuotedStr(tagId);
    if (openShared("select * from " + valueRows) > 0)
        ExecuteStatement("delete from " + valueRows);
    std::string id = NewId();
    ExecuteStatement(tables.insertValue + QuotedStr(id) + ", " + QuotedStr(tagId) + ", " +
                     QuotedStr(key) + ", " + QuotedStr(value) + ")");
    return id;
}

std::string TStockDBObject::StoreExifValue(const std::string& key, const std::string& tagName,
                                           const std::string& value) {
    static const MetadataTables exif{
        "select * from EXIFTAG where TAG_NAME = ",
        "EXIFTAG_ID",
        "insert into EXIFTAG (EXIFTAG_ID, TAG_NAME)  values(",
        " and EXIFTAG_ID =",
        "EXIF",
        "insert into EXIF (EXIF_ID, EXIFTAG_ID, MD5, AVALUE)  values("};
    return storeMetadataValue(exif, key, tagName, value);
}

std::string TStockDBObject::StoreIptcValue(const std::string& key, const std::string& datasetName,
                                           const std::string& value) {
    static const MetadataTables iptc{"select * from IPTCTAG where DEFAULT_VALUE = ",
                                     "TAG_ID",
                                     "insert into IPTCTAG (TAG_ID, DEFAULT_VALUE)  values(",
                                     " and TAG_ID =",
                                     "IPTC",
                                     "insert into IPTC (IPTC_ID, TAG_ID, MD5, AVALUE)  values("};
    return storeMetadataValue(iptc, key, datasetName, value);
}

} // namespace orvella
