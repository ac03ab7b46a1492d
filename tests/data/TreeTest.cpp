// Opening, the merged tree, browsing and closing, through the exports.
#include "MultiplexerFixture.h"

#include "config/ConfigurationFileWriter.h"
#include "platform/FileOwnership.h"

#include <filesystem>

namespace mq::test {
namespace {

const char* const FIRST = "clock 1000000\nnode A\ntag A x float base=1\ntag A y float base=2\nnode B\n";
const char* const SECOND = "clock 2000000\nnode A\ntag A z float base=3\n";

class Tree : public MultiplexerTest {
protected:
    std::string nodeName(uintptr_t handle) {
        QUELLAN2_STRING name = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetName(node(handle), &name));
        return plugin->take(name);
    }
    std::string tagName(uintptr_t handle) {
        QUELLAN2_STRING name = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->tagGetName(tag(handle), &name));
        return plugin->take(name);
    }
    uint32_t tagCount(uintptr_t handle) {
        uint32_t count = 99;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetNumTags(node(handle), &count));
        return count;
    }
    void openTwoChildren() {
        addChild("First", FIRST);
        addChild("Second", SECOND);
        configure();
        connection = open();
    }

    QUELLAN2_CONNECTION connection = reinterpret_cast<QUELLAN2_CONNECTION>(1);
};

TEST_F(Tree, TopLevelNodesOfAllChildrenStandSideBySideInChildOrder) {
    openTwoChildren();
    ASSERT_EQ(3u, nodeCount(connection));
    for (uint32_t index = 0; index < 3; ++index) {
        QUELLAN2_NODE handle = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNode(connection, index, &handle));
        EXPECT_EQ(node(index + 1), handle);
    }
    QUELLAN2_NODE beyond = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetNode(connection, 3, &beyond));
    EXPECT_EQ(nullptr, beyond);
    EXPECT_EQ("A", nodeName(1));
    EXPECT_EQ("B", nodeName(2));
    EXPECT_EQ("A", nodeName(3)) << "names are neither decorated nor made unique";
}

TEST_F(Tree, EachNodesTagsAreOneRunOfTheTagTable) {
    openTwoChildren();
    EXPECT_EQ(2u, tagCount(1));
    EXPECT_EQ(0u, tagCount(2));
    EXPECT_EQ(1u, tagCount(3));
    QUELLAN2_TAG handle = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetTag(node(1), 0, &handle));
    EXPECT_EQ(tag(1), handle);
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetTag(node(1), 1, &handle));
    EXPECT_EQ(tag(2), handle);
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetTag(node(3), 0, &handle));
    EXPECT_EQ(tag(3), handle) << "a node without tags shifts nothing";
    QUELLAN2_TAG refused = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetTag(node(2), 0, &refused));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetTag(node(1), 2, &refused));
    EXPECT_EQ(nullptr, refused);
    EXPECT_EQ("x", tagName(1));
    EXPECT_EQ("y", tagName(2));
    EXPECT_EQ("z", tagName(3));
}

TEST_F(Tree, NamesComeBackAsNewStringsEachTime) {
    openTwoChildren();
    QUELLAN2_STRING first = nullptr, second = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetName(node(1), &first));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetName(node(1), &second));
    EXPECT_NE(first, second);
    EXPECT_EQ(plugin->take(first), plugin->take(second));
}

TEST_F(Tree, ASecondOpenReturnsTheSameConnectionAndChangesNothing) {
    openTwoChildren();
    EXPECT_EQ(connection, open());
    EXPECT_EQ(3u, nodeCount(connection));
    EXPECT_EQ(1u, count(children[0]->journal(), "connectionOpen"));
}

TEST_F(Tree, OnlyTopLevelNodesAndTheirOwnTagsArePresented) {
    addChild("Deep", "node Top\ntag Top t1 float\nnode Top/Sub\ntag Top/Sub t2 float\n");
    configure();
    connection = open();
    EXPECT_EQ(1u, nodeCount(connection));
    EXPECT_EQ(1u, tagCount(1));
    QUELLAN2_STRING name = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetName(tag(2), &name));
}

TEST_F(Tree, AMissingConfiguredFileFailsTheOpenAndLoadsNoChild) {
    SimChild& present = addChild("Present", FIRST);
    configuration->writeChildren({present.libraryPath(), folder.file("Gone" MQ_LIBRARY_SUFFIX)});
    QUELLAN2_CONNECTION failed = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, (*plugin)->connectionOpen("", &failed));
    EXPECT_EQ(nullptr, failed);
    EXPECT_TRUE(present.journal().empty()) << "no child was loaded";
    EXPECT_EQ(0u, nodeCount(connection));
}

TEST_F(Tree, AChildThatFailsToStartIsLeftOutAndTheOthersServe) {
    addChild("Refusing", std::string(FIRST) + "fail connectionOpen 1\n");
    addChild("Missing", FIRST, SimVariant::MISSING_TWO);
    addChild("Second", SECOND);
    configure();
    connection = open();
    ASSERT_EQ(1u, nodeCount(connection));
    EXPECT_EQ("z", tagName(1));
}

TEST_F(Tree, AChildLeftOutIsLoggedWithWhyWhereTheSettingsAskForALog) {
    SimChild& refusing = addChild("Refusing", std::string(FIRST) + "fail connectionOpen 1\n");
    SimChild& serving = addChild("Second", SECOND);
    const std::string log = folder.file("faults.log");
    ASSERT_TRUE(writeConfigurationFile(
        configuration->filePath(),
        ConfigurationSettings{{{"log", log}}, {ChildEntry{refusing.libraryPath(), {}}, ChildEntry{serving.libraryPath(), {}}}}));
    connection = open();
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(connection));
    if (platform::isPrivilegedProcess()) {
        EXPECT_FALSE(std::filesystem::exists(log)) << "a privileged host writes to the system's log only";
        return;
    }
    const std::string text = readFile(log);
    EXPECT_NE(text.find("\t" + refusing.libraryPath() + "\tleft out\t\tits start-up failed"), std::string::npos) << text;
    EXPECT_EQ(text.find(serving.libraryPath()), std::string::npos) << text;
}

TEST_F(Tree, CloseStopsEveryChildAndTheNextCallReadsTheConfigurationAgain) {
    openTwoChildren();
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(connection));
    for (const auto& child : children) {
        EXPECT_EQ(1u, count(child->journal(), "connectionClose"));
        EXPECT_EQ(1u, count(child->journal(), "uninitialize"));
    }
    configuration->writeChildren({children[1]->libraryPath()});
    EXPECT_EQ(0u, nodeCount(connection)) << "a new Multiplexer, not opened yet";
    connection = open();
    EXPECT_EQ(1u, nodeCount(connection));
    EXPECT_EQ("A", nodeName(1));
    EXPECT_EQ(1u, tagCount(1));
}

TEST_F(Tree, HandlesFromBeforeACloseAreRefused) {
    openTwoChildren();
    (*plugin)->connectionClose(connection);
    QUELLAN2_STRING name = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetName(tag(3), &name));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetName(node(1), &name));
}

TEST_F(Tree, TheSameLibraryListedTwiceIsTwoChildren) {
    SimChild& child = addChild("Twice", SECOND);
    configuration->writeChildren({child.libraryPath(), child.libraryPath()});
    connection = open();
    EXPECT_EQ(2u, nodeCount(connection));
    EXPECT_EQ("z", tagName(2));
}

}  // namespace
}  // namespace mq::test
