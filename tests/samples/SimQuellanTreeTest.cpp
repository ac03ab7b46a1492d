// The tree, identity and configuration that a sidecar describes.
#include "SimFixture.h"

#include <filesystem>

namespace mq::test {
namespace {

using SimQuellanTree = SimQuellanTest;

TEST_F(SimQuellanTree, TopLevelNodesSubNodesAndTagsFollowTheSidecar) {
    start();
    QUELLAN2_CONNECTION connection = sim->open();
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(sim->topNodeNames(connection), (std::vector<std::string>{"Line 1", "Line 2"}));
    QUELLAN2_NODE line1 = sim->node(connection, "Line 1");
    EXPECT_EQ(sim->tagNames(line1), (std::vector<std::string>{"TT-101", "Phase"}));
    EXPECT_EQ(sim->subNodeNames(line1), (std::vector<std::string>{"Tank 1"}));
    QUELLAN2_NODE tank = sim->subNode(line1, "Tank 1");
    EXPECT_EQ(sim->tagNames(tank), (std::vector<std::string>{"LT-101"}));
    EXPECT_EQ(sim->subNodeNames(tank), (std::vector<std::string>{"Valve"}));
}

TEST_F(SimQuellanTree, LinkToAnAncestorMakesACycle) {
    start();
    QUELLAN2_CONNECTION connection = sim->open();
    QUELLAN2_NODE line1 = sim->node(connection, "Line 1");
    QUELLAN2_NODE valve = sim->subNode(sim->subNode(line1, "Tank 1"), "Valve");
    QUELLAN2_NODE back = nullptr;
    ASSERT_EQ(sim->nodeGetNode(valve, 0, &back), QUELLAN2_STATUS_OK);
    EXPECT_EQ(back, line1);
}

TEST_F(SimQuellanTree, ChainNestsTheGivenNumberOfSubNodes) {
    start();
    QUELLAN2_CONNECTION connection = sim->open();
    QUELLAN2_NODE node = sim->node(connection, "Line 2");
    for (int level = 1; level <= 5; ++level) {
        ASSERT_EQ(sim->subNodeNames(node), std::vector<std::string>{"Level" + std::to_string(level)});
        node = sim->subNode(node, "Level" + std::to_string(level));
    }
    uint32_t count = 99;
    EXPECT_EQ(sim->nodeGetNumNodes(node, &count), QUELLAN2_STATUS_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(SimQuellanTree, DeepChainLevelsAreAddressedByTheirLevelNumber) {
    start("node Deep\nchain Deep 3000\ntag Deep/Level3000 Bottom float base=1\n");
    QUELLAN2_CONNECTION connection = sim->open();
    QUELLAN2_NODE node = sim->node(connection, "Deep");
    int depth = 0;
    for (uint32_t count = 0; sim->nodeGetNumNodes(node, &count) == QUELLAN2_STATUS_OK && count == 1; ++depth)
        ASSERT_EQ(sim->nodeGetNode(node, 0, &node), QUELLAN2_STATUS_OK);
    EXPECT_EQ(depth, 3000);
    EXPECT_EQ(sim->tagNames(node), std::vector<std::string>{"Bottom"});
}

TEST_F(SimQuellanTree, IndexOutOfRangeAndNullArgumentsAreInvalid) {
    start();
    QUELLAN2_CONNECTION connection = sim->open();
    QUELLAN2_NODE node = nullptr;
    EXPECT_EQ(sim->connectionGetNode(connection, 2, &node), QUELLAN2_STATUS_INVALID_PARAMETER);
    EXPECT_EQ(sim->connectionGetNode(connection, 0, nullptr), QUELLAN2_STATUS_INVALID_PARAMETER);
    uint32_t count = 0;
    EXPECT_EQ(sim->nodeGetNumTags(nullptr, &count), QUELLAN2_STATUS_INVALID_PARAMETER);
    EXPECT_EQ(sim->connectionGetNumNodes(reinterpret_cast<QUELLAN2_CONNECTION>(999), &count),
              QUELLAN2_STATUS_INVALID_PARAMETER);
}

TEST_F(SimQuellanTree, MissingSidecarGivesTheSmallDefaultPlant) {
    start();
    std::filesystem::remove(child->sidecarPath());
    QUELLAN2_CONNECTION connection = sim->open();
    EXPECT_EQ(sim->topNodeNames(connection), (std::vector<std::string>{"Area 1", "Area 2"}));
    EXPECT_EQ(sim->tagNames(sim->node(connection, "Area 1")), (std::vector<std::string>{"Temperature", "State"}));
}

TEST_F(SimQuellanTree, IdentityComesFromTheSidecarWithoutInitialize) {
    start();
    QUELLAN2_STRING identity = nullptr;
    ASSERT_EQ(sim->getIdentity(&identity), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->take(identity), "Test plant 7");
    EXPECT_EQ(sim->getIdentity(nullptr), QUELLAN2_STATUS_INVALID_PARAMETER);
}

TEST_F(SimQuellanTree, IdentityDefaultsToTheLibraryName) {
    start("node A\n", SimVariant::FULL, "Utilities");
    QUELLAN2_STRING identity = nullptr;
    ASSERT_EQ(sim->getIdentity(&identity), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->take(identity), "SimQuellan simulated plant (Utilities)");
}

TEST_F(SimQuellanTree, EachInitializeReadsTheSidecarAgain) {
    start();
    sim->open();
    child->writeSidecar("identity Second plant\nnode Only\n");
    QUELLAN2_CONNECTION connection = sim->open();
    EXPECT_EQ(sim->topNodeNames(connection), std::vector<std::string>{"Only"});
    QUELLAN2_STRING identity = nullptr;
    ASSERT_EQ(sim->getIdentity(&identity), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->take(identity), "Second plant");
}

TEST_F(SimQuellanTree, UpdateConfigurationHandsBackTheGivenOrConfiguredText) {
    start();
    QUELLAN2_STRING configuration = nullptr;
    ASSERT_EQ(sim->updateConfiguration("given", &configuration), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->take(configuration), "given");
    child->writeSidecar("configuration server=plant7 port=1234\n");
    sim->initialize();
    ASSERT_EQ(sim->updateConfiguration("", &configuration), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->take(configuration), "server=plant7 port=1234");
    EXPECT_EQ(sim->updateConfiguration(nullptr, &configuration), QUELLAN2_STATUS_INVALID_PARAMETER);
}

TEST_F(SimQuellanTree, BadSidecarLinesAreSkippedAndNotedInTheJournal) {
    start("node A\nfrobnicate 3\ntag Missing X float\ntag A Good float base=1\n");
    QUELLAN2_CONNECTION connection = sim->open();
    EXPECT_EQ(sim->tagNames(sim->node(connection, "A")), std::vector<std::string>{"Good"});
    std::string journal = readFile(child->journalPath());
    EXPECT_NE(journal.find("# sidecar line 2 ignored: unknown keyword 'frobnicate'"), std::string::npos);
    EXPECT_NE(journal.find("# sidecar line 3 ignored: no node 'Missing'"), std::string::npos);
}

}  // namespace
}  // namespace mq::test

namespace mq::test {
namespace {

class SimQuellanDemo : public SimQuellanTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SimQuellanDemo, SidecarIsAppliedWithoutComplaint) {
    std::string sidecar = readFile(std::string(SIMQUELLAN_DEMO_FOLDER) + "/" + GetParam() + ".sim");
    ASSERT_FALSE(sidecar.empty());
    // The demo keeps no journal; this check needs one, for the notes of skipped lines.
    start(sidecar + "journal " + GetParam() + ".journal\n", SimVariant::FULL, GetParam());
    QUELLAN2_CONNECTION connection = sim->open();
    EXPECT_FALSE(sim->topNodeNames(connection).empty());
    std::vector<JournalEntry> entries = child->journal();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(readFile(child->journalPath()).find('#'), std::string::npos) << readFile(child->journalPath());
}

INSTANTIATE_TEST_SUITE_P(BothPlants, SimQuellanDemo, ::testing::Values("Fermentation", "Utilities"));

}  // namespace
}  // namespace mq::test
