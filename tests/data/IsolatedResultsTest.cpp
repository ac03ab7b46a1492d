// A child in a surrogate process, 64-bit or 32-bit, answers every data operation exactly as the same child loaded
// in-process does.
#include "IsolationFixture.h"
#include "support/LoadedModules.h"

#include <ostream>
#include <tuple>

namespace mq::test {
namespace {

constexpr int32_t CLOCK = 1700000000;

// Floats with noise and fractions, strings with blanks, a sub-node (which
// the host does not present), a node without tags, batches of two nodes.
const char* const PLANT = R"(clock 1700000000
node A1
tag A1 F float base=10.125 amplitude=2 period=600 noise=0.5
tag A1 S string "states=On,Off,Half way" dwell=60
node A2 Second area
tag A2 G float base=-4.25
node A2/Sub
tag A2/Sub X float base=1
node Empty
batch A1 BA 1699990000 1699999000
batch A2 BB 1699000000 1699100000
)";

// The reads whose result vectors the vector quirks spoil.
const char* const READS[] = {"connectionReadCurrentData", "connectionReadHistoricalDataEx",
                             "connectionReadBatchDataEx", "nodeGetActiveBatches"};

std::string onEveryRead(const std::string& quirks) {
    std::string lines;
    for (const char* read : READS) lines += std::string("vector ") + read + " " + quirks + "\n";
    return lines;
}

struct Variation {
    const char* name;
    SimVariant variant;
    std::string controls;
};

void PrintTo(const Variation& variation, std::ostream* out) {
    *out << variation.name;
}

const Variation VARIATIONS[] = {
    {"Plain", SimVariant::FULL, ""},
    // The host emulates the ...Ex reads and writes with the short forms.
    {"ShortFormsOnly", SimVariant::NO_EX, ""},
    {"SubNodesNotFetched", SimVariant::NO_SUB_NODE_FETCH, ""},
    {"RefusedNode", SimVariant::FULL, "refuse connectionGetNode 0\n"},
    {"RefusedTag", SimVariant::FULL, "refuse nodeGetTag A1 0\n"},
    {"RefusedNames", SimVariant::FULL, "refuse nodeGetName A2\nrefuse tagGetName A1 S\n"},
    {"ShortVectors", SimVariant::FULL, onEveryRead("short=1")},
    {"BadType", SimVariant::FULL, onEveryRead("badtype=0")},
    {"FailingFloatGet", SimVariant::FULL, onEveryRead("failget=0")},
    {"FailingStringGet", SimVariant::FULL, onEveryRead("failget=1")},
    {"NoVector", SimVariant::FULL, onEveryRead("none")},
    {"UnwrittenOutValues", SimVariant::FULL,
     "unwritten connectionGetCurrentTime\nunwritten nodeGetBatchTimes\nunwritten tagGetUpdateTime\n"
     "unwritten connectionReadCurrentData\n"},
    {"FailingCalls", SimVariant::FULL,
     "fail connectionReadBatchDataEx 1\nfail nodeGetBatchTimes 3\nfail tagGetUpdateTime 1 after=1\n"},
};

class IsolatedResults : public IsolationTest, public ::testing::WithParamInterface<std::tuple<Variation, SimMachine>> {
protected:
    // Every data operation through the host's functions, written down in
    // order, one answer a line.
    std::string tour() {
        std::vector<std::string> lines;
        QUELLAN2_CONNECTION connection = open();
        const LoadedPlugin& host = *plugin;

        // The tree, with the tag handles for the rest of the tour. Each
        // call comes before the words that show its out values.
        std::vector<QUELLAN2_NODE> nodes;
        std::vector<QUELLAN2_TAG> tags;
        uint32_t nodeCount = 0;
        QUELLAN2_STATUS status = host->connectionGetNumNodes(connection, &nodeCount);
        lines.push_back("nodes " + statusText(status) + " " + std::to_string(nodeCount));
        for (uint32_t n = 0; n < nodeCount; ++n) {
            QUELLAN2_NODE node = nullptr;
            QUELLAN2_STRING name = nullptr;
            lines.push_back("node " + statusText(host->connectionGetNode(connection, n, &node)));
            status = host->nodeGetName(node, &name);
            lines.push_back(" name " + statusText(status) + " " + exactString(host, name));
            nodes.push_back(node);
            uint32_t tagCount = 0;
            status = host->nodeGetNumTags(node, &tagCount);
            lines.push_back(" tags " + statusText(status) + " " + std::to_string(tagCount));
            for (uint32_t t = 0; t < tagCount; ++t) {
                QUELLAN2_TAG tag = nullptr;
                name = nullptr;
                lines.push_back("  tag " + statusText(host->nodeGetTag(node, t, &tag)));
                status = host->tagGetName(tag, &name);
                lines.push_back("  name " + statusText(status) + " " + exactString(host, name));
                tags.push_back(tag);
            }
        }
        const auto count = static_cast<uint32_t>(tags.size());

        uint32_t now = UNWRITTEN_NUMBER;
        status = host->connectionGetCurrentTime(connection, &now);
        lines.push_back("current time " + statusText(status) + " " + std::to_string(now));

        QUELLAN2_VECTOR result = nullptr;
        lines.push_back("current " + statusText(host->connectionReadCurrentData(connection, tags.data(), count, &result)));
        lines.push_back(exactVector(host, result));

        QUELLAN2_VECTOR samples[3] = {};
        lines.push_back("history ex " + statusText(host->connectionReadHistoricalDataEx(
                                            connection, tags.data(), count, CLOCK - 3600, 45, 3, samples)));
        for (QUELLAN2_VECTOR sample : samples) lines.push_back(exactVector(host, sample));
        result = nullptr;
        lines.push_back("history " +
                        statusText(host->connectionReadHistoricalData(connection, tags.data(), count, CLOCK - 100, &result)));
        lines.push_back(exactVector(host, result));

        readBatch(lines, connection, tags, "BA", 1699999999, true);
        readBatch(lines, connection, tags, "BB", 0, false);
        readBatch(lines, connection, tags, "ZZ", 0, true);

        // Writes of floats, texts and nulls, read back.
        QUELLAN2_VECTOR written[2] = {valuesFor(count, 1.5f), valuesFor(count, -2.75f)};
        lines.push_back("write history ex " + statusText(host->connectionWriteHistoricalDataEx(
                                                  connection, tags.data(), count, 1600000000, 60, 2, written)));
        for (QUELLAN2_VECTOR vector : written) host->vectorFree(vector);
        QUELLAN2_VECTOR readBack[2] = {};
        lines.push_back("read back " + statusText(host->connectionReadHistoricalDataEx(connection, tags.data(), count,
                                                                                       1600000000, 60, 2, readBack)));
        for (QUELLAN2_VECTOR vector : readBack) lines.push_back(exactVector(host, vector));
        QUELLAN2_VECTOR values = valuesFor(count, 3.0f);
        lines.push_back("write history " +
                        statusText(host->connectionWriteHistoricalData(connection, tags.data(), count, 1500000000, values)));
        host->vectorFree(values);
        result = nullptr;
        lines.push_back("read back " +
                        statusText(host->connectionReadHistoricalData(connection, tags.data(), count, 1500000000, &result)));
        lines.push_back(exactVector(host, result));

        values = valuesFor(count, 4.0f);
        lines.push_back("write batch ex " + statusText(host->connectionWriteBatchDataEx(connection, tags.data(), count,
                                                                                        "W-1", 1600000000, values)));
        host->vectorFree(values);
        values = valuesFor(count, 5.0f);
        lines.push_back("write batch " +
                        statusText(host->connectionWriteBatchData(connection, tags.data(), count, "W-2", values)));
        host->vectorFree(values);
        readBatch(lines, connection, tags, "W-1", 1600000000, true);
        readBatch(lines, connection, tags, "W-2", 0, false);

        for (QUELLAN2_NODE node : nodes) {
            QUELLAN2_VECTOR batches = nullptr;
            lines.push_back("active batches " + statusText(host->nodeGetActiveBatches(node, 0, CLOCK, &batches)));
            lines.push_back(exactVector(host, batches));
            for (const char* batch : {"BA", "BB", "ZZ"}) {
                uint32_t start = UNWRITTEN_NUMBER, end = UNWRITTEN_NUMBER;
                status = host->nodeGetBatchTimes(node, batch, 1699999999, &start, &end);
                lines.push_back(std::string("batch times ") + batch + " " + statusText(status) + " " +
                                std::to_string(start) + " " + std::to_string(end));
            }
        }
        for (QUELLAN2_TAG tag : tags) {
            uint32_t time = UNWRITTEN_NUMBER;
            status = host->tagGetUpdateTime(tag, &time);
            lines.push_back("update time " + statusText(status) + " " + std::to_string(time));
        }
        host->connectionClose(connection);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    }

    void readBatch(std::vector<std::string>& lines, QUELLAN2_CONNECTION connection,
                   const std::vector<QUELLAN2_TAG>& tags, const char* batch, int32_t time, bool ex) {
        const auto count = static_cast<uint32_t>(tags.size());
        QUELLAN2_VECTOR result = nullptr;
        const QUELLAN2_STATUS status =
            ex ? (*plugin)->connectionReadBatchDataEx(connection, tags.data(), count, batch, time, &result)
               : (*plugin)->connectionReadBatchData(connection, tags.data(), count, batch, &result);
        lines.push_back(std::string(ex ? "batch ex " : "batch ") + batch + " " + statusText(status));
        lines.push_back(exactVector(*plugin, result));
    }

    // One value per tag: a float, a text or a null, by position.
    QUELLAN2_VECTOR valuesFor(uint32_t count, float seed) {
        QUELLAN2_VECTOR values = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorCreate(count, &values));
        for (uint32_t k = 0; k < count; ++k) {
            if (k % 3 == 0) (*plugin)->vectorSetFloat(values, k, seed + static_cast<float>(k) / 3.0f);
            if (k % 3 == 1) (*plugin)->vectorSetString(values, k, ("text \"" + std::to_string(seed) + "\"").c_str());
        }
        return values;
    }
};

TEST_P(IsolatedResults, AreExactlyThoseOfTheSameChildInProcess) {
    const auto& [variation, machine] = GetParam();
    // Two copies of one child with one sidecar: written values live in a
    // loaded copy, so each run has a copy of its own.
    const std::string sidecar = PLANT + variation.controls;
    const SimChild& loaded = addChild("Loaded", sidecar, variation.variant);
    const SimChild& isolated = addChild("Isolated", sidecar, variation.variant, machine);

    place({{&loaded, false}});
    const std::string inProcess = tour();
    // A 32-bit copy is served by quellan-surrogate32 whatever the file says:
    // it is configured without isolation.
    place({{&isolated, machine == SimMachine::NATIVE}});
    const std::string inSurrogate = tour();

    EXPECT_FALSE(isolated.journal().empty()) << "the isolated copy served";
    EXPECT_FALSE(moduleIsLoaded(isolated.libraryPath())) << "in a process of its own";
    EXPECT_EQ(inProcess, inSurrogate);
}

INSTANTIATE_TEST_SUITE_P(EveryOperationAndQuirk, IsolatedResults,
                         ::testing::Combine(::testing::ValuesIn(VARIATIONS), ::testing::ValuesIn(simMachines())),
                         [](const ::testing::TestParamInfo<std::tuple<Variation, SimMachine>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == SimMachine::X86 ? "_32bit" : "");
                         });

}  // namespace
}  // namespace mq::test
