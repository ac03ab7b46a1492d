// The plug-in's tree of nodes and tags, and the names that address them.
#pragma once

#include "PluginLibrary.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellan {

// A node or a tag, named by its path: the node names from the top joined by
// "/", and for a tag its node's path, "/" and the tag name.
struct TreeItem {
    enum class Kind { NODE, TAG } kind;
    std::uintptr_t handle;
    std::string path;
};

// Every node and tag, depth first: a node, its tags, then its sub-nodes. The
// sub-node functions are optional; a plug-in without them shows two levels.
// A sub-node that is already on the way down from the top is left out, so a
// tree with a cycle stays finite.
std::vector<TreeItem> readTree(const PluginFunctions& plugin, QUELLAN2_CONNECTION connection);

// MultiQuellan's status node (status="true"): its last top-level node, named
// after it. Null for any other plug-in, or without one.
QUELLAN2_NODE statusNode(const PluginFunctions& plugin, QUELLAN2_CONNECTION connection);

// "#N" addresses handle N (decimal, or hexadecimal after 0x); other words are
// paths. Both are looked up in the tree, which is read on the first lookup.
class NameResolver {
public:
    NameResolver(const PluginFunctions& plugin, QUELLAN2_CONNECTION connection)
        : plugin(plugin), connection(connection) {}

    // Raise ToolError (UNKNOWN_NAME) for a path that names nothing, or
    // several nodes or tags of different handles, and for a handle that is
    // no node or tag of the tree. `label`, when given, receives what a row
    // is labelled with: the word itself, or for "#N" the path of the item
    // (followed by " (#N)" when that path names several).
    QUELLAN2_TAG tag(const std::string& word, std::string* label = nullptr);
    QUELLAN2_NODE node(const std::string& word);

private:
    std::uintptr_t resolve(const std::string& word, TreeItem::Kind kind, std::string* label);
    const std::vector<TreeItem>& tree();

    const PluginFunctions& plugin;
    QUELLAN2_CONNECTION connection;
    bool loaded = false;
    std::vector<TreeItem> items;
};

// The handle that "#N" gives; false for any other word.
bool parseHandle(const std::string& word, std::uintptr_t& handle);

}  // namespace quellan
