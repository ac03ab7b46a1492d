// A fresh SimQuellan child per test: its own scratch folder, so its own module.
#pragma once

#include "SimModule.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace mq::test {

inline const char* const TEST_PLANT = R"(# The plant of the SimQuellan tests.
identity Test plant 7
clock 1000000
node Line1 Line 1
tag Line1 TT-101 float base=20 amplitude=5 period=3600 noise=0.25
tag Line1 Phase string states=Fill,Ferment,Drain dwell=600
node Line1/Tank1 Tank 1
tag Line1/Tank1 LT-101 float base=50 amplitude=40 period=7200 every=30
node Line1/Tank1/Valve Valve
link Line1/Tank1/Valve Line1
batch Line1 B-001 999000 999500
batch Line1 B-002 999400 1000400
batch Line1 B-003 1000500 1001000
node Line2 Line 2
chain Line2 5
)";

class SimQuellanTest : public ::testing::Test {
protected:
    void start(const std::string& sidecar = TEST_PLANT, SimVariant variant = SimVariant::FULL,
               const std::string& fileBase = "Plant") {
        child = std::make_unique<SimChild>(folder.path(), fileBase, sidecar, variant);
        sim = std::make_unique<SimModule>(child->libraryPath());
    }

    // Opens a connection to the test plant, with Line1 and its tags at hand.
    void openPlant(const std::string& sidecar = TEST_PLANT) {
        start(sidecar);
        connection = sim->open();
        ASSERT_NE(connection, nullptr);
        line1 = sim->node(connection, "Line 1");
        temperature = sim->tag(line1, "TT-101");
        phase = sim->tag(line1, "Phase");
        ASSERT_NE(temperature, nullptr);
        ASSERT_NE(phase, nullptr);
    }

    ScratchFolder folder{"simquellan"};
    std::unique_ptr<SimChild> child;
    std::unique_ptr<SimModule> sim;
    QUELLAN2_CONNECTION connection = nullptr;
    QUELLAN2_NODE line1 = nullptr;
    QUELLAN2_TAG temperature = nullptr;
    QUELLAN2_TAG phase = nullptr;
};

}  // namespace mq::test
