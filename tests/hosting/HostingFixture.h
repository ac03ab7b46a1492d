// Children for the hosting tests: SimQuellan copies in a scratch folder.
#pragma once

#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace mq::test {

// Two top-level nodes; the first has a sub-node, and tags of both kinds.
// Node handles follow the lines: Line1 1, Line1/Mixer 2, Line2 3.
inline const char* const PLANT = R"(identity Hosting test plant
clock 1700000000
node Line1 Line 1
tag Line1 TT-101 float base=20 amplitude=5 period=600
tag Line1 Phase string states=Fill,Heat,Hold dwell=300
node Line1/Mixer Mixer
tag Line1/Mixer Speed float base=100
node Line2 Line 2
tag Line2 PT-201 float base=3 amplitude=1
batch Line2 B-7 1699990000 1699999000
)";

class HostingTest : public ::testing::Test {
protected:
    SimChild& makeChild(const std::string& sidecar = PLANT, SimVariant variant = SimVariant::FULL,
                        const std::string& name = "Child") {
        children.push_back(std::make_unique<SimChild>(folder.path(), name, sidecar, variant));
        return *children.back();
    }

    static std::vector<std::string> functionsOf(const std::vector<JournalEntry>& entries) {
        std::vector<std::string> names;
        for (const JournalEntry& entry : entries) names.push_back(entry.function);
        return names;
    }

    static std::size_t count(const std::vector<JournalEntry>& entries, const std::string& function) {
        return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(),
                                                      [&](const JournalEntry& e) { return e.function == function; }));
    }

    ScratchFolder folder{"hosting"};
    std::vector<std::unique_ptr<SimChild>> children;
};

}  // namespace mq::test
