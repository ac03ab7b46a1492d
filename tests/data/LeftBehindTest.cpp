// A close with a hung child: it returns, and the library stays loaded for the worker left behind.
#include "TimeoutFixture.h"
#include "support/LoadedModules.h"

namespace mq::test {
namespace {

TEST_F(TimeoutTest, ACloseLeavesAHungWorkerBehindAndTheLibraryStaysLoadedForIt) {
    // Never back within the test's lifetime.
    SimChild& slow = configureSlowAndHealthy("Hung", "sleep connectionReadCurrentData 3600000\n");
    QUELLAN2_CONNECTION connection = open();
    const QUELLAN2_TAG tags[] = {tag(1), tag(4)};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 2, &result));
    EXPECT_EQ(SimValue(), valueAt(*plugin, result, 0));
    EXPECT_EQ(healthy->expectedValue("Q", "q1", 1700000000), valueAt(*plugin, result, 1));
    (*plugin)->vectorFree(result);

    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(connection));
    EXPECT_EQ(1u, healthy->journal("uninitialize").size()) << "the healthy child closed as usual";
    plugin.reset();  // the host unloads MultiQuellan
    EXPECT_TRUE(moduleIsLoaded(libraryPath("MultiQuellan"))) << "held by the worker left behind";
    EXPECT_TRUE(moduleIsLoaded(slow.libraryPath())) << "the child's code still runs";
    // What the fixture's tear-down closes.
    plugin = std::make_unique<LoadedPlugin>(libraryPath("MultiQuellan"));
}

}  // namespace
}  // namespace mq::test
