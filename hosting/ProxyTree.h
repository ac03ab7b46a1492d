// A child's tree of nodes and tags, read once when its connection opens.
#pragma once

#include "hosting/QuellanProxy.h"

#include <memory>
#include <memory_resource>
#include <vector>

namespace mq {

// Every object keeps the child's handle and the child's name string, unread:
// Quellan::nameOf turns a name into text once, when the merged tree is built,
// and that gives the child's string back. The tree never changes after the
// worker has built it, so any thread reads it without a lock.
//
// Ownership: the Connection owns the whole tree, each node its sub-nodes and
// tags, through InTree pointers; everyone else (the Multiplexer's tables, the
// data operations) holds plain references or pointers, valid while the proxy lives.
//
// A child may have a million tags. Each node and tag is one object of its own,
// but they are carved one after another from large blocks of the connection's
// own storage instead of one heap allocation each: no allocator header or
// rounding per object, and the child's name strings, allocated on the same
// thread in between and freed soon after, leave one free stretch behind
// instead of a hole beside every tag.

// Sole owner of one object of the tree: it ends the object's life, while the
// memory goes back with the tree's storage as a whole.
struct EndLifetime {
    template <typename Object>
    void operator()(Object* object) const noexcept {
        object->~Object();
    }
};
template <typename Object>
using InTree = std::unique_ptr<Object, EndLifetime>;

class QuellanProxy::Tag {
public:
    Tag(const ChildFunctionTable& functions, QUELLAN2_TAG handle);

    QUELLAN2_TAG handle;
    // The child's name string, or null when the child refused it; null again
    // once the name has been read.
    QUELLAN2_STRING name = nullptr;
};

class QuellanProxy::Node {
public:
    // A child's tree can be as deep as this; sub-nodes below are not fetched,
    // and neither are the sub-nodes of a node that is its own ancestor.
    static constexpr int MAX_DEPTH = 64;

    Node(const ChildFunctionTable& functions, std::pmr::memory_resource& storage, QUELLAN2_NODE handle, int depth,
         std::vector<QUELLAN2_NODE>& ancestors);

    QUELLAN2_NODE handle;
    QUELLAN2_STRING name = nullptr;
    std::vector<InTree<Node>> subNodes;
    std::vector<InTree<Tag>> nodeTags;
};

class QuellanProxy::Connection {
public:
    Connection(const ChildFunctionTable& functions, QUELLAN2_CONNECTION handle);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

private:
    // Declared first so that it goes last: every node and tag lives in it.
    std::pmr::monotonic_buffer_resource storage;

public:
    QUELLAN2_CONNECTION handle;
    std::vector<InTree<Node>> topNodes;
};

}  // namespace mq
