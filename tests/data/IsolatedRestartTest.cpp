// An isolated child with restart="true" comes back however its surrogate ended, and the host's handles keep
// their meaning in the tree the new surrogate reads; in-process, restart="true" changes nothing.
#include "IsolationFixture.h"
#include "support/ChildProcesses.h"

#include <chrono>
#include <map>
#include <ostream>
#include <thread>

namespace mq::test {
namespace {

constexpr int32_t CLOCK = 1700000000;

// The tree before the surrogate ends: the host's tags are, in order, A1/F,
// A1/S, A1/Gone, A2/G and A2/G again.
const std::string BEFORE = R"(clock 1700000000
node A1
tag A1 F float base=10 amplitude=2
tag A1 S string states=On,Off
tag A1 Gone float base=3
node A2
tag A2 G float base=5
tag A2 G float base=6
)";

// The tree the restarted child has: nodes and tags in another order, other
// values, Gone gone and New new.
const std::string AFTER = R"(clock 1700000000
node A2
tag A2 G float base=105
tag A2 New float base=1
tag A2 G float base=106
node A1
tag A1 S string states=Up,Down
tag A1 F float base=110 amplitude=2
)";

// The value of the tag that one line of a plant defines.
SimValue valueOf(const std::string& node, const std::string& tagLine, const std::string& name) {
    return expectedSimValue("clock 1700000000\nnode " + node + "\n" + tagLine + "\n", node, name, CLOCK);
}

// What the host's five tags read after the restart: each the tag of its
// path and name in AFTER, the second G the second one, Gone null.
std::vector<SimValue> afterValues() {
    return {valueOf("A1", "tag A1 F float base=110 amplitude=2", "F"),
            valueOf("A1", "tag A1 S string states=Up,Down", "S"), SimValue(),
            valueOf("A2", "tag A2 G float base=105", "G"), valueOf("A2", "tag A2 G float base=106", "G")};
}

// How the surrogate ends; the hang is given up by timeout="2", which ends it.
struct Ending {
    const char* name;
    // The sidecar line that ends it at the first read; none for a kill from outside.
    const char* control;
};

void PrintTo(const Ending& ending, std::ostream* out) {
    *out << ending.name;
}

const Ending ENDINGS[] = {
    {"crash", "fault connectionReadCurrentData heap times=1\n"},
    {"abort", "fault connectionReadCurrentData abort times=1\n"},
    {"exit", "fault connectionReadCurrentData exit times=1\n"},
    {"kill", ""},
    {"hang", "sleep connectionReadCurrentData 30000\n"},
};

// Waits, up to a bound far beyond any backoff the test can meet, until `done` holds; whether it does then.
template <typename Condition>
bool eventually(Condition done) {
    const auto bound = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (!done()) {
        if (std::chrono::steady_clock::now() > bound) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class IsolatedRestart : public IsolationTest, public ::testing::WithParamInterface<Ending> {
protected:
    // The host's tags, in tree order, as node/name; the status node's are
    // kept apart, by their field.
    std::vector<std::string> tagPaths(QUELLAN2_CONNECTION connection) {
        const LoadedPlugin& host = *plugin;
        std::vector<std::string> paths;
        tags.clear();
        statusTags.clear();
        uint32_t nodeCount = 0;
        host->connectionGetNumNodes(connection, &nodeCount);
        for (uint32_t n = 0; n < nodeCount; ++n) {
            QUELLAN2_NODE node = nullptr;
            QUELLAN2_STRING name = nullptr;
            host->connectionGetNode(connection, n, &node);
            host->nodeGetName(node, &name);
            const std::string nodeName = host.take(name);
            uint32_t tagCount = 0;
            host->nodeGetNumTags(node, &tagCount);
            for (uint32_t t = 0; t < tagCount; ++t) {
                QUELLAN2_TAG tag = nullptr;
                host->nodeGetTag(node, t, &tag);
                host->tagGetName(tag, &name);
                const std::string tagName = host.take(name);
                if (nodeName == "MultiQuellan") {
                    statusTags[tagName.substr(tagName.rfind('.') + 1)] = tag;
                    continue;
                }
                tags.push_back(tag);
                paths.push_back(nodeName + "/" + tagName);
            }
        }
        return paths;
    }

    std::vector<SimValue> readAll(QUELLAN2_CONNECTION connection) {
        QUELLAN2_VECTOR result = nullptr;
        std::vector<SimValue> values;
        if ((*plugin)->connectionReadCurrentData(connection, tags.data(), static_cast<uint32_t>(tags.size()),
                                                 &result) != QUELLAN2_STATUS_OK)
            return values;
        for (uint32_t k = 0; k < tags.size(); ++k) values.push_back(valueAt(*plugin, result, k));
        (*plugin)->vectorFree(result);
        return values;
    }

    // The status node's figure of the one child.
    SimValue figure(QUELLAN2_CONNECTION connection, const std::string& field) {
        QUELLAN2_VECTOR result = nullptr;
        const QUELLAN2_TAG tag = statusTags.at(field);
        if ((*plugin)->connectionReadCurrentData(connection, &tag, 1, &result) != QUELLAN2_STATUS_OK) return {};
        const SimValue value = valueAt(*plugin, result, 0);
        (*plugin)->vectorFree(result);
        return value;
    }

    std::vector<QUELLAN2_TAG> tags;
    std::map<std::string, QUELLAN2_TAG> statusTags;
};

TEST_P(IsolatedRestart, ComesBackInANewSurrogateWithTheHostsHandlesFollowingTheirNames) {
    SimChild& child = addChild("Restarting", BEFORE + GetParam().control);
    const bool hang = std::string(GetParam().name) == "hang";
    place({{&child, true, hang ? std::optional<std::string>("2") : std::nullopt, true}}, " status=\"true\"");
    QUELLAN2_CONNECTION connection = open();
    const std::vector<std::string> paths{"A1/F", "A1/S", "A1/Gone", "A2/G", "A2/G"};
    ASSERT_EQ(paths, tagPaths(connection));
    const std::vector<std::int64_t> first = childProcessesOf(thisProcessId());
    ASSERT_EQ(1u, first.size());

    // The first read ends the surrogate, or sees it whole before it is killed.
    const std::vector<SimValue> beforeValues = readAll(connection);
    ASSERT_EQ(tags.size(), beforeValues.size());
    child.writeSidecar(AFTER);
    if (*GetParam().control == '\0') {
        EXPECT_EQ(valueOf("A1", "tag A1 F float base=10 amplitude=2", "F"), beforeValues[0]);
        ASSERT_TRUE(killProcess(first[0]));
    } else {
        EXPECT_EQ(std::vector<SimValue>(tags.size()), beforeValues) << "the surrogate ended in the read";
    }

    const std::vector<SimValue> expected = afterValues();
    EXPECT_TRUE(eventually([&] { return readAll(connection) == expected; }))
        << "the restarted child serves the host's handles by their names";
    EXPECT_EQ(paths, tagPaths(connection)) << "the host's tree is as it was: New is not added";
    EXPECT_EQ(SimValue(std::string("running")), figure(connection, "State"));
    EXPECT_EQ(SimValue(1.0f), figure(connection, "Restarts"));
    std::vector<std::int64_t> now;
    EXPECT_TRUE(eventually([&] {
        now = childProcessesOf(thisProcessId());
        return now.size() == 1;
    })) << "no surrogate left behind";
    EXPECT_NE(first, now) << "a new surrogate serves";

    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(connection));
    EXPECT_TRUE(eventually([] { return childProcessesOf(thisProcessId()).empty(); }));
}

INSTANTIATE_TEST_SUITE_P(EveryEnding, IsolatedRestart, ::testing::ValuesIn(ENDINGS),
                         [](const auto& info) { return std::string(info.param.name); });

// A hung thread cannot be taken back: an in-process child is hung for the
// rest of the connection whatever restart says, also once its call came back.
TEST_F(IsolationTest, AnInProcessChildWithRestartStaysHungAsWithout) {
    SimChild& child = addChild("InProcess", BEFORE + "sleep connectionReadCurrentData 2000 times=1\n");
    place({{&child, false, std::string("1"), true}});
    QUELLAN2_CONNECTION connection = open();
    const QUELLAN2_TAG first[] = {reinterpret_cast<QUELLAN2_TAG>(1)};
    for (int read = 0; read < 2; ++read) {
        QUELLAN2_VECTOR result = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, first, 1, &result));
        EXPECT_EQ(SimValue(), valueAt(*plugin, result, 0));
        (*plugin)->vectorFree(result);
        // The hung call comes back by itself; the child is not started again.
        ASSERT_TRUE(eventually([&] { return !child.journal("connectionReadCurrentData").empty(); }));
    }
    EXPECT_EQ(1u, child.journal("connectionReadCurrentData").size()) << "no later call reached the child";
    EXPECT_EQ(1u, child.journal("initialize").size());
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(connection));
}

}  // namespace
}  // namespace mq::test
