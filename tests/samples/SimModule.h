// A SimQuellan library loaded through the real loader, with small helpers to call it.
#pragma once

#include "quellan2.h"
#include "support/LoadedPlugin.h"
#include "support/SimChild.h"

#include <string>
#include <vector>

namespace mq::test {

// Sim-specific helpers over a loaded plug-in; the build variants lack
// functions on purpose, so missing entries stay null.
class SimModule : public LoadedPlugin {
public:
    explicit SimModule(const std::string& path) : LoadedPlugin(path, AllowMissing{}) {}

    // initialize, then connectionOpen; null when either fails.
    QUELLAN2_CONNECTION open();
    // The vector's elements, freeing the vector.
    std::vector<SimValue> values(QUELLAN2_VECTOR vector);
    QUELLAN2_VECTOR makeVector(const std::vector<SimValue>& values);
    // The top-level node, or sub-node when `parent` is given, with that name.
    QUELLAN2_NODE node(QUELLAN2_CONNECTION connection, const std::string& name);
    QUELLAN2_NODE subNode(QUELLAN2_NODE parent, const std::string& name);
    QUELLAN2_TAG tag(QUELLAN2_NODE node, const std::string& name);
    std::vector<std::string> subNodeNames(QUELLAN2_NODE node);
    std::vector<std::string> tagNames(QUELLAN2_NODE node);
};

}  // namespace mq::test
