// The keyword dictionary and the ordered keywords of each image.
#include "catalogue/StockDB.h"

#include "catalogue/KeywordText.h"
#include "catalogue/QueryCursor.h"
#include "catalogue/SqlText.h"
#include "shell/Log.h"
#include "shell/TextUtil.h"

#include <algorithm>
#include <functional>

namespace orvella {

namespace {

struct KeywordRow {
    std::string keywordId;
    TField order;
};

std::vector<KeywordRow> keywordRows(TQuery& query) {
    std::vector<KeywordRow> rows;
    for (query.First(); !query.Eof(); query.Next())
        rows.push_back({query.FieldByName("KEYWORD_ID").AsString(), query.FieldByName("ORDER_ID")});
    return rows;
}

std::vector<std::string> idsOf(const std::vector<KeywordRow>& rows) {
    std::vector<std::string> ids;
    for (const KeywordRow& row : rows)
        ids.push_back(row.keywordId);
    return ids;
}

bool contains(const std::vector<std::string>& ids, const std::string& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string imageKeywordsSelect(const std::string& key) {
    return "select * from IMAGE_KEYWORD where MD5 = " + QuotedStr(key);
}

std::string orderedImageKeywordsSelect(const std::string& key) {
    return imageKeywordsSelect(key) + " order by ORDER_ID";
}

// The keyword row of a text, letter case apart. The column's NOCASE
// collation folds ASCII letters only; a text with other letters is compared
// with both sides folded by FOLD_CASE, every letter included.
std::string keywordLookup(const std::string& text) {
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return "select * from KEYWORDS where KEYWORD = " + QuotedStr(text);
    return "select * from KEYWORDS where KEYWORD = " + QuotedStr(text) +
           " or FOLD_CASE(KEYWORD) = FOLD_CASE(" + QuotedStr(text) +
           ") order by KEYWORD = " + QuotedStr(text) + " desc";
}

} // namespace

std::string TStockDBObject::FindKeywordId(const std::string& keyword) {
    std::string text = TrimKeyword(keyword);
    if (openShared(keywordLookup(text)) == 0)
        return "";
    return query_.FieldByName("KEYWORD_ID").AsString();
}

std::string TStockDBObject::GetOrCreateKeyword(const std::string& keyword) {
    std::string text = TrimKeyword(keyword);
    std::string id = FindKeywordId(text);
    if (!id.empty())
        return id;
    id = NewId();
    ExecuteStatement("insert into KEYWORDS(KEYWORD_ID, KEYWORD)  values(" + QuotedStr(id) + ", " +
                     QuotedStr(text) + ")");
    return id;
}

void TStockDBObject::AddKeywordToImage(const std::string& key, const std::string& keywordId) {
    openShared(imageKeywordsSelect(key));
    // A new keyword goes after every other one. After a removal the count
    // alone could repeat a number in use, so the highest number counts too.
    int64_t last = static_cast<int64_t>(query_.RecordCount());
    for (const KeywordRow& row : keywordRows(query_))
        if (!row.order.IsNull())
            last = std::max(last, row.order.AsInteger());
    if (openShared(imageKeywordsSelect(key) + " and KEYWORD_ID = " + QuotedStr(keywordId)) > 0)
        return;
    if (!imageExists(key)) {
        tellUnknownImage(key);
        return;
    }
    ExecuteStatement("insert into IMAGE_KEYWORD (MD5, KEYWORD_ID, ORDER_ID) values(" +
                     QuotedStr(key) + ", " + QuotedStr(keywordId) + ", " +
                     std::to_string(last + 1) + ")");
    logGuarded("Keyword ID " + keywordId + " added to image " + key);
}

bool TStockDBObject::AddKeywordTextToImage(const std::string& key, const std::string& text) {
    for (const std::string& word : SplitKeywords(text)) {
        std::string id = GetOrCreateKeyword(word);
        logGuarded("New keyword created " + word + " (" + id + ")");
        AddKeywordToImage(key, id);
    }
    return true;
}

std::string TStockDBObject::AddKeywordTextAndList(const std::string& text, const std::string& key) {
    for (const std::string& word : SplitKeywords(text))
        AddKeywordToImage(key, GetOrCreateKeyword(word));
    return GetImageKeywordLine(key);
}

void TStockDBObject::RemoveKeywordFromImage(const std::string& key, const std::string& keywordId) {
    ExecuteStatement("delete from IMAGE_KEYWORD where MD5 = " + QuotedStr(key) +
                     " and KEYWORD_ID = " + QuotedStr(keywordId));
}

void TStockDBObject::ClearImageKeywords(const std::string& key) {
    ExecuteStatement("delete from IMAGE_KEYWORD where MD5 = " + QuotedStr(key));
}

void TStockDBObject::DeleteKeyword(const std::string& keyword) {
    if (openShared(keywordLookup(keyword)) == 0)
        return;
    std::string id = query_.FieldByName("KEYWORD_ID").AsString();
    for (const char* statement : {"delete from RULE_KEY where KEYWORD_ID = ",
                                  "delete from CATEGORY_KEYWORD where KEYWORD_ID = ",
                                  "delete from IMAGE_KEYWORD where KEYWORD_ID = ",
                                  "delete from KEYWORDS where KEYWORD_ID = "})
        ExecuteStatement(statement + QuotedStr(id));
}

TKeywords TStockDBObject::keywordColumn(const std::string& sql) {
    openShared(sql);
    TKeywords keywords;
    for (query_.First(); !query_.Eof(); query_.Next())
        keywords.push_back(query_.FieldByName("KEYWORD").AsString());
    return keywords;
}

TKeywords TStockDBObject::GetImageKeywords(const std::string& key) {
    if (optionOn("KeywordsAlphaSort"))
        SortImageKeywords(key);
    return keywordColumn("select K.* from KEYWORDS K, IMAGE_KEYWORD C where K.KEYWORD_ID = "
                         "C.KEYWORD_ID and  MD5 = " +
                         QuotedStr(key) + " order by ORDER_ID");
}

std::string TStockDBObject::GetImageKeywordLine(const std::string& key) {
    std::string line;
    for (const std::string& keyword : GetImageKeywords(key)) {
        if (!line.empty())
            line += ',';
        line += TrimKeyword(keyword);
    }
    return line;
}

// Walks the image's keywords in order (backwards to move up) to the keyword,
// and swaps its number with its neighbour's. The first keyword moved up, or
// the last moved down, is its own neighbour and keeps its number.
void TStockDBObject::moveKeyword(const std::string& key, const std::string& keywordId, bool up) {
    if (openShared("select * from KEYWORDS where KEYWORD_ID = " + QuotedStr(keywordId)) == 0)
        return;
    openShared(orderedImageKeywordsSelect(key));
    std::vector<KeywordRow> rows = keywordRows(query_);
    auto found = std::find_if(rows.begin(), rows.end(), [&](const KeywordRow& row) {
        return equalsIgnoringCase(row.keywordId, keywordId);
    });
    if (found == rows.end())
        return; // not a keyword of this image
    size_t index = static_cast<size_t>(found - rows.begin());
    size_t neighbourIndex =
        up ? (index == 0 ? 0 : index - 1) : std::min(index + 1, rows.size() - 1);
    const KeywordRow& neighbour = rows[neighbourIndex];
    int64_t own = found->order.AsInteger();
    int64_t other =
        neighbour.order.IsNull() ? (up ? own + 1 : own - 1) : neighbour.order.AsInteger();
    auto setOrder = [&](int64_t order, const std::string& id) {
        ExecuteStatement("update IMAGE_KEYWORD set ORDER_ID = " + std::to_string(order) +
                         " where MD5 = " + QuotedStr(key) + " and KEYWORD_ID = " + QuotedStr(id));
    };
    std::string neighbourId = neighbour.keywordId;
    setOrder(other, keywordId);
    setOrder(own, neighbourId);
}

void TStockDBObject::MoveKeywordUp(const std::string& key, const std::string& keywordId) {
    moveKeyword(key, keywordId, true);
}

void TStockDBObject::MoveKeywordDown(const std::string& key, const std::string& keywordId) {
    moveKeyword(key, keywordId, false);
}

// Numbers the rows of the shared query's result from 0, in their order, with
// a query of its own while the result is walked.
void TStockDBObject::renumberKeywords(
    const std::function<std::string(int, const std::string&)>& statementFor) {
    TQuery renumber(connection_);
    int index = 0;
    for (const KeywordRow& row : keywordRows(query_)) {
        renumber.SetSQL(statementFor(index++, row.keywordId));
        renumber.ExecSQL();
    }
}

void TStockDBObject::SortImageKeywords(const std::string& key) {
    openShared("select I.* from IMAGE_KEYWORD I, KEYWORDS K where MD5 = " + QuotedStr(key) +
               " and I.KEYWORD_ID = K.KEYWORD_ID order by K.KEYWORD");
    renumberKeywords([&](int index, const std::string& keywordId) {
        return "update IMAGE_KEYWORD set ORDER_ID = " + std::to_string(index) +
               " where KEYWORD_ID = " + QuotedStr(keywordId) + " and MD5 = " + QuotedStr(key);
    });
}

void TStockDBObject::RepairKeywordOrder(const std::string& key) {
    if (openShared(imageKeywordsSelect(key) + " and ORDER_ID is NULL") == 0)
        return;
    openShared(orderedImageKeywordsSelect(key));
    renumberKeywords([&](int index, const std::string& keywordId) {
        return "update IMAGE_KEYWORD set ORDER_ID = " + std::to_string(index) +
               " where MD5 = " + QuotedStr(key) + " and KEYWORD_ID = " + QuotedStr(keywordId);
    });
}

void TStockDBObject::MergeImageKeywords(const std::string& key1, const std::string& key2) {
    openShared(imageKeywordsSelect(key1));
    std::vector<std::string> first = idsOf(keywordRows(query_));
    openShared(imageKeywordsSelect(key2));
    std::vector<std::string> second = idsOf(keywordRows(query_));
    for (const std::string& id : second)
        if (!contains(first, id))
            AddKeywordToImage(key1, id);
    for (const std::string& id : first)
        if (!contains(second, id))
            AddKeywordToImage(key2, id);
}

} // namespace orvella
