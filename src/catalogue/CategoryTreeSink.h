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
};

} // namespace orvella
