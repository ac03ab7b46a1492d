// Each build variant of SimQuellan lacks exactly its names.
#include "SimFixture.h"

#include <set>

namespace mq::test {
namespace {

struct VariantCase {
    SimVariant variant;
    std::set<std::string> missing;
};

class SimQuellanVariants : public SimQuellanTest, public ::testing::WithParamInterface<VariantCase> {};

TEST_P(SimQuellanVariants, LackExactlyTheirNames) {
    start(TEST_PLANT, GetParam().variant);
    for (const ChildFunction& function : CHILD_FUNCTIONS)
        EXPECT_EQ(sim->exports(function.name), GetParam().missing.count(function.name) == 0) << function.name;
    EXPECT_TRUE(sim->exports("simquellan_control"));
    EXPECT_TRUE(sim->exports("simquellan_threadId"));
}

TEST_P(SimQuellanVariants, ServeTheirPlantThroughTheShortForms) {
    start(TEST_PLANT, GetParam().variant);
    QUELLAN2_CONNECTION connection = sim->open();
    QUELLAN2_NODE line1 = nullptr;
    QUELLAN2_TAG temperature = nullptr;
    ASSERT_EQ(sim->connectionGetNode(connection, 0, &line1), QUELLAN2_STATUS_OK);
    ASSERT_EQ(sim->nodeGetTag(line1, 0, &temperature), QUELLAN2_STATUS_OK);
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadHistoricalData(connection, &temperature, 1, 5000, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), std::vector<SimValue>{child->expectedValue("Line1", "TT-101", 5000)});
}

INSTANTIATE_TEST_SUITE_P(
    AllBuilds, SimQuellanVariants,
    ::testing::Values(
        VariantCase{SimVariant::FULL, {}},
        VariantCase{SimVariant::NO_EX,
                    {"quellan2_connectionReadHistoricalDataEx", "quellan2_connectionReadBatchDataEx",
                     "quellan2_connectionWriteHistoricalDataEx", "quellan2_connectionWriteBatchDataEx",
                     "quellan2_nodeGetNumNodes", "quellan2_nodeGetNode"}},
        VariantCase{SimVariant::NO_SUB_NODE_FETCH, {"quellan2_nodeGetNode"}},
        VariantCase{SimVariant::MISSING_ONE, {"quellan2_stringCopy"}},
        VariantCase{SimVariant::MISSING_TWO, {"quellan2_nodeGetName", "quellan2_stringCopy"}},
        VariantCase{SimVariant::MISSING_THREE,
                    {"quellan2_connectionGetCurrentTime", "quellan2_nodeGetName", "quellan2_stringCopy"}}),
    [](const ::testing::TestParamInfo<VariantCase>& info) { return simLibraryName(info.param.variant); });

}  // namespace
}  // namespace mq::test
