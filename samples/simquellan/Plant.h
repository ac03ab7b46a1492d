// The simulated plant: identity, clock, node tree, tags and batches.
#pragma once

#include "samples/simquellan/SimValue.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simquellan {

struct Batch {
    std::string id;
    std::int64_t start = 0;
    std::int64_t end = 0;
};

struct Tag {
    std::string name;
    std::size_t node = 0;
    Signal signal;
};

struct Node {
    // Slash-separated ids from the top ("Line1/Tank2"); unique in the plant.
    // Levels of a chain are "<chain's node>/Level<k>", whatever their depth.
    std::string path;
    std::string name;
    // Indices into Plant::nodes; a link may name an ancestor.
    std::vector<std::size_t> subNodes;
    std::vector<std::size_t> tags;
    std::vector<Batch> batches;
};

class Plant {
public:
    std::string identity;
    std::optional<std::int64_t> fixedClock;
    // As written in the sidecar; resolved by the simulator.
    std::string journalFile;
    std::optional<std::string> configuration;

    std::vector<Node> nodes;
    std::vector<std::size_t> topNodes;
    std::vector<Tag> tags;

    bool addNode(const std::string& path, const std::string& name, std::string& error);
    bool link(const std::string& path, const std::string& targetPath, std::string& error);
    bool chain(const std::string& path, std::int64_t count, std::string& error);
    bool addTag(const std::string& nodePath, const std::string& name, const Signal& signal, std::string& error);
    bool addBatch(const std::string& nodePath, const Batch& batch, std::string& error);

    std::optional<std::size_t> findNode(const std::string& path) const;
    // Handles are 1-based positions in the tables; null for any other value.
    const Node* node(std::uintptr_t handle) const;
    const Tag* tag(std::uintptr_t handle) const;
    std::uintptr_t handleOfNode(std::size_t index) const { return index + 1; }
    std::uintptr_t handleOfTag(std::size_t index) const { return index + 1; }
    // Where written values of a tag are kept: stable across reloads of the sidecar.
    std::string tagKey(const Tag& tag) const;
    // The node's own batch of that id first, then any node's.
    const Batch* findBatch(const Node& node, const std::string& id) const;

    std::int64_t now() const;

private:
    std::size_t append(const std::string& path, const std::string& name);

    std::map<std::string, std::size_t> byPath;
};

}  // namespace simquellan
