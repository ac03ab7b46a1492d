// Splitting a host's tag list by the child that owns each tag.
#pragma once

#include "interface/Multiplexer.h"
#include "quellan2.h"

#include <cstdint>
#include <map>
#include <vector>

namespace mq {

// True when every handle names a row of the merged tag table. A zero handle,
// one beyond the table, or one from before a close is refused before any
// child is called.
bool tagsAreKnown(const Multiplexer& multiplexer, const QUELLAN2_TAG* tags, uint32_t tagCount);

// The host positions of one child's tags, ascending, and those tags' handles
// as the child knows them: element k of either belongs to the other's element k.
struct ChildGroup {
    std::vector<uint32_t> positions;
    std::vector<QUELLAN2_TAG> childTags;
};

// The groups by child index; a map, so they are visited in ascending child
// order whatever the order of the host's tags.
using ChildGroups = std::map<uint64_t, ChildGroup>;

ChildGroups groupByChild(const Multiplexer& multiplexer, const QUELLAN2_TAG* tags, uint32_t tagCount);

}  // namespace mq
