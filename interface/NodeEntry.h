// A row of the merged node table.
#pragma once

#include "hosting/QuellanProxy.h"

#include <cstdint>
#include <string>

namespace mq {

// One top-level node of one child. Its node handle is its table position + 1.
struct NodeEntry {
    uint64_t childIndex;
    // Owned by the child's proxy tree, which the Multiplexer keeps alive.
    const QuellanProxy::Node* childNode;
    std::string name;
    uint64_t tagCount;
    // Where the node's contiguous run of rows starts in the tag table.
    uint64_t firstTag;
};

}  // namespace mq
