// Grouping host tag positions by child, and checking tag handles against the merged table.
#include "data/ChildGroups.h"

#include "hosting/ProxyTree.h"

namespace mq {

bool tagsAreKnown(const Multiplexer& multiplexer, const QUELLAN2_TAG* tags, uint32_t tagCount) {
    for (uint32_t i = 0; i < tagCount; ++i)
        if (!multiplexer.tagEntry(tags[i])) return false;
    return true;
}

ChildGroups groupByChild(const Multiplexer& multiplexer, const QUELLAN2_TAG* tags, uint32_t tagCount) {
    ChildGroups groups;
    for (uint32_t position = 0; position < tagCount; ++position) {
        const TagEntry& tag = *multiplexer.tagEntry(tags[position]);
        const NodeEntry& node = multiplexer.nodeTable()[tag.nodeIndex];
        ChildGroup& group = groups[node.childIndex];
        group.positions.push_back(position);
        group.childTags.push_back(tag.childTag->handle);
    }
    return groups;
}

}  // namespace mq
