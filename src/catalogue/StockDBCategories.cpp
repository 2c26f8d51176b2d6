// The category tree with its keywords and images.
#include "catalogue/StockDB.h"

#include "catalogue/KeywordText.h"
#include "catalogue/SqlText.h"
#include "shell/Log.h"
#include "shell/Prompts.h"
#include "shell/TextUtil.h"

namespace orvella {

namespace {

struct CategoryRow {
    std::string id;
    std::string name;
};

std::vector<CategoryRow> categoryRows(TQuery& query) {
    std::vector<CategoryRow> rows;
    for (query.First(); !query.Eof(); query.Next())
        rows.push_back(
            {query.FieldByName("CATEGORY_ID").AsString(), query.FieldByName("CNAME").AsString()});
    return rows;
}

std::string childrenSelect(const std::string& parentId) {
    return "select * from CATEGORY where PARENT_ID = " + QuotedStr(parentId);
}

// Holds the tree's painting for as long as a load runs, whatever happens.
class TreeUpdate {
public:
    explicit TreeUpdate(CategoryTreeSink& tree) : tree_(tree) { tree_.beginUpdate(); }
    ~TreeUpdate() { tree_.endUpdate(); }
    TreeUpdate(const TreeUpdate&) = delete;
    TreeUpdate& operator=(const TreeUpdate&) = delete;

private:
    CategoryTreeSink& tree_;
};

} // namespace

std::string TStockDBObject::CreateCategory(const std::optional<std::string>& name,
                                           const std::string& parentId) {
    std::optional<std::string> chosen = name;
    if (!chosen)
        chosen = prompts().askText("Category creation", "Enter category name", "");
    if (!chosen || trim(*chosen).empty())
        return "";
    if (CategoryExists(*chosen, parentId))
        return "";
    std::string id = NewId();
    ExecuteStatement("insert into CATEGORY (CATEGORY_ID, CNAME, PARENT_ID, DESCRIPTION) values (" +
                     QuotedStr(id) + ", " + QuotedStr(*chosen) + ", " + QuotedStr(parentId) +
                     ", '')");
    logGuarded("Category " + *chosen + " added");
    if (categoryTree_)
        LoadCategoryTree(*categoryTree_, false);
    return id;
}

bool TStockDBObject::CategoryExists(const std::string& name, const std::string& parentId) {
    return openShared("select * from  CATEGORY where CNAME = " + QuotedStr(name) +
                      " and PARENT_ID = " + QuotedStr(parentId)) > 0;
}

void TStockDBObject::RenameCategory(const std::string& categoryId, const std::string& name) {
    if (trim(name).empty())
        return;
    ExecuteStatement("update CATEGORY set CNAME = " + QuotedStr(name) +
                     " where CATEGORY_ID = " + QuotedStr(categoryId));
}

void TStockDBObject::DeleteCategory(const std::string& categoryId) {
    if (openShared(childrenSelect(categoryId)) > 0) {
        prompts().showMessage(
            "You can't delete the category because it contains children categories");
        return;
    }
    for (const char* statement : {"delete from CATEGORY_KEYWORD where CATEGORY_ID = ",
                                  "delete from IMAGE_CATEGORY where CATEGORY_ID = ",
                                  "delete from CATEGORY where CATEGORY_ID = "})
        ExecuteStatement(statement + QuotedStr(categoryId));
}

void TStockDBObject::LoadCategoryTree(CategoryTreeSink& tree, bool expand) {
    TreeUpdate update(tree);
    tree.clear();
    openShared(childrenSelect("") + " order by CNAME");
    std::set<std::string> added;
    for (const CategoryRow& root : categoryRows(query_)) {
        CategoryTreeSink::Node node = addCategoryNodeOnce(root.id, root.name, tree, "", added);
        if (expand && node)
            tree.expandAll(node);
    }
}

CategoryTreeSink::Node TStockDBObject::AddCategoryNode(const std::string& categoryId,
                                                       const std::string& name,
                                                       CategoryTreeSink& tree,
                                                       const std::string& parentId) {
    std::set<std::string> added;
    return addCategoryNodeOnce(categoryId, name, tree, parentId, added);
}

// Depth first, children in name order. A category already placed in this
// load is not placed again, so a damaged table whose parents run in a circle
// cannot make the load endless.
CategoryTreeSink::Node TStockDBObject::addCategoryNodeOnce(const std::string& categoryId,
                                                           const std::string& name,
                                                           CategoryTreeSink& tree,
                                                           const std::string& parentId,
                                                           std::set<std::string>& added) {
    if (!added.insert(toUpperAscii(categoryId)).second)
        return nullptr;
    CategoryTreeSink::Node parent = parentId.empty() ? nullptr : FindCategoryNode(parentId, tree);
    CategoryTreeSink::Node node = tree.addNode(parent, name, categoryId);
    TQuery children(connection_);
    children.SetSQL(childrenSelect(categoryId) + " order by CNAME");
    children.Open();
    for (const CategoryRow& child : categoryRows(children))
        addCategoryNodeOnce(child.id, child.name, tree, categoryId, added);
    return node;
}

CategoryTreeSink::Node TStockDBObject::FindCategoryNode(const std::string& categoryId,
                                                        const CategoryTreeSink& tree) const {
    return tree.findNode(categoryId);
}

TKeywords TStockDBObject::GetCategoryKeywords(const std::string& categoryId) {
    return keywordColumn(
        "select K.* from KEYWORDS K, CATEGORY_KEYWORD C where K.KEYWORD_ID = C.KEYWORD_ID and "
        "C.CATEGORY_ID = " +
        QuotedStr(categoryId) + " order by KEYWORD");
}

TKeywords TStockDBObject::GetImageCategoryKeywords(const std::string& key) {
    return keywordColumn(
        "select distinct KEYWORD from KEYWORDS K, CATEGORY C, CATEGORY_KEYWORD CK, IMAGE_CATEGORY "
        "I "
        "where I.CATEGORY_ID = C.CATEGORY_ID and CK.CATEGORY_ID = C.CATEGORY_ID and "
        "CK.KEYWORD_ID = K.KEYWORD_ID  and I.MD5 = " +
        QuotedStr(key) + " order by KEYWORD");
}

// The one operation that handles its own database error: a keyword that
// cannot be attached is reported as not added.
bool TStockDBObject::AddKeywordToCategory(const std::string& categoryId,
                                          const std::string& keywordId) {
    if (openShared("select * from CATEGORY_KEYWORD  where KEYWORD_ID = " + QuotedStr(keywordId) +
                   " and CATEGORY_ID = " + QuotedStr(categoryId)) > 0)
        return false;
    try {
        ExecuteStatement("insert into CATEGORY_KEYWORD (KEYWORD_ID, CATEGORY_ID)  values (" +
                         QuotedStr(keywordId) + ", " + QuotedStr(categoryId) + ")");
    } catch (const EDatabaseError&) {
        logGuarded("Error on adding keyword " + keywordId + " to category " + categoryId);
        return false;
    }
    logGuarded("Keyword " + keywordId + " added to category " + categoryId);
    return true;
}

bool TStockDBObject::AddKeywordTextToCategory(const std::string& categoryId,
                                              const std::string& text) {
    for (const std::string& word : SplitKeywords(text))
        AddKeywordToCategory(categoryId, GetOrCreateKeyword(word));
    return true;
}

void TStockDBObject::RemoveKeywordFromCategory(const std::string& categoryId,
                                               const std::string& keywordId) {
    ExecuteStatement("delete from CATEGORY_KEYWORD where CATEGORY_ID = " + QuotedStr(categoryId) +
                     " and KEYWORD_ID = " + QuotedStr(keywordId));
}

void TStockDBObject::AddImageToCategory(const std::string& categoryId, const std::string& key) {
    if (IsImageInCategory(categoryId, key))
        return;
    ExecuteStatement("insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) values (" + QuotedStr(key) +
                     ", " + QuotedStr(categoryId) + ")");
    logGuarded("Image " + key + " added to category " + categoryId);
}

bool TStockDBObject::IsImageInCategory(const std::string& categoryId, const std::string& key) {
    return openShared("select * from IMAGE_CATEGORY where MD5 = " + QuotedStr(key) +
                      " and CATEGORY_ID = " + QuotedStr(categoryId)) > 0;
}

void TStockDBObject::RemoveImageFromCategory(const std::string& key,
                                             const std::string& categoryId) {
    if (key.empty() || categoryId.empty())
        return;
    ExecuteStatement("delete from IMAGE_CATEGORY where MD5 =" + QuotedStr(key) +
                     " and CATEGORY_ID = " + QuotedStr(categoryId));
}

} // namespace orvella
