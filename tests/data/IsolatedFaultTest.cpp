// A child in a surrogate process (64-bit, or 32-bit in quellan-surrogate32) that faults or hangs anywhere: its part
// fails as a failing child's does, its neighbour serves whole, the test process goes on, and a surrogate that has gone
// is not called again.
#include "IsolationFixture.h"
#include "support/ChildProcesses.h"
#include "support/FaultPlants.h"
#include "support/HostOperations.h"

#include <chrono>
#include <ostream>
#include <thread>
#include <tuple>

namespace mq::test {
namespace {

constexpr int32_t CLOCK = 1700000000;

// What the host does to reach the place, and the calls it makes of the
// child to do so: the start-up (with the tree, which is read with the open)
// or one data operation.
struct Operation {
    const char* name;
    std::vector<const char*> childCalls;
};

const Operation START{"start", {"connectionOpen"}};
const Operation CURRENT_TIME{"current time", {"connectionGetCurrentTime"}};
const Operation READ_CURRENT{"read current", {"connectionReadCurrentData"}};
const Operation READ_HISTORY{"read history", {"connectionReadHistoricalDataEx"}};
const Operation READ_BATCH{"read batch", {"connectionReadBatchDataEx"}};
const Operation WRITE_HISTORY{"write history", {"connectionWriteHistoricalDataEx", "connectionReadHistoricalDataEx"}};
const Operation WRITE_BATCH{"write batch", {"connectionWriteBatchDataEx", "connectionReadBatchDataEx"}};
const Operation ACTIVE_BATCHES{"active batches", {"nodeGetActiveBatches"}};
const Operation BATCH_TIMES{"batch times", {"nodeGetBatchTimes"}};
const Operation UPDATE_TIME{"update time", {"tagGetUpdateTime"}};

struct Place {
    const char* function;
    const Operation* operation;
};

void PrintTo(const Place& place, std::ostream* out) {
    *out << place.function;
}

// The start-up and tree functions all belong to the start; each message
// function to the operation that reaches it first.
std::vector<Place> everyPlace() {
    std::vector<Place> places;
    for (const auto* functions : {&START_UP_FUNCTIONS, &TREE_FUNCTIONS})
        for (const char* function : *functions) places.push_back({function, &START});
    for (const Operation* operation : {&CURRENT_TIME, &READ_CURRENT, &READ_HISTORY, &READ_BATCH, &WRITE_HISTORY,
                                       &WRITE_BATCH, &ACTIVE_BATCHES, &BATCH_TIMES, &UPDATE_TIME})
        places.push_back({operation->childCalls.front(), operation});
    places.insert(places.end(), {
                                    // The vectors and strings that a child hands over are read, and the
                                    // vectors lent to it made, in the surrogate.
                                    {"vectorGetLength", &ACTIVE_BATCHES},
                                    {"vectorGetType", &READ_CURRENT},
                                    {"vectorGetFloat", &READ_CURRENT},
                                    {"vectorGetString", &READ_CURRENT},
                                    // The first strings a child hands over are its identity and names.
                                    {"stringCopy", &START},
                                    {"vectorCreate", &WRITE_BATCH},
                                    {"vectorSetFloat", &WRITE_BATCH},
                                    {"vectorSetString", &WRITE_BATCH},
                                });
    return places;
}
const std::vector<Place> PLACES = everyPlace();

// One of each stage, for the kinds that are not tried everywhere.
const Place SOME_PLACES[] = {
    {"connectionOpen", &START},
    {"nodeGetName", &START},
    {"connectionReadHistoricalDataEx", &READ_HISTORY},
    {"vectorGetString", &READ_CURRENT},
    {"vectorCreate", &WRITE_BATCH},
};

// A SimQuellan fault word, or a hang past the child's timeout. The fault
// guard in the surrogate catches some kinds, as it would in-process; the
// others end the surrogate.
struct FaultKind {
    const char* name;
    bool endsTheSurrogate;
    // A C++ exception that leaves a 32-bit child meets the unwinder of the
    // child's own module (DWARF tables, registered per module), which knows
    // none of the surrogate's frames: std::terminate ends the surrogate.
    bool endsThe32BitSurrogate = endsTheSurrogate;
};

void PrintTo(const FaultKind& kind, std::ostream* out) {
    *out << kind.name;
}

const FaultKind HANG{"hang", true};
const FaultKind ABORT{"abort", true};
const FaultKind KINDS[] = {
    {"access", false},
    {"divide", false},
    {"throw", false, true},
    {"stack", false},
    // The fault words that end the process they happen in.
    ABORT,
    {"exit", true},
    {"heap", true},
    HANG,
};

// The isolated child's timeout, for the hang: its start-up and each call
// must come back well within it otherwise.
const char* const TIMEOUT = "1";

class IsolatedFault : public IsolationTest,
                      public ::testing::WithParamInterface<std::tuple<Place, FaultKind, SimMachine>> {
protected:
    const Place& where() const { return std::get<0>(GetParam()); }
    const FaultKind& kind() const { return std::get<1>(GetParam()); }
    SimMachine machine() const { return std::get<2>(GetParam()); }
    bool endsTheSurrogate() const {
        return machine() == SimMachine::X86 ? kind().endsThe32BitSurrogate : kind().endsTheSurrogate;
    }
    bool hangs() const { return std::string(kind().name) == HANG.name; }

    std::string faultControl() const {
        const std::string function = where().function;
        if (hangs()) return "sleep " + function + " 30000\n";
        return "fault " + function + " " + kind().name + " times=1\n";
    }
    // The same child made to fail instead: the one call, where the guard
    // catches the fault; where the surrogate ends, every call from then on,
    // which are the operation's and the read after it (a start-up that
    // fails leaves the child out).
    std::string failingControls() const {
        if (!endsTheSurrogate()) return std::string("fail ") + where().function + " 1 times=1\n";
        std::string lines;
        for (const char* call : where().operation->childCalls) lines += std::string("fail ") + call + " 1\n";
        return lines + "fail connectionReadCurrentData 1\n";
    }

    // A tag of the host's tree, with the names of its node and of itself.
    struct HostTag {
        QUELLAN2_TAG handle;
        std::string node;
        std::string name;
    };

    // The host's tree, written down, and its nodes and tags.
    std::string tree(QUELLAN2_CONNECTION connection, std::vector<QUELLAN2_NODE>& nodes, std::vector<HostTag>& tags) {
        const LoadedPlugin& host = *plugin;
        uint32_t nodeCount = 0;
        std::string text = "nodes " + statusText(host->connectionGetNumNodes(connection, &nodeCount));
        for (uint32_t n = 0; n < nodeCount; ++n) {
            QUELLAN2_NODE node = nullptr;
            QUELLAN2_STRING name = nullptr;
            host->connectionGetNode(connection, n, &node);
            host->nodeGetName(node, &name);
            const std::string nodeName = name ? host.take(name) : std::string();
            nodes.push_back(node);
            text += "\n" + exactText(nodeName);
            uint32_t tagCount = 0;
            host->nodeGetNumTags(node, &tagCount);
            for (uint32_t t = 0; t < tagCount; ++t) {
                QUELLAN2_TAG tag = nullptr;
                name = nullptr;
                host->nodeGetTag(node, t, &tag);
                host->tagGetName(tag, &name);
                tags.push_back({tag, nodeName, name ? host.take(name) : std::string()});
                text += " " + exactText(tags.back().name);
            }
        }
        return text + "\n";
    }

    std::string readCurrent(QUELLAN2_CONNECTION connection, const std::vector<QUELLAN2_TAG>& tags) {
        QUELLAN2_VECTOR result = nullptr;
        const QUELLAN2_STATUS status = (*plugin)->connectionReadCurrentData(
            connection, tags.data(), static_cast<uint32_t>(tags.size()), &result);
        return statusText(status) + " " + exactVector(*plugin, result) + "\n";
    }

    QUELLAN2_VECTOR valuesFor(uint32_t count, float seed) {
        QUELLAN2_VECTOR values = nullptr;
        (*plugin)->vectorCreate(count, &values);
        for (uint32_t k = 0; k < count; ++k) {
            if (k % 2 == 0)
                (*plugin)->vectorSetFloat(values, k, seed + static_cast<float>(k));
            else
                (*plugin)->vectorSetString(values, k, ("text " + std::to_string(k)).c_str());
        }
        return values;
    }

    // The operation of the place on an open connection, written down with
    // the tree it saw.
    std::string perform(QUELLAN2_CONNECTION connection) {
        const LoadedPlugin& host = *plugin;
        std::vector<QUELLAN2_NODE> nodes;
        std::vector<HostTag> hostTags;
        std::string text = tree(connection, nodes, hostTags);
        std::vector<QUELLAN2_TAG> tags;
        for (const HostTag& tag : hostTags) tags.push_back(tag.handle);
        const auto count = static_cast<uint32_t>(tags.size());
        const Operation* operation = where().operation;
        QUELLAN2_STATUS status = QUELLAN2_STATUS_OK;
        if (operation == &START || operation == &READ_CURRENT) {
            text += readCurrent(connection, tags);
        } else if (operation == &CURRENT_TIME) {
            uint32_t now = UNWRITTEN_NUMBER;
            status = host->connectionGetCurrentTime(connection, &now);
            text += statusText(status) + " " + std::to_string(now) + "\n";
        } else if (operation == &READ_HISTORY || operation == &READ_BATCH) {
            QUELLAN2_VECTOR results[2] = {};
            status = operation == &READ_HISTORY
                         ? host->connectionReadHistoricalDataEx(connection, tags.data(), count, CLOCK - 3600, 60, 2,
                                                                results)
                         : host->connectionReadBatchDataEx(connection, tags.data(), count, "BB", 0, results);
            text += statusText(status);
            for (QUELLAN2_VECTOR result : results) text += " " + exactVector(host, result);
            text += "\n";
        } else if (operation == &WRITE_HISTORY || operation == &WRITE_BATCH) {
            const bool history = operation == &WRITE_HISTORY;
            QUELLAN2_VECTOR values = valuesFor(count, 7.5f);
            status = history ? host->connectionWriteHistoricalDataEx(connection, tags.data(), count, 1600000000, 0, 1,
                                                                     &values)
                             : host->connectionWriteBatchDataEx(connection, tags.data(), count, "W-1", 0, values);
            host->vectorFree(values);
            QUELLAN2_VECTOR back = nullptr;
            const QUELLAN2_STATUS read =
                history ? host->connectionReadHistoricalDataEx(connection, tags.data(), count, 1600000000, 0, 1, &back)
                        : host->connectionReadBatchDataEx(connection, tags.data(), count, "W-1", 0, &back);
            text += statusText(status) + " " + statusText(read) + " " + exactVector(host, back) + "\n";
        } else if (operation == &ACTIVE_BATCHES) {
            for (QUELLAN2_NODE node : nodes) {
                QUELLAN2_VECTOR batches = nullptr;
                status = host->nodeGetActiveBatches(node, 0, CLOCK, &batches);
                text += statusText(status) + " " + exactVector(host, batches) + "\n";
            }
        } else if (operation == &BATCH_TIMES) {
            for (QUELLAN2_NODE node : nodes) {
                uint32_t start = UNWRITTEN_NUMBER, end = UNWRITTEN_NUMBER;
                status = host->nodeGetBatchTimes(node, "BA", 0, &start, &end);
                text += statusText(status) + " " + std::to_string(start) + " " + std::to_string(end) + "\n";
            }
        } else if (operation == &UPDATE_TIME) {
            for (QUELLAN2_TAG tag : tags) {
                uint32_t time = UNWRITTEN_NUMBER;
                status = host->tagGetUpdateTime(tag, &time);
                text += statusText(status) + " " + std::to_string(time) + "\n";
            }
        }
        return text;
    }

    // Every tag of the host read once more, written down: the healthy
    // child's values are whole, and the isolated child's are null once its
    // surrogate has gone.
    std::string readAgain(QUELLAN2_CONNECTION connection, const SimChild& healthy) {
        std::vector<QUELLAN2_NODE> nodes;
        std::vector<HostTag> hostTags;
        tree(connection, nodes, hostTags);
        std::vector<QUELLAN2_TAG> tags;
        for (const HostTag& tag : hostTags) tags.push_back(tag.handle);
        QUELLAN2_VECTOR result = nullptr;
        const QUELLAN2_STATUS status = (*plugin)->connectionReadCurrentData(
            connection, tags.data(), static_cast<uint32_t>(tags.size()), &result);
        EXPECT_EQ(QUELLAN2_STATUS_OK, status);
        for (uint32_t k = 0; result && k < tags.size(); ++k) {
            const SimValue value = valueAt(*plugin, result, k);
            if (hostTags[k].node == "B1") {
                EXPECT_EQ(healthy.expectedValue("B1", hostTags[k].name, CLOCK), value) << hostTags[k].name;
            } else if (endsTheSurrogate()) {
                EXPECT_EQ(SimValue(), value) << hostTags[k].node << "/" << hostTags[k].name;
            }
        }
        return "again " + statusText(status) + " " + exactVector(*plugin, result) + "\n";
    }

    // The surrogate of a hung call is ended by the thread that gave the call
    // up, and reaped by the child's worker once the call has come back.
    static bool childProcessesLeft() {
        for (int wait = 0; wait < 1000 && !childProcessesOf(thisProcessId()).empty(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return !childProcessesOf(thisProcessId()).empty();
    }
};

TEST_P(IsolatedFault, FailsTheIsolatedChildsPartAsAFailingChildsAndNothingElse) {
    const std::string plantAndFailure = FAULTY_PLANT + failingControls();
    SimChild& failing = addChild("Failing", plantAndFailure);
    SimChild& faulty = addChild("Faulty", FAULTY_PLANT + faultControl(), SimVariant::FULL, machine());
    SimChild& healthy = addChild("Healthy", HEALTHY_PLANT);

    // The same operations with a child loaded in-process whose calls fail.
    place({{&failing, false}, {&healthy, false}});
    QUELLAN2_CONNECTION connection = open();
    std::string asFailing = perform(connection);
    asFailing += readAgain(connection, healthy);
    (*plugin)->connectionClose(connection);

    std::optional<std::string> timeout;
    if (hangs()) timeout = TIMEOUT;
    place({{&faulty, true, timeout}, {&healthy, false}});
    connection = open();
    std::string asFaulty = perform(connection);
    if (!hangs()) {
        std::size_t faults = 0;
        for (const JournalEntry& entry : faulty.journal(where().function))
            faults += entry.status == std::string("fault ") + kind().name;
        EXPECT_EQ(1u, faults) << "the fault happened where intended";
    }
    if (endsTheSurrogate()) {
        EXPECT_FALSE(childProcessesLeft()) << "the surrogate has gone and was reaped";
    }
    const std::size_t callsBefore = faulty.journal().size();
    asFaulty += readAgain(connection, healthy);
    EXPECT_EQ(asFailing, asFaulty);
    if (endsTheSurrogate()) {
        EXPECT_EQ(callsBefore, faulty.journal().size()) << "no later call reached the child";
    }
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(connection));
    EXPECT_FALSE(childProcessesLeft());
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Place, FaultKind, SimMachine>>& info) {
    return std::string(std::get<0>(info.param).function) + "_" + std::get<1>(info.param).name +
           (std::get<2>(info.param) == SimMachine::X86 ? "_32bit" : "");
}

// Each kind that ends the surrogate everywhere, and every kind in a few
// places, in each surrogate this build has.
INSTANTIATE_TEST_SUITE_P(EveryPlace, IsolatedFault,
                         ::testing::Combine(::testing::ValuesIn(PLACES), ::testing::Values(ABORT),
                                            ::testing::Values(SimMachine::NATIVE)),
                         caseName);
INSTANTIATE_TEST_SUITE_P(EveryKind, IsolatedFault,
                         ::testing::Combine(::testing::ValuesIn(SOME_PLACES), ::testing::ValuesIn(KINDS),
                                            ::testing::ValuesIn(simMachines())),
                         caseName);

}  // namespace
}  // namespace mq::test
