// The child's tree, read once by the worker when the child starts.
#include "HostingFixture.h"
#include "hosting/ProxyTree.h"
#include "hosting/QuellanProxy.h"

#include <utility>

namespace mq::test {
namespace {

using ProxyTree = HostingTest;

std::size_t positionOf(const std::vector<JournalEntry>& journal, const std::string& function,
                       const std::string& arguments) {
    for (std::size_t i = 0; i < journal.size(); ++i)
        if (journal[i].function == function && journal[i].arguments.rfind(arguments, 0) == 0) return i;
    return journal.size();
}

std::size_t depthOf(const QuellanProxy::Node& node) {
    std::size_t deepest = 0;
    for (const auto& subNode : node.subNodes) deepest = std::max(deepest, depthOf(*subNode));
    return deepest + 1;
}

TEST_F(ProxyTree, HoldsEveryNodeAndTagWithTheChildsHandles) {
    SimChild& child = makeChild();
    QuellanProxy proxy(child.libraryPath(), "");
    const auto& top = proxy.connectionTree().topNodes;
    ASSERT_EQ(2u, top.size());
    EXPECT_EQ(reinterpret_cast<QUELLAN2_NODE>(1), top[0]->handle);
    EXPECT_EQ(reinterpret_cast<QUELLAN2_NODE>(3), top[1]->handle);
    EXPECT_EQ(2u, top[0]->nodeTags.size());
    ASSERT_EQ(1u, top[0]->subNodes.size());
    EXPECT_EQ(reinterpret_cast<QUELLAN2_NODE>(2), top[0]->subNodes[0]->handle);
    EXPECT_EQ(1u, top[0]->subNodes[0]->nodeTags.size());
    EXPECT_EQ(1u, top[1]->nodeTags.size());
    for (const auto& tag : top[0]->nodeTags) EXPECT_NE(nullptr, tag->name) << "names stay unread";
}

TEST_F(ProxyTree, SubNodesAreVisitedBeforeTheNodesOwnTags) {
    SimChild& child = makeChild();
    { QuellanProxy proxy(child.libraryPath(), ""); }
    const std::vector<JournalEntry> journal = child.journal();
    const std::size_t subNodeTag = positionOf(journal, "nodeGetTag", "node=2 ");
    const std::size_t ownTag = positionOf(journal, "nodeGetTag", "node=1 ");
    ASSERT_LT(ownTag, journal.size());
    EXPECT_LT(subNodeTag, ownTag);
}

TEST_F(ProxyTree, AFailedNodeCountLeavesNoTopNodesButTheChildRuns) {
    SimChild& child = makeChild(std::string(PLANT) + "fail connectionGetNumNodes 1\n");
    QuellanProxy proxy(child.libraryPath(), "");
    EXPECT_TRUE(proxy.connectionTree().topNodes.empty());
    uint32_t time = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy.connectionGetCurrentTime(&time));
}

TEST_F(ProxyTree, ARefusedTopLevelNodeIsSkipped) {
    SimChild& child = makeChild("node A\nnode B\nnode C\nrefuse connectionGetNode 1\n");
    QuellanProxy proxy(child.libraryPath(), "");
    const auto& top = proxy.connectionTree().topNodes;
    ASSERT_EQ(2u, top.size());
    EXPECT_EQ(reinterpret_cast<QUELLAN2_NODE>(1), top[0]->handle);
    EXPECT_EQ(reinterpret_cast<QUELLAN2_NODE>(3), top[1]->handle);
}

TEST_F(ProxyTree, WithoutSubNodeFunctionsNoSubNodeIsAskedFor) {
    SimChild& child = makeChild(PLANT, SimVariant::NO_EX);
    {
        QuellanProxy proxy(child.libraryPath(), "");
        EXPECT_TRUE(proxy.connectionTree().topNodes[0]->subNodes.empty());
    }
    EXPECT_EQ(0u, count(child.journal(), "nodeGetNumNodes"));
    EXPECT_EQ(0u, count(child.journal(), "nodeGetNode"));
}

TEST_F(ProxyTree, WithTheCountButNotTheFetchNoSubNodeIsFetched) {
    SimChild& child = makeChild(PLANT, SimVariant::NO_SUB_NODE_FETCH);
    {
        QuellanProxy proxy(child.libraryPath(), "");
        EXPECT_TRUE(proxy.connectionTree().topNodes[0]->subNodes.empty());
    }
    EXPECT_LT(0u, count(child.journal(), "nodeGetNumNodes"));
}

TEST_F(ProxyTree, ATagWhoseNameIsRefusedStaysWithoutAName) {
    SimChild& child = makeChild(std::string(PLANT) + "refuse tagGetName Line1 Phase\n");
    QuellanProxy proxy(child.libraryPath(), "");
    const auto& tags = proxy.connectionTree().topNodes[0]->nodeTags;
    ASSERT_EQ(2u, tags.size());
    EXPECT_NE(nullptr, tags[0]->name);
    EXPECT_EQ(nullptr, tags[1]->name);
}

TEST_F(ProxyTree, ARefusedTagIsSkippedAndAFaultCountsAsARefusal) {
    SimChild& child = makeChild(std::string(PLANT) + "refuse nodeGetTag Line1 0\nfault nodeGetNumTags access after=1 times=1\n");
    QuellanProxy proxy(child.libraryPath(), "");
    const auto& line1 = *proxy.connectionTree().topNodes[0];
    ASSERT_EQ(1u, line1.nodeTags.size()) << "the first tag was refused";
    EXPECT_TRUE(line1.subNodes[0]->nodeTags.empty()) << "the Mixer's tag count faulted";
}

TEST_F(ProxyTree, ACycleOrAnEndlessChainIsCutAtTheDepthLimit) {
    SimChild& child = makeChild(std::string(PLANT) + "link Line1/Mixer Line1\nchain Line2 100\n");
    QuellanProxy proxy(child.libraryPath(), "");
    const auto& top = proxy.connectionTree().topNodes;
    const QuellanProxy::Node& mixer = *top[0]->subNodes.at(0);
    ASSERT_EQ(1u, mixer.subNodes.size());
    EXPECT_EQ(top[0]->handle, mixer.subNodes[0]->handle) << "the cycle is shown once";
    EXPECT_TRUE(mixer.subNodes[0]->subNodes.empty()) << "and not followed";
    EXPECT_EQ(static_cast<std::size_t>(QuellanProxy::Node::MAX_DEPTH), depthOf(*top[1]));
}

TEST_F(ProxyTree, EveryNameTheChildDeliveredIsGivenBackByTheEnd) {
    SimChild& child = makeChild(std::string(PLANT) + "link Line1/Mixer Line1\n");
    {
        QuellanProxy proxy(child.libraryPath(), "");
        // Only the top-level names are ever read; the rest stay unread.
        QUELLAN2_STRING first = std::exchange(proxy.connectionTree().topNodes[0]->name, nullptr);
        proxy.functions().stringFree(first);
    }
    const std::vector<JournalEntry> journal = child.journal();
    std::size_t delivered = 0;
    for (const JournalEntry& entry : journal)
        if ((entry.function == "nodeGetName" || entry.function == "tagGetName") && entry.returned() && entry.code() == 0)
            ++delivered;
    EXPECT_LT(5u, delivered);
    EXPECT_EQ(delivered, count(journal, "stringFree") - 1) << "less the identity's";
}

}  // namespace
}  // namespace mq::test
