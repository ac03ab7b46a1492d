// Walking the plug-in's tree, and finding tags by name or handle.
#include "Tree.h"

#include "PluginObjects.h"
#include "interface/Identity.h"
#include "interface/StatusModule.h"

#include <algorithm>
#include <limits>

namespace quellan {

namespace {

struct PendingNode {
    QUELLAN2_NODE node;
    std::string path;
    // The nodes from the top down to this one, to recognise a cycle.
    std::vector<QUELLAN2_NODE> line;
};

std::string nameOf(const PluginFunctions& plugin, QUELLAN2_NODE node) {
    PluginString name(plugin);
    plugin.nodeGetName.check(node, name.out());
    return name.text();
}

std::string nameOf(const PluginFunctions& plugin, QUELLAN2_TAG tag) {
    PluginString name(plugin);
    plugin.tagGetName.check(tag, name.out());
    return name.text();
}

std::uintptr_t handleOf(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

// The sub-nodes of a node, in the plug-in's order; none when the plug-in
// lacks the optional functions or says it does not support them.
std::vector<QUELLAN2_NODE> subNodes(const PluginFunctions& plugin, QUELLAN2_NODE node) {
    std::vector<QUELLAN2_NODE> nodes;
    if (!plugin.nodeGetNumNodes.present() || !plugin.nodeGetNode.present()) return nodes;
    std::uint32_t count = 0;
    QUELLAN2_STATUS status = plugin.nodeGetNumNodes(node, &count);
    if (status == QUELLAN2_STATUS_NOT_SUPPORTED) return nodes;
    checkStatus(status, plugin.nodeGetNumNodes.name());
    for (std::uint32_t index = 0; index < count; ++index) {
        QUELLAN2_NODE subNode = nullptr;
        plugin.nodeGetNode.check(node, index, &subNode);
        nodes.push_back(subNode);
    }
    return nodes;
}

}  // namespace

QUELLAN2_NODE statusNode(const PluginFunctions& plugin, QUELLAN2_CONNECTION connection) {
    PluginString identity(plugin);
    plugin.getIdentity.check(identity.out());
    if (identity.text().rfind(mq::IDENTITY_PREFIX, 0) != 0) return nullptr;
    std::uint32_t count = 0;
    plugin.connectionGetNumNodes.check(connection, &count);
    if (count == 0) return nullptr;
    QUELLAN2_NODE node = nullptr;
    plugin.connectionGetNode.check(connection, count - 1, &node);
    return nameOf(plugin, node) == mq::STATUS_NODE_NAME ? node : nullptr;
}

std::vector<TreeItem> readTree(const PluginFunctions& plugin, QUELLAN2_CONNECTION connection) {
    std::uint32_t count = 0;
    plugin.connectionGetNumNodes.check(connection, &count);
    // Depth first without recursion, so deep chains of sub-nodes cost no
    // stack; the pending nodes are taken from the back, hence kept reversed.
    std::vector<PendingNode> pending;
    for (std::uint32_t index = 0; index < count; ++index) {
        QUELLAN2_NODE node = nullptr;
        plugin.connectionGetNode.check(connection, index, &node);
        pending.push_back({node, std::string(), {}});
    }
    std::reverse(pending.begin(), pending.end());

    std::vector<TreeItem> items;
    while (!pending.empty()) {
        PendingNode current = std::move(pending.back());
        pending.pop_back();
        std::string path = current.path + nameOf(plugin, current.node);
        items.push_back({TreeItem::Kind::NODE, handleOf(current.node), path});

        std::uint32_t tagCount = 0;
        plugin.nodeGetNumTags.check(current.node, &tagCount);
        for (std::uint32_t index = 0; index < tagCount; ++index) {
            QUELLAN2_TAG tag = nullptr;
            plugin.nodeGetTag.check(current.node, index, &tag);
            items.push_back({TreeItem::Kind::TAG, handleOf(tag), path + "/" + nameOf(plugin, tag)});
        }

        current.line.push_back(current.node);
        std::vector<QUELLAN2_NODE> children = subNodes(plugin, current.node);
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            if (std::find(current.line.begin(), current.line.end(), *child) != current.line.end()) continue;
            pending.push_back({*child, path + "/", current.line});
        }
    }
    return items;
}

bool parseHandle(const std::string& word, std::uintptr_t& handle) {
    if (word.size() < 2 || word[0] != '#') return false;
    std::string digits = word.substr(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        base = 16;
    }
    const std::uintptr_t limit = std::numeric_limits<std::uintptr_t>::max();
    std::uintptr_t value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        if (value > (limit - static_cast<std::uintptr_t>(digit)) / static_cast<std::uintptr_t>(base)) return false;
        value = value * static_cast<std::uintptr_t>(base) + static_cast<std::uintptr_t>(digit);
    }
    handle = value;
    return true;
}

QUELLAN2_TAG NameResolver::tag(const std::string& word, std::string* label) {
    return reinterpret_cast<QUELLAN2_TAG>(resolve(word, TreeItem::Kind::TAG, label));
}

QUELLAN2_NODE NameResolver::node(const std::string& word) {
    return reinterpret_cast<QUELLAN2_NODE>(resolve(word, TreeItem::Kind::NODE, nullptr));
}

const std::vector<TreeItem>& NameResolver::tree() {
    if (!loaded) {
        items = readTree(plugin, connection);
        loaded = true;
    }
    return items;
}

std::uintptr_t NameResolver::resolve(const std::string& word, TreeItem::Kind kind, std::string* label) {
    const std::string what = kind == TreeItem::Kind::TAG ? "tag" : "node";
    // The handles of the items of this kind with a path, without repeats: a
    // node reached along two paths keeps one handle, and that is one match.
    auto handlesOf = [&](const std::string& path) {
        std::vector<std::uintptr_t> matches;
        for (const TreeItem& item : tree())
            if (item.kind == kind && item.path == path &&
                std::find(matches.begin(), matches.end(), item.handle) == matches.end())
                matches.push_back(item.handle);
        return matches;
    };
    std::uintptr_t handle = 0;
    if (parseHandle(word, handle)) {
        auto item = std::find_if(tree().begin(), tree().end(), [&](const TreeItem& candidate) {
            return candidate.kind == kind && candidate.handle == handle;
        });
        if (item == tree().end())
            throw ToolError(ExitCode::UNKNOWN_NAME,
                            "no " + what + " has the handle " + word + " (see quellan tree)");
        if (label) *label = handlesOf(item->path).size() > 1 ? item->path + " (" + word + ")" : item->path;
        return handle;
    }
    std::vector<std::uintptr_t> matches = handlesOf(word);
    if (matches.empty())
        throw ToolError(ExitCode::UNKNOWN_NAME, "no " + what + " is named \"" + word + "\" (see quellan tree)");
    if (matches.size() > 1) {
        std::string handles;
        for (std::size_t i = 0; i < matches.size(); ++i)
            handles += (i == 0 ? "#" : i + 1 == matches.size() ? " and #" : ", #") + std::to_string(matches[i]);
        throw ToolError(ExitCode::UNKNOWN_NAME, "\"" + word + "\" is ambiguous: it names the " + what + "s " +
                                                    handles + "; address one of them as #N");
    }
    if (label) *label = word;
    return matches.front();
}

}  // namespace quellan
