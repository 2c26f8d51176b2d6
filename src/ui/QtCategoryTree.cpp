#include "ui/QtCategoryTree.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace orvella {

namespace {
QTreeWidgetItem* itemOf(CategoryTreeSink::Node node) {
    return const_cast<QTreeWidgetItem*>(static_cast<const QTreeWidgetItem*>(node));
}
} // namespace

void QtCategoryTree::clear() {
    tree_->clear();
}

CategoryTreeSink::Node QtCategoryTree::addNode(Node parent, const std::string& name,
                                               const std::string& categoryId) {
    auto* item = parent ? new QTreeWidgetItem(itemOf(parent)) : new QTreeWidgetItem(tree_);
    item->setText(0, QString::fromStdString(name));
    item->setData(0, Qt::UserRole, QString::fromStdString(categoryId));
    return item;
}

CategoryTreeSink::Node QtCategoryTree::findNode(const std::string& categoryId) const {
    const QString id = QString::fromStdString(categoryId);
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == id)
            return *it;
    return nullptr;
}

void QtCategoryTree::expandAll(Node node) {
    QTreeWidgetItem* item = itemOf(node);
    item->setExpanded(true);
    for (int child = 0; child < item->childCount(); ++child)
        expandAll(item->child(child));
}

void QtCategoryTree::beginUpdate() {
    tree_->setUpdatesEnabled(false);
}

void QtCategoryTree::endUpdate() {
    tree_->setUpdatesEnabled(true);
}

} // namespace orvella
