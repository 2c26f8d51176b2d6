#pragma once

#include "catalogue/CategoryTreeSink.h"

class QTreeWidget;

namespace orvella {

// The category hierarchy in a tree widget; each node keeps its category id
// in Qt::UserRole.
class QtCategoryTree : public CategoryTreeSink {
public:
    explicit QtCategoryTree(QTreeWidget* tree) : tree_(tree) {}

    void clear() override;
    Node addNode(Node parent, const std::string& name, const std::string& categoryId) override;
    Node findNode(const std::string& categoryId) const override;
    void expandAll(Node node) override;
    void beginUpdate() override;
    void endUpdate() override;

    QTreeWidget* widget() const { return tree_; }

private:
    QTreeWidget* tree_;
};

} // namespace orvella
