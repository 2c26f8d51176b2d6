#pragma once

#include <string>

namespace orvella {

// Where the category hierarchy is loaded to: the window's tree implements it,
// tests record what arrives. A node is named by an opaque handle the sink
// gives out; the empty handle is the root.
class CategoryTreeSink {
public:
    using Node = const void*;

    virtual ~CategoryTreeSink() = default;
    virtual void clear() = 0;
    virtual Node addNode(Node parent, const std::string& name, const std::string& categoryId) = 0;
    // The first node, in tree order, that carries the category; the empty
    // handle when none does.
    virtual Node findNode(const std::string& categoryId) const = 0;
    // Opens the node and all its descendants.
    virtual void expandAll(Node node) = 0;
    // A whole load happens between these two, so a window can hold its
    // painting until the tree is complete.
    virtual void beginUpdate() {}
    virtual void endUpdate() {}
};

} // namespace orvella
