#include "OperationsFixture.h"

#include <gmock/gmock.h>

#include <deque>

namespace orvella::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A tree that keeps its nodes in insertion order and can print itself.
class RecordingTree : public CategoryTreeSink {
public:
    struct Item {
        const Item* parent;
        std::string name;
        std::string categoryId;
        bool expanded = false;
    };
    std::deque<Item> items; // a deque keeps the handles valid
    int updates = 0;

    void clear() override { items.clear(); }
    Node addNode(Node parent, const std::string& name, const std::string& categoryId) override {
        items.push_back({static_cast<const Item*>(parent), name, categoryId});
        return &items.back();
    }
    Node findNode(const std::string& categoryId) const override {
        for (const Item& item : items)
            if (item.categoryId == categoryId)
                return &item;
        return nullptr;
    }
    void expandAll(Node node) override {
        for (Item& item : items)
            for (const Item* up = &item; up; up = up->parent)
                if (up == node)
                    item.expanded = true;
    }
    void beginUpdate() override { ++updates; }
    void endUpdate() override { --updates; }

    // "name" per node, indented two blanks per level, "+" when expanded.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const Item& item : items) {
            std::string indent;
            for (const Item* up = item.parent; up; up = up->parent)
                indent += "  ";
            out.push_back(indent + item.name + (item.expanded ? "+" : ""));
        }
        return out;
    }
};

class CategoriesTest : public OperationsTest {
protected:
    CategoriesTest() { db->SetCategoryTree(&tree); }
    std::string create(const std::string& name, const std::string& parent = "") {
        return db->CreateCategory(name, parent);
    }
    RecordingTree tree;
};

TEST_F(CategoriesTest, CreatingWithNothingSelectedMakesARootAndReloadsTheTreeCollapsed) {
    std::string id = create("Nature");
    ASSERT_EQ(id.size(), 32u);
    auto row = rows("select * from CATEGORY").at(0);
    EXPECT_EQ(row["PARENT_ID"], "");
    EXPECT_EQ(row["DESCRIPTION"], "");
    EXPECT_THAT(tree.lines(), ElementsAre("Nature"));
    EXPECT_EQ(tree.updates, 0) << "painting resumed";
    EXPECT_THAT(logLines(), ElementsAre("Category Nature added"));
}

TEST_F(CategoriesTest, NameIsAskedForWhenNotGiven) {
    prompts.texts = {std::string("Asked")};
    db->CreateCategory(std::nullopt, "");
    EXPECT_TRUE(db->CategoryExists("Asked", ""));
    EXPECT_EQ(count("select * from CATEGORY"), 1u);
}

TEST_F(CategoriesTest, CancelledBlankOrDuplicateNamesCreateNothing) {
    create("Nature");
    prompts.texts = {std::nullopt, std::string("   ")};
    EXPECT_EQ(db->CreateCategory(std::nullopt, ""), "");
    EXPECT_EQ(db->CreateCategory(std::nullopt, ""), "");
    EXPECT_EQ(create("NATURE"), "") << "sibling names compare without letter case";
    EXPECT_EQ(count("select * from CATEGORY"), 1u);
    EXPECT_THAT(prompts.messages, IsEmpty());
}

TEST_F(CategoriesTest, TheSameNameMayStandUnderDifferentParents) {
    std::string a = create("A");
    std::string b = create("B");
    EXPECT_FALSE(create("Shared", a).empty());
    EXPECT_FALSE(create("Shared", b).empty());
    EXPECT_EQ(count("select * from CATEGORY where CNAME = 'Shared'"), 2u);
}

TEST_F(CategoriesTest, TreeLoadsDepthFirstWithSiblingsByName) {
    std::string animals = create("Animals");
    std::string plants = create("Plants");
    create("Trees", plants);
    std::string birds = create("Birds", animals);
    create("Cats", animals);
    create("Owls", birds);
    db->LoadCategoryTree(tree, false);
    EXPECT_THAT(tree.lines(),
                ElementsAre("Animals", "  Birds", "    Owls", "  Cats", "Plants", "  Trees"));
    db->LoadCategoryTree(tree, true);
    EXPECT_THAT(tree.lines(),
                ElementsAre("Animals+", "  Birds+", "    Owls+", "  Cats+", "Plants+", "  Trees+"));
}

// A category whose id is the empty text is its own child and the parent of
// every root; the load must still end, with each category shown once.
TEST_F(CategoriesTest, CircularParentsDoNotMakeTheLoadEndless) {
    execute("insert into CATEGORY (CATEGORY_ID, CNAME, PARENT_ID) values ('', 'Blank id', '')");
    execute("insert into CATEGORY (CATEGORY_ID, CNAME, PARENT_ID) values ('R', 'Root', '')");
    db->LoadCategoryTree(tree, false);
    EXPECT_THAT(tree.lines(), ElementsAre("Blank id", "Root"));
}

TEST_F(CategoriesTest, DeletingACategoryWithChildrenIsRefused) {
    std::string parent = create("Parent");
    create("Child", parent);
    db->DeleteCategory(parent);
    EXPECT_THAT(
        prompts.messages,
        ElementsAre("You can't delete the category because it contains children categories"));
    EXPECT_EQ(count("select * from CATEGORY"), 2u);
}

TEST_F(CategoriesTest, DeletingALeafRemovesItsKeywordAndImageLinks) {
    addImage(keyOf('A'));
    std::string leaf = create("Leaf");
    db->AddKeywordTextToCategory(leaf, "green");
    db->AddImageToCategory(leaf, keyOf('A'));
    db->DeleteCategory(leaf);
    EXPECT_EQ(count("select * from CATEGORY"), 0u);
    EXPECT_EQ(count("select * from CATEGORY_KEYWORD"), 0u);
    EXPECT_EQ(count("select * from IMAGE_CATEGORY"), 0u);
    EXPECT_EQ(count("select * from KEYWORDS"), 1u) << "the keyword stays in the dictionary";
}

TEST_F(CategoriesTest, RenameIgnoresABlankName) {
    std::string id = create("Old");
    db->RenameCategory(id, "  ");
    EXPECT_TRUE(db->CategoryExists("Old", ""));
    db->RenameCategory(id, " New ");
    EXPECT_TRUE(db->CategoryExists(" New ", "")) << "stored as typed";
}

TEST_F(CategoriesTest, CategoryKeywordsAreUniqueAndSorted) {
    std::string id = create("Sea");
    EXPECT_TRUE(db->AddKeywordTextToCategory(id, "wave,beach,Wave"));
    EXPECT_THAT(db->GetCategoryKeywords(id), ElementsAre("beach", "wave"));
    EXPECT_FALSE(db->AddKeywordToCategory(id, db->FindKeywordId("beach")));
    db->RemoveKeywordFromCategory(id, db->FindKeywordId("wave"));
    EXPECT_THAT(db->GetCategoryKeywords(id), ElementsAre("beach"));
}

TEST_F(CategoriesTest, AFailingInsertOfACategoryKeywordIsReportedAsNotAdded) {
    std::string id = create("Sea");
    std::string wave = db->GetOrCreateKeyword("wave");
    execute("create trigger refuse before insert on CATEGORY_KEYWORD begin select raise(abort, "
            "'refused'); end");
    EXPECT_FALSE(db->AddKeywordToCategory(id, wave));
    EXPECT_EQ(logLines().back(), "Error on adding keyword " + wave + " to category " + id);
}

TEST_F(CategoriesTest, ImagesJoinCategoriesOnceAndBringTheirKeywords) {
    addImage(keyOf('A'));
    std::string sea = create("Sea");
    std::string sky = create("Sky");
    db->AddKeywordTextToCategory(sea, "blue,water");
    db->AddKeywordTextToCategory(sky, "blue,cloud");
    db->AddImageToCategory(sea, keyOf('A'));
    db->AddImageToCategory(sea, keyOf('A'));
    db->AddImageToCategory(sky, keyOf('A'));
    EXPECT_EQ(count("select * from IMAGE_CATEGORY"), 2u);
    EXPECT_THAT(db->GetImageCategoryKeywords(keyOf('A')), ElementsAre("blue", "cloud", "water"));

    db->RemoveImageFromCategory(keyOf('A'), "");
    EXPECT_EQ(count("select * from IMAGE_CATEGORY"), 2u);
    db->RemoveImageFromCategory(keyOf('A'), sea);
    EXPECT_FALSE(db->IsImageInCategory(sea, keyOf('A')));
    EXPECT_TRUE(db->IsImageInCategory(sky, keyOf('A')));
}

} // namespace
} // namespace orvella::test
