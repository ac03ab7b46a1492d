// Every fault kind in every place where MultiQuellan calls a child: start-up,
// the tree build, the nine call messages, shutdown, and each vector and
// string function called on the host's thread. The host gets the status the
// design gives, the process goes on, and the child serves the next call.
#include "data/MultiplexerFixture.h"
#include "interface/OutValues.h"
#include "support/FaultPlants.h"
#include "support/HostOperations.h"

#include <map>
#include <memory>
#include <ostream>
#include <tuple>

namespace mq::test {
namespace {

constexpr int32_t CLOCK = 1700000000;

// Child 0 (FAULTY_PLANT) misbehaves; child 1 (HEALTHY_PLANT) is its healthy neighbour.
struct HostTag {
    std::size_t child;
    const char* node;
    const char* name;
};
const HostTag TAGS[] = {{0, "A1", "F"}, {0, "A1", "S"}, {0, "A2", "G"}, {1, "B1", "H"}, {1, "B1", "T"}};
constexpr uint32_t TAG_COUNT = 5;

enum class Stage { START_UP, TREE, MESSAGE, SHUTDOWN, HOST_THREAD };

struct Place {
    Stage stage;
    const char* function;
};

void PrintTo(const Place& place, std::ostream* out) {
    *out << place.function;
}

// Each function of a stage, in the order the host reaches them.
std::vector<Place> everyPlace() {
    std::vector<Place> places;
    const auto add = [&](Stage stage, const std::vector<const char*>& functions) {
        for (const char* function : functions) places.push_back({stage, function});
    };
    add(Stage::START_UP, START_UP_FUNCTIONS);
    add(Stage::TREE, TREE_FUNCTIONS);
    add(Stage::MESSAGE, MESSAGE_FUNCTIONS);
    add(Stage::SHUTDOWN, {"connectionClose", "uninitialize"});
    add(Stage::HOST_THREAD, {"vectorCreate", "vectorFree", "vectorGetLength", "vectorGetType", "vectorGetString",
                             "vectorSetString", "vectorGetFloat", "vectorSetFloat", "stringCopy", "stringFree"});
    return places;
}
const std::vector<Place> PLACES = everyPlace();

// The faults a host survives; abort, exit and heap end the process they
// happen in, and with it the host that runs the child in its own.
const char* const KINDS[] = {"access", "divide", "throw", "stack"};

bool isNull(const SimValue& value) {
    return std::holds_alternative<std::monostate>(value);
}

// The journal entries of calls that did not come back.
std::vector<JournalEntry> faults(const std::vector<JournalEntry>& entries) {
    std::vector<JournalEntry> found;
    for (const JournalEntry& entry : entries)
        if (!entry.returned()) found.push_back(entry);
    return found;
}

// The suite shares its children, so that each case costs one connection
// rather than two library copies.
class FaultMatrix : public ::testing::TestWithParam<std::tuple<Place, const char*>> {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<ScratchFolder>("fault-matrix");
        configuration = std::make_unique<MachineConfiguration>();
        faulty = std::make_unique<SimChild>(folder->path(), "Faulty", FAULTY_PLANT);
        healthy = std::make_unique<SimChild>(folder->path(), "Healthy", HEALTHY_PLANT);
        configuration->writeChildren({faulty->libraryPath(), healthy->libraryPath()});
        // Loaded after the configuration is in place: loading fixes the data folder.
        plugin = std::make_unique<LoadedPlugin>(libraryPath("MultiQuellan"));
    }
    static void TearDownTestSuite() {
        (*plugin)->connectionClose(nullptr);
        plugin.reset();
        healthy.reset();
        faulty.reset();
        configuration.reset();
        folder.reset();
    }
    void SetUp() override {
        (*plugin)->connectionClose(nullptr);
        ASSERT_EQ(0u, faulty->control("reset"));
        ASSERT_EQ(0u, healthy->control("reset"));
        faulty->clearJournal();
        healthy->clearJournal();
    }

    const Place& place() const { return std::get<0>(GetParam()); }
    std::string fault() const {
        return std::string("fault ") + place().function + " " + std::get<1>(GetParam()) + " times=1";
    }
    void arm() { ASSERT_EQ(0u, faulty->control(fault())); }

    QUELLAN2_CONNECTION open() {
        QUELLAN2_CONNECTION connection = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionOpen("", &connection));
        return connection;
    }
    static QUELLAN2_TAG tag(uintptr_t handle) { return reinterpret_cast<QUELLAN2_TAG>(handle); }
    static QUELLAN2_NODE node(uintptr_t handle) { return reinterpret_cast<QUELLAN2_NODE>(handle); }
    static const QUELLAN2_TAG* allTags() {
        static const QUELLAN2_TAG tags[] = {tag(1), tag(2), tag(3), tag(4), tag(5)};
        return tags;
    }
    static SimValue expected(uint32_t position, int64_t time) {
        const HostTag& t = TAGS[position];
        return (t.child == 0 ? faulty : healthy)->expectedValue(t.node, t.name, time);
    }

    // "node/tag" for every tag of the host's tree, in handle order.
    std::vector<std::string> treeNames(QUELLAN2_CONNECTION connection) {
        std::vector<std::string> names;
        uint32_t nodes = 0;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNumNodes(connection, &nodes));
        for (uint32_t n = 0; n < nodes; ++n) {
            QUELLAN2_NODE handle = nullptr;
            QUELLAN2_STRING name = nullptr;
            EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNode(connection, n, &handle));
            EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetName(handle, &name));
            std::string nodeName = plugin->take(name);
            uint32_t tags = 0;
            EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetNumTags(handle, &tags));
            if (tags == 0) names.push_back(nodeName + "/");
            for (uint32_t t = 0; t < tags; ++t) {
                QUELLAN2_TAG tagHandle = nullptr;
                EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetTag(handle, t, &tagHandle));
                EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->tagGetName(tagHandle, &name));
                names.push_back(nodeName + "/" + plugin->take(name));
            }
        }
        return names;
    }

    std::vector<SimValue> readCurrent(QUELLAN2_CONNECTION connection) {
        QUELLAN2_VECTOR result = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, allTags(), TAG_COUNT, &result));
        std::vector<SimValue> values;
        for (uint32_t i = 0; result && i < TAG_COUNT; ++i) values.push_back(valueAt(*plugin, result, i));
        (*plugin)->vectorFree(result);
        return values;
    }
    std::vector<SimValue> readHistory(QUELLAN2_CONNECTION connection, int32_t time) {
        QUELLAN2_VECTOR result = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK,
                  (*plugin)->connectionReadHistoricalDataEx(connection, allTags(), TAG_COUNT, time, 0, 1, &result));
        std::vector<SimValue> values;
        for (uint32_t i = 0; result && i < TAG_COUNT; ++i) values.push_back(valueAt(*plugin, result, i));
        (*plugin)->vectorFree(result);
        return values;
    }
    std::vector<SimValue> readBatch(QUELLAN2_CONNECTION connection, const char* batch) {
        QUELLAN2_VECTOR result = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK,
                  (*plugin)->connectionReadBatchDataEx(connection, allTags(), TAG_COUNT, batch, 0, &result));
        std::vector<SimValue> values;
        for (uint32_t i = 0; result && i < TAG_COUNT; ++i) values.push_back(valueAt(*plugin, result, i));
        (*plugin)->vectorFree(result);
        return values;
    }
    // One host vector of values for the five tags: floats and texts by position.
    QUELLAN2_VECTOR hostValues(float seed) {
        QUELLAN2_VECTOR values = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorCreate(TAG_COUNT, &values));
        for (uint32_t i = 0; i < TAG_COUNT; ++i) {
            if (i == 1 || i == 4) {
                (*plugin)->vectorSetString(values, i, ("text " + std::to_string(seed)).c_str());
            } else {
                (*plugin)->vectorSetFloat(values, i, seed + static_cast<float>(i));
            }
        }
        return values;
    }
    static SimValue written(uint32_t position, float seed) {
        if (position == 1 || position == 4) return "text " + std::to_string(seed);
        return seed + static_cast<float>(position);
    }

    // Every tag of both children reads its proper value: nothing of the fault is left.
    void expectEveryTagServes(QUELLAN2_CONNECTION connection) {
        std::vector<SimValue> values = readCurrent(connection);
        ASSERT_EQ(TAG_COUNT, values.size());
        for (uint32_t i = 0; i < TAG_COUNT; ++i) EXPECT_EQ(expected(i, CLOCK), values[i]) << "tag " << i + 1;
    }
    void expectFullTree(QUELLAN2_CONNECTION connection) {
        EXPECT_EQ((std::vector<std::string>{"A1/F", "A1/S", "A2/G", "B1/H", "B1/T"}), treeNames(connection));
    }
    // A new connection, with the fault used up, is whole again.
    void expectReopenIsWhole() {
        (*plugin)->connectionClose(nullptr);
        QUELLAN2_CONNECTION connection = open();
        expectFullTree(connection);
        expectEveryTagServes(connection);
    }

    void startUp();
    void treeBuild();
    void message();
    void shutdown();
    void hostThread();

    // The fault happened once, in the place under test; for the host's own
    // functions, on the host's thread.
    void expectTheFaultHappened(bool onThisThread) {
        std::vector<JournalEntry> happened = faults(faulty->journal(place().function));
        ASSERT_EQ(1u, happened.size());
        EXPECT_EQ(std::string("fault ") + std::get<1>(GetParam()), happened[0].status);
        if (onThisThread) {
            EXPECT_EQ(faulty->threadId(), happened[0].thread);
        }
    }

    static std::unique_ptr<ScratchFolder> folder;
    static std::unique_ptr<MachineConfiguration> configuration;
    static std::unique_ptr<SimChild> faulty;
    static std::unique_ptr<SimChild> healthy;
    static std::unique_ptr<LoadedPlugin> plugin;
};

std::unique_ptr<ScratchFolder> FaultMatrix::folder;
std::unique_ptr<MachineConfiguration> FaultMatrix::configuration;
std::unique_ptr<SimChild> FaultMatrix::faulty;
std::unique_ptr<SimChild> FaultMatrix::healthy;
std::unique_ptr<LoadedPlugin> FaultMatrix::plugin;

void FaultMatrix::startUp() {
    arm();
    QUELLAN2_CONNECTION connection = open();
    expectTheFaultHappened(false);
    if (std::string(place().function) == "initialize") {
        // Its status is not examined: the child starts all the same.
        expectFullTree(connection);
        expectEveryTagServes(connection);
    } else {
        // The child is left out without a word; its neighbour serves.
        EXPECT_EQ((std::vector<std::string>{"B1/H", "B1/T"}), treeNames(connection));
        QUELLAN2_VECTOR result = nullptr;
        const QUELLAN2_TAG tags[] = {tag(1), tag(2)};
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 2, &result));
        EXPECT_EQ(expected(3, CLOCK), valueAt(*plugin, result, 0));
        EXPECT_EQ(expected(4, CLOCK), valueAt(*plugin, result, 1));
        (*plugin)->vectorFree(result);
    }
    expectReopenIsWhole();
}

void FaultMatrix::treeBuild() {
    arm();
    QUELLAN2_CONNECTION connection = open();
    expectTheFaultHappened(false);
    // A fault counts as a refusal: the first item the function was asked for
    // is missing or nameless, and the rest of the tree stands.
    const std::map<std::string, std::vector<std::string>> damaged = {
        {"connectionGetNumNodes", {"B1/H", "B1/T"}},
        {"connectionGetNode", {"A2/G", "B1/H", "B1/T"}},
        {"nodeGetName", {"/F", "/S", "A2/G", "B1/H", "B1/T"}},
        {"nodeGetNumNodes", {"A1/F", "A1/S", "A2/G", "B1/H", "B1/T"}},
        {"nodeGetNode", {"A1/F", "A1/S", "A2/G", "B1/H", "B1/T"}},
        {"nodeGetNumTags", {"A1/", "A2/G", "B1/H", "B1/T"}},
        {"nodeGetTag", {"A1/S", "A2/G", "B1/H", "B1/T"}},
        {"tagGetName", {"A1/", "A1/S", "A2/G", "B1/H", "B1/T"}},
    };
    EXPECT_EQ(damaged.at(place().function), treeNames(connection));
    expectReopenIsWhole();
}

void FaultMatrix::message() {
    QUELLAN2_CONNECTION connection = open();
    arm();
    const std::string function = place().function;
    const QUELLAN2_STATUS OK = QUELLAN2_STATUS_OK;
    // A child's failure never fails the host's call: its positions are null
    // or unwritten, its neighbour's are whole.
    if (function == "connectionGetCurrentTime") {
        uint32_t time = 0;
        EXPECT_EQ(OK, (*plugin)->connectionGetCurrentTime(connection, &time));
        EXPECT_EQ(OK, (*plugin)->connectionGetCurrentTime(connection, &time));
        EXPECT_EQ(static_cast<uint32_t>(CLOCK), time);
    } else if (function == "connectionReadCurrentData") {
        std::vector<SimValue> values = readCurrent(connection);
        ASSERT_EQ(TAG_COUNT, values.size());
        for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(isNull(values[i])) << i;
        for (uint32_t i = 3; i < TAG_COUNT; ++i) EXPECT_EQ(expected(i, CLOCK), values[i]) << i;
    } else if (function == "connectionReadHistoricalDataEx") {
        std::vector<SimValue> values = readHistory(connection, CLOCK - 3600);
        ASSERT_EQ(TAG_COUNT, values.size());
        for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(isNull(values[i])) << i;
        for (uint32_t i = 3; i < TAG_COUNT; ++i) EXPECT_EQ(expected(i, CLOCK - 3600), values[i]) << i;
    } else if (function == "connectionReadBatchDataEx") {
        std::vector<SimValue> values = readBatch(connection, "BB");
        ASSERT_EQ(TAG_COUNT, values.size());
        for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(isNull(values[i])) << i;
        for (uint32_t i = 3; i < TAG_COUNT; ++i) EXPECT_EQ(expected(i, 1699100000), values[i]) << i;
    } else if (function == "connectionWriteHistoricalDataEx" || function == "connectionWriteBatchDataEx") {
        const bool history = function == "connectionWriteHistoricalDataEx";
        QUELLAN2_VECTOR values = hostValues(7.0f);
        EXPECT_EQ(OK, history ? (*plugin)->connectionWriteHistoricalDataEx(connection, allTags(), TAG_COUNT, 1000, 0,
                                                                           1, &values)
                              : (*plugin)->connectionWriteBatchDataEx(connection, allTags(), TAG_COUNT, "W-1", 0,
                                                                      values));
        (*plugin)->vectorFree(values);
        std::vector<SimValue> back = history ? readHistory(connection, 1000) : readBatch(connection, "W-1");
        ASSERT_EQ(TAG_COUNT, back.size());
        for (uint32_t i = 3; i < TAG_COUNT; ++i) EXPECT_EQ(written(i, 7.0f), back[i]) << i;
        // The faulting child takes the next write.
        values = hostValues(8.0f);
        EXPECT_EQ(OK, history ? (*plugin)->connectionWriteHistoricalDataEx(connection, allTags(), TAG_COUNT, 1000, 0,
                                                                           1, &values)
                              : (*plugin)->connectionWriteBatchDataEx(connection, allTags(), TAG_COUNT, "W-1", 0,
                                                                      values));
        (*plugin)->vectorFree(values);
        back = history ? readHistory(connection, 1000) : readBatch(connection, "W-1");
        ASSERT_EQ(TAG_COUNT, back.size());
        for (uint32_t i = 0; i < TAG_COUNT; ++i) EXPECT_EQ(written(i, 8.0f), back[i]) << i;
    } else if (function == "nodeGetActiveBatches") {
        QUELLAN2_VECTOR list = nullptr;
        EXPECT_EQ(OK, (*plugin)->nodeGetActiveBatches(node(1), 0, CLOCK, &list));
        uint32_t length = 99;
        EXPECT_EQ(OK, (*plugin)->vectorGetLength(list, &length));
        EXPECT_EQ(0u, length) << "a list the child never delivered is empty";
        (*plugin)->vectorFree(list);
        EXPECT_EQ(OK, (*plugin)->nodeGetActiveBatches(node(1), 0, CLOCK, &list));
        EXPECT_EQ(SimValue(std::string("BA")), valueAt(*plugin, list, 0));
        (*plugin)->vectorFree(list);
    } else if (function == "nodeGetBatchTimes") {
        uint32_t start = 0, end = 0;
        EXPECT_EQ(OK, (*plugin)->nodeGetBatchTimes(node(1), "BA", 0, &start, &end));
        EXPECT_EQ(UNWRITTEN_TIME, start);
        EXPECT_EQ(UNWRITTEN_TIME, end);
        EXPECT_EQ(OK, (*plugin)->nodeGetBatchTimes(node(1), "BA", 0, &start, &end));
        EXPECT_EQ(1699990000u, start);
        EXPECT_EQ(1699999000u, end);
    } else if (function == "tagGetUpdateTime") {
        uint32_t time = 0;
        EXPECT_EQ(OK, (*plugin)->tagGetUpdateTime(tag(1), &time));
        EXPECT_EQ(OK, (*plugin)->tagGetUpdateTime(tag(1), &time));
        EXPECT_EQ(static_cast<uint32_t>(expectedUpdateTime(faulty->sidecarText(), "A1", "F", CLOCK)), time);
    }
    expectTheFaultHappened(false);
    expectEveryTagServes(connection);
}

void FaultMatrix::shutdown() {
    open();
    arm();
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(nullptr));
    expectTheFaultHappened(false);
    expectReopenIsWhole();
}

void FaultMatrix::hostThread() {
    QUELLAN2_CONNECTION connection = open();
    faulty->clearJournal();
    arm();
    const std::string function = place().function;
    const QUELLAN2_STATUS OK = QUELLAN2_STATUS_OK;
    if (function == "vectorCreate" || function == "vectorSetString" || function == "vectorSetFloat") {
        // The child's vector for a batch write is made and filled on the host's thread.
        QUELLAN2_VECTOR values = hostValues(3.0f);
        EXPECT_EQ(OK, (*plugin)->connectionWriteBatchDataEx(connection, allTags(), TAG_COUNT, "W-2", 0, values));
        (*plugin)->vectorFree(values);
        std::vector<SimValue> back = readBatch(connection, "W-2");
        ASSERT_EQ(TAG_COUNT, back.size());
        for (uint32_t i = 3; i < TAG_COUNT; ++i) EXPECT_EQ(written(i, 3.0f), back[i]) << i;
    } else if (function == "vectorGetLength") {
        QUELLAN2_VECTOR list = nullptr;
        EXPECT_EQ(OK, (*plugin)->nodeGetActiveBatches(node(1), 0, CLOCK, &list));
        (*plugin)->vectorFree(list);
    } else {
        // A read: the faulting query loses at most its own element.
        std::vector<SimValue> values = readCurrent(connection);
        ASSERT_EQ(TAG_COUNT, values.size());
        const std::map<std::string, std::map<uint32_t, SimValue>> lost = {
            {"vectorFree", {}},
            {"vectorGetType", {{0, std::monostate()}}},
            {"vectorGetFloat", {{0, std::monostate()}}},
            {"vectorGetString", {{1, std::monostate()}}},
            // The length query failed, so the text is empty; the string is still given back.
            {"stringCopy", {{1, std::string()}}},
            {"stringFree", {}},
        };
        const std::map<uint32_t, SimValue>& changed = lost.at(function);
        for (uint32_t i = 0; i < TAG_COUNT; ++i) {
            auto found = changed.find(i);
            EXPECT_EQ(found != changed.end() ? found->second : expected(i, CLOCK), values[i]) << i;
        }
        if (function == "stringCopy") {
            std::vector<JournalEntry> frees = faulty->journal("stringFree");
            ASSERT_EQ(1u, frees.size()) << "the string whose copy faulted is given back";
            EXPECT_EQ(0u, frees[0].code());
        }
    }
    expectTheFaultHappened(true);
    expectEveryTagServes(connection);
}

TEST_P(FaultMatrix, GivesTheDesignedStatusAndTheChildServesOn) {
    switch (place().stage) {
    case Stage::START_UP: startUp(); break;
    case Stage::TREE: treeBuild(); break;
    case Stage::MESSAGE: message(); break;
    case Stage::SHUTDOWN: shutdown(); break;
    case Stage::HOST_THREAD: hostThread(); break;
    }
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Place, const char*>>& info) {
    return std::string(std::get<0>(info.param).function) + "_" + std::get<1>(info.param);
}

INSTANTIATE_TEST_SUITE_P(EveryPlaceAndKind, FaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(PLACES), ::testing::ValuesIn(KINDS)), caseName);

}  // namespace
}  // namespace mq::test
