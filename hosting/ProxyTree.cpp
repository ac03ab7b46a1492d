// Reading a child's tree of nodes and tags through its function table.
#include "hosting/ProxyTree.h"

#include "hosting/GuardedCall.h"

#include <algorithm>
#include <new>
#include <utility>

namespace mq {

namespace {

// Asks the child for a count; one it refuses, or faults on, counts as zero.
template <typename Function, typename Handle>
uint32_t countOf(Function function, Handle handle) {
    uint32_t count = 0;
    return guardedCall(function, handle, &count) == QUELLAN2_STATUS_OK ? count : 0;
}

// Room is made ahead only up to a sane size: a count is the child's word,
// and the elements it then refuses take no room.
template <typename List>
void reserveFor(List& list, uint32_t count) {
    constexpr uint32_t MAX_RESERVATION = 1u << 16;
    list.reserve(std::min(count, MAX_RESERVATION));
}

// The object in the next piece of the tree's storage. Should its constructor
// throw, the piece stays unused until the storage goes.
template <typename Object, typename... Arguments>
InTree<Object> makeInTree(std::pmr::memory_resource& storage, Arguments&&... arguments) {
    void* piece = storage.allocate(sizeof(Object), alignof(Object));
    return InTree<Object>(new (piece) Object(std::forward<Arguments>(arguments)...));
}

}  // namespace

QuellanProxy::Tag::Tag(const ChildFunctionTable& functions, QUELLAN2_TAG handle) : handle(handle) {
    QUELLAN2_STRING delivered = nullptr;
    if (guardedCall(functions.tagGetName, handle, &delivered) == QUELLAN2_STATUS_OK) name = delivered;
}

QuellanProxy::Node::Node(const ChildFunctionTable& functions, std::pmr::memory_resource& storage, QUELLAN2_NODE handle,
                         int depth, std::vector<QUELLAN2_NODE>& ancestors)
    : handle(handle) {
    QUELLAN2_STRING delivered = nullptr;
    if (guardedCall(functions.nodeGetName, handle, &delivered) == QUELLAN2_STATUS_OK) name = delivered;

    const uint32_t subNodeCount = functions.nodeGetNumNodes ? countOf(functions.nodeGetNumNodes, handle) : 0;
    const uint32_t tagCount = countOf(functions.nodeGetNumTags, handle);

    // A child whose tree loops back on itself, or goes on without end, would
    // make this depth-first walk recurse for ever.
    bool expand = depth < MAX_DEPTH && std::find(ancestors.begin(), ancestors.end(), handle) == ancestors.end();
    if (expand && functions.nodeGetNode) {
        ancestors.push_back(handle);
        reserveFor(subNodes, subNodeCount);
        for (uint32_t index = 0; index < subNodeCount; ++index) {
            QUELLAN2_NODE subNode = nullptr;
            if (guardedCall(functions.nodeGetNode, handle, index, &subNode) == QUELLAN2_STATUS_OK)
                subNodes.push_back(makeInTree<Node>(storage, functions, storage, subNode, depth + 1, ancestors));
        }
        ancestors.pop_back();
    }

    reserveFor(nodeTags, tagCount);
    for (uint32_t index = 0; index < tagCount; ++index) {
        QUELLAN2_TAG tag = nullptr;
        if (guardedCall(functions.nodeGetTag, handle, index, &tag) == QUELLAN2_STATUS_OK)
            nodeTags.push_back(makeInTree<Tag>(storage, functions, tag));
    }
}

QuellanProxy::Connection::Connection(const ChildFunctionTable& functions, QUELLAN2_CONNECTION handle) : handle(handle) {
    const uint32_t nodeCount = countOf(functions.connectionGetNumNodes, handle);
    reserveFor(topNodes, nodeCount);
    std::vector<QUELLAN2_NODE> ancestors;
    for (uint32_t index = 0; index < nodeCount; ++index) {
        QUELLAN2_NODE node = nullptr;
        if (guardedCall(functions.connectionGetNode, handle, index, &node) == QUELLAN2_STATUS_OK)
            topNodes.push_back(makeInTree<Node>(storage, functions, storage, node, 1, ancestors));
    }
}

}  // namespace mq
