// A row of the merged tag table.
#pragma once

#include "hosting/QuellanProxy.h"

#include <cstdint>
#include <string>

namespace mq {

// One tag of a top-level node. Its tag handle is its table position + 1.
struct TagEntry {
    uint64_t nodeIndex;
    // Owned by the child's proxy tree, which the Multiplexer keeps alive.
    const QuellanProxy::Tag* childTag;
    std::string name;
};

}  // namespace mq
