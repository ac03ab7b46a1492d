// Building the plant: nodes, links, chains, tags and batches, found by path.
#include "samples/simquellan/Plant.h"

#include <ctime>

namespace simquellan {

namespace {

std::string parentOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::optional<std::size_t> Plant::findNode(const std::string& path) const {
    auto found = byPath.find(path);
    if (found == byPath.end()) return std::nullopt;
    return found->second;
}

std::size_t Plant::append(const std::string& path, const std::string& name) {
    Node node;
    node.path = path;
    node.name = name.empty() ? path.substr(path.rfind('/') + 1) : name;
    nodes.push_back(node);
    byPath[path] = nodes.size() - 1;
    return nodes.size() - 1;
}

bool Plant::addNode(const std::string& path, const std::string& name, std::string& error) {
    if (path.empty() || path.front() == '/' || path.back() == '/' || path.find("//") != std::string::npos) {
        error = "bad node path '" + path + "'";
        return false;
    }
    if (findNode(path)) {
        error = "node '" + path + "' exists already";
        return false;
    }
    std::string parent = parentOf(path);
    std::optional<std::size_t> parentIndex;
    if (!parent.empty()) {
        parentIndex = findNode(parent);
        if (!parentIndex) {
            error = "no node '" + parent + "'";
            return false;
        }
    }
    std::size_t index = append(path, name);
    if (parentIndex) nodes[*parentIndex].subNodes.push_back(index);
    else topNodes.push_back(index);
    return true;
}

bool Plant::link(const std::string& path, const std::string& targetPath, std::string& error) {
    auto from = findNode(path);
    auto to = findNode(targetPath);
    if (!from || !to) {
        error = "no node '" + (from ? targetPath : path) + "'";
        return false;
    }
    nodes[*from].subNodes.push_back(*to);
    return true;
}

bool Plant::chain(const std::string& path, std::int64_t count, std::string& error) {
    auto parent = findNode(path);
    if (!parent) {
        error = "no node '" + path + "'";
        return false;
    }
    // Paths stay short however deep the chain goes.
    for (std::int64_t level = 1; level <= count; ++level) {
        std::string levelPath = path + "/Level" + std::to_string(level);
        if (findNode(levelPath)) {
            error = "node '" + levelPath + "' exists already";
            return false;
        }
        std::size_t index = append(levelPath, "");
        nodes[*parent].subNodes.push_back(index);
        parent = index;
    }
    return true;
}

bool Plant::addTag(const std::string& nodePath, const std::string& name, const Signal& signal, std::string& error) {
    auto index = findNode(nodePath);
    if (!index) {
        error = "no node '" + nodePath + "'";
        return false;
    }
    tags.push_back(Tag{name, *index, signal});
    nodes[*index].tags.push_back(tags.size() - 1);
    return true;
}

bool Plant::addBatch(const std::string& nodePath, const Batch& batch, std::string& error) {
    auto index = findNode(nodePath);
    if (!index) {
        error = "no node '" + nodePath + "'";
        return false;
    }
    nodes[*index].batches.push_back(batch);
    return true;
}

const Node* Plant::node(std::uintptr_t handle) const {
    return handle >= 1 && handle <= nodes.size() ? &nodes[handle - 1] : nullptr;
}

const Tag* Plant::tag(std::uintptr_t handle) const {
    return handle >= 1 && handle <= tags.size() ? &tags[handle - 1] : nullptr;
}

std::string Plant::tagKey(const Tag& tag) const {
    return nodes[tag.node].path + ":" + tag.name;
}

const Batch* Plant::findBatch(const Node& node, const std::string& id) const {
    for (const Batch& batch : node.batches)
        if (batch.id == id) return &batch;
    for (const Node& other : nodes)
        for (const Batch& batch : other.batches)
            if (batch.id == id) return &batch;
    return nullptr;
}

std::int64_t Plant::now() const {
    return fixedClock ? *fixedClock : static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace simquellan
