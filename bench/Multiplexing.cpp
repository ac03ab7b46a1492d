// What multiplexing costs: every figure is measured against the same SimQuellan
// children called directly, in the same run, and what isolating a child in a
// surrogate process costs against the same children loaded in-process. The
// children compute their values cheaply and keep no journal, so that what
// remains is the multiplexer's own cost. scripts/bench turns the figures into
// one table of ratios.
//
// MultiQuellan is loaded as a host loads it, from beside this program, with a
// machine folder of its own in a scratch folder.
#include "BenchPlugins.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace mqbench;

// MultiQuellan opened over a list of children; kept open while the following
// benchmarks use the same list, closed when one asks for another.
class Session {
public:
    static QUELLAN2_CONNECTION over(const std::vector<ChildPlan>& children, bool parallel = false,
                                    const std::string& settings = "") {
        std::string key = std::string(parallel ? "parallel:" : "") + settings + ":";
        for (const ChildPlan& child : children)
            key += child.name + (child.isolated ? "@process" : "") + (child.restart ? "@restart;" : ";");
        std::unique_ptr<Session>& session = current();
        if (!session || session->key != key) {
            close();
            session.reset(new Session(children, parallel, settings, key));
        }
        return session->connection;
    }

    static void close() {
        if (!current()) return;
        current().reset();
        multiQuellan().connectionClose(nullptr);
    }

private:
    static std::unique_ptr<Session>& current() {
        static std::unique_ptr<Session> session;
        return session;
    }

    Session(const std::vector<ChildPlan>& children, bool parallel, const std::string& settings, std::string key)
        : key(std::move(key)) {
        writeConfiguration(children, parallel, settings);
        if (multiQuellan().connectionOpen("", &connection) != QUELLAN2_STATUS_OK)
            throw std::runtime_error("MultiQuellan did not open");
    }

    std::string key;
    QUELLAN2_CONNECTION connection = nullptr;
};

// ---- 1. One tag ------------------------------------------------------------

const ChildPlan ONE_TAG_CHILD{"OneTag", "SimQuellan", 1, 1};

void oneTagDirect(benchmark::State& state) {
    DirectChild& child = direct(ONE_TAG_CHILD);
    QUELLAN2_TAG tag = reinterpret_cast<QUELLAN2_TAG>(uintptr_t(1));
    for (auto _ : state) {
        QUELLAN2_VECTOR values = nullptr;
        child.plugin.connectionReadCurrentData(child.connection, &tag, 1, &values);
        child.plugin.takeValues(values, 1);
    }
}
BENCHMARK(oneTagDirect)->Name("oneTag/direct")->UseRealTime()->Unit(benchmark::kMicrosecond);

// Argument 1: with parallel calls, which a read over one child must not pay for.
void oneTagMultiQuellan(benchmark::State& state) {
    QUELLAN2_CONNECTION connection = Session::over({ONE_TAG_CHILD}, state.range(0) != 0);
    Plugin& plugin = multiQuellan();
    QUELLAN2_TAG tag = reinterpret_cast<QUELLAN2_TAG>(uintptr_t(1));
    for (auto _ : state) {
        QUELLAN2_VECTOR values = nullptr;
        plugin.connectionReadCurrentData(connection, &tag, 1, &values);
        if (plugin.takeValues(values, 1) != 1) state.SkipWithError("no value");
    }
}
BENCHMARK(oneTagMultiQuellan)
    ->Name("oneTag/multiQuellan")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// The floor for any design with a worker per child: a request handed to another
// thread through a condition variable, and the answer handed back.
void oneTagBareHandOff(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable condition;
    bool request = false, reply = false, stop = false;
    std::thread worker([&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            condition.wait(lock, [&] { return request || stop; });
            if (stop) return;
            request = false;
            reply = true;
            condition.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock<std::mutex> lock(mutex);
        request = true;
        condition.notify_all();
        condition.wait(lock, [&] { return reply; });
        reply = false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    condition.notify_all();
    worker.join();
}
BENCHMARK(oneTagBareHandOff)->Name("oneTag/bareHandOff")->UseRealTime()->Unit(benchmark::kMicrosecond);

// Both sides of a comparison run in every iteration, one right after the
// other, so that both see the same machine: on a shared machine the speed
// drifts between two separate runs by more than the difference measured.
// Reported as each side's time per iteration, in microseconds: the baseline
// (by default the children called directly) and what is measured against it
// (by default MultiQuellan).
class SideBySide {
public:
    SideBySide(std::string baselineName = "directUs", std::string measuredName = "multiQuellanUs")
        : baselineName(std::move(baselineName)), measuredName(std::move(measuredName)) {}

    template <typename Work>
    void baseline(Work work) { baselineTime += timed(work); }
    template <typename Work>
    void measured(Work work) { measuredTime += timed(work); }

    void report(benchmark::State& state) const {
        state.counters[baselineName] = perIteration(baselineTime);
        state.counters[measuredName] = perIteration(measuredTime);
    }

private:
    using Clock = std::chrono::steady_clock;

    template <typename Work>
    static Clock::duration timed(Work& work) {
        const Clock::time_point start = Clock::now();
        work();
        return Clock::now() - start;
    }

    static benchmark::Counter perIteration(Clock::duration total) {
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(total).count();
        return benchmark::Counter(double(nanoseconds) / 1000.0, benchmark::Counter::kAvgIterations);
    }

    std::string baselineName, measuredName;
    Clock::duration baselineTime{};
    Clock::duration measuredTime{};
};

// A one-tag read with the status node (status="true") against one without,
// which a read of a child must not pay for. One connection at a time, so the
// sides take turns in blocks of reads, reopened between blocks (not timed),
// the side that goes first changing every iteration. Each block's worker
// lands on whichever core the system picks, which moves a block's time by
// more than the status node could: many blocks even that out.
void oneTagStatus(benchmark::State& state) {
    constexpr int READS = 1000;
    Plugin& plugin = multiQuellan();
    QUELLAN2_TAG tag = reinterpret_cast<QUELLAN2_TAG>(uintptr_t(1));
    SideBySide sides("withoutUs", "statusUs");
    bool statusFirst = false;
    for (auto _ : state) {
        for (bool status : {statusFirst, !statusFirst}) {
            QUELLAN2_CONNECTION connection = Session::over({ONE_TAG_CHILD}, false, status ? " status=\"true\"" : "");
            const auto reads = [&] {
                for (int k = 0; k < READS; ++k) {
                    QUELLAN2_VECTOR values = nullptr;
                    plugin.connectionReadCurrentData(connection, &tag, 1, &values);
                    if (plugin.takeValues(values, 1) != 1) state.SkipWithError("no value");
                }
            };
            if (status)
                sides.measured(reads);
            else
                sides.baseline(reads);
        }
        statusFirst = !statusFirst;
    }
    sides.report(state);
    // Per read, not per block.
    state.counters["withoutUs"].value /= READS;
    state.counters["statusUs"].value /= READS;
}
BENCHMARK(oneTagStatus)->Name("oneTag/status")->Iterations(100)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- 2. Many tags over 1, 4 and 16 children -------------------------------

const uint32_t MOST_TAGS = 100000;

// `count` children that share MOST_TAGS tags between them, 1,000 or fewer a node.
std::vector<ChildPlan> spreadChildren(uint32_t count) {
    const uint32_t perChild = MOST_TAGS / count;
    const uint32_t perNode = perChild % 1000 == 0 ? 1000 : 250;
    std::vector<ChildPlan> children;
    for (uint32_t j = 0; j < count; ++j)
        children.push_back({"Spread" + std::to_string(count) + "x" + std::to_string(j), "SimQuellan",
                            perChild / perNode, perNode});
    return children;
}

// The host's tag list: tags of all children in turn, so that neighbouring
// positions belong to different children.
std::vector<QUELLAN2_TAG> spreadTags(uint32_t tagCount, uint32_t childCount) {
    const uint32_t perChild = MOST_TAGS / childCount;
    std::vector<QUELLAN2_TAG> tags;
    for (uint32_t i = 0; i < tagCount; ++i) {
        const uint32_t child = i % childCount, index = i / childCount;
        tags.push_back(reinterpret_cast<QUELLAN2_TAG>(uintptr_t(child * perChild + index + 1)));
    }
    return tags;
}

// The same tags read directly and through MultiQuellan in every iteration.
void read(benchmark::State& state) {
    const uint32_t tagCount = uint32_t(state.range(0)), childCount = uint32_t(state.range(1));
    const std::vector<ChildPlan> plans = spreadChildren(childCount);

    std::vector<DirectChild*> children;
    for (const ChildPlan& plan : plans) children.push_back(&direct(plan));
    // Each child gets its share of the tags, in its own handles.
    std::vector<std::vector<QUELLAN2_TAG>> childTags(childCount);
    for (uint32_t i = 0; i < tagCount; ++i)
        childTags[i % childCount].push_back(reinterpret_cast<QUELLAN2_TAG>(uintptr_t(i / childCount + 1)));

    QUELLAN2_CONNECTION connection = Session::over(plans);
    Plugin& plugin = multiQuellan();
    const std::vector<QUELLAN2_TAG> tags = spreadTags(tagCount, childCount);

    SideBySide sides;
    for (auto _ : state) {
        sides.baseline([&] {
            for (uint32_t j = 0; j < childCount; ++j) {
                QUELLAN2_VECTOR values = nullptr;
                const uint32_t count = uint32_t(childTags[j].size());
                children[j]->plugin.connectionReadCurrentData(children[j]->connection, childTags[j].data(), count,
                                                              &values);
                children[j]->plugin.takeValues(values, count);
            }
        });
        sides.measured([&] {
            QUELLAN2_VECTOR values = nullptr;
            plugin.connectionReadCurrentData(connection, tags.data(), tagCount, &values);
            if (plugin.takeValues(values, tagCount) != tagCount) state.SkipWithError("values missing");
        });
    }
    sides.report(state);
}
BENCHMARK(read)
    ->Name("read")
    ->ArgsProduct({{1000, 10000, 100000}, {1, 4, 16}})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// ---- 3. Historical read, with and without the extended function ----------

const uint32_t HISTORY_TAGS = 100;
const uint32_t HISTORY_SAMPLES = 10000;
const int32_t HISTORY_START = 1600000000;
const std::vector<ChildPlan> HISTORY_CHILDREN{{"HistoryEx", "SimQuellan", 1, HISTORY_TAGS},
                                              {"HistoryNoEx", "SimQuellanNoEx", 1, HISTORY_TAGS}};

void historyDirect(benchmark::State& state) {
    const bool extended = state.range(0) != 0;
    DirectChild& child = direct(HISTORY_CHILDREN[extended ? 0 : 1]);
    std::vector<QUELLAN2_TAG> tags;
    for (uint32_t t = 1; t <= HISTORY_TAGS; ++t) tags.push_back(reinterpret_cast<QUELLAN2_TAG>(uintptr_t(t)));
    std::vector<QUELLAN2_VECTOR> samples(HISTORY_SAMPLES);
    for (auto _ : state) {
        // Without the extended function a host asks for one time point at a time.
        std::fill(samples.begin(), samples.end(), nullptr);
        if (extended)
            child.plugin.connectionReadHistoricalDataEx(child.connection, tags.data(), HISTORY_TAGS, HISTORY_START,
                                                        60, HISTORY_SAMPLES, samples.data());
        else
            for (uint32_t s = 0; s < HISTORY_SAMPLES; ++s)
                child.plugin.connectionReadHistoricalData(child.connection, tags.data(), HISTORY_TAGS,
                                                          HISTORY_START + int32_t(s) * 60, &samples[s]);
        for (QUELLAN2_VECTOR sample : samples) child.plugin.takeValues(sample, HISTORY_TAGS);
    }
}

void historyMultiQuellan(benchmark::State& state) {
    const bool extended = state.range(0) != 0;
    QUELLAN2_CONNECTION connection = Session::over(HISTORY_CHILDREN);
    Plugin& plugin = multiQuellan();
    // The first child's tags come first in MultiQuellan's table.
    std::vector<QUELLAN2_TAG> tags;
    for (uint32_t t = 1; t <= HISTORY_TAGS; ++t)
        tags.push_back(reinterpret_cast<QUELLAN2_TAG>(uintptr_t(t + (extended ? 0 : HISTORY_TAGS))));
    std::vector<QUELLAN2_VECTOR> samples(HISTORY_SAMPLES);
    for (auto _ : state) {
        plugin.connectionReadHistoricalDataEx(connection, tags.data(), HISTORY_TAGS, HISTORY_START, 60,
                                              HISTORY_SAMPLES, samples.data());
        uint64_t floats = 0;
        for (QUELLAN2_VECTOR sample : samples) floats += plugin.takeValues(sample, HISTORY_TAGS);
        if (floats != uint64_t(HISTORY_TAGS) * HISTORY_SAMPLES) state.SkipWithError("values missing");
    }
}
BENCHMARK(historyDirect)->Name("history/direct")->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(historyMultiQuellan)
    ->Name("history/multiQuellan")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// ---- 4. Opening a million tags ------------------------------------------------

const ChildPlan MILLION_CHILD{"Million", "SimQuellan", 1000, 1000};

// Resident memory in use: what the allocator keeps free is given back first.
uint64_t residentBytes() {
    ::malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * uint64_t(::sysconf(_SC_PAGESIZE));
}

// Everything a host does to see a child's tree: start the child, open its
// connection, and read every node's and tag's name.
uint64_t walkChild(const Plugin& child, QUELLAN2_CONNECTION connection) {
    uint64_t tags = 0;
    uint32_t nodeCount = 0;
    child.connectionGetNumNodes(connection, &nodeCount);
    for (uint32_t n = 0; n < nodeCount; ++n) {
        QUELLAN2_NODE node = nullptr;
        QUELLAN2_STRING name = nullptr;
        uint32_t tagCount = 0;
        child.connectionGetNode(connection, n, &node);
        child.nodeGetName(node, &name);
        benchmark::DoNotOptimize(child.text(name));
        child.nodeGetNumTags(node, &tagCount);
        for (uint32_t t = 0; t < tagCount; ++t, ++tags) {
            QUELLAN2_TAG tag = nullptr;
            child.nodeGetTag(node, t, &tag);
            child.tagGetName(tag, &name);
            benchmark::DoNotOptimize(child.text(name));
        }
    }
    return tags;
}

// A child's own start as a host makes it: initialize, open, and a walk of
// its whole tree, which must find `tags` tags.
void startChild(Plugin& child, QUELLAN2_CONNECTION& connection, uint64_t tags, benchmark::State& state) {
    child.initialize();
    child.connectionOpen("", &connection);
    if (walkChild(child, connection) != tags) state.SkipWithError("tags missing");
}

// Closes MultiQuellan's connection after checking that the open merged the
// `expected` number of top-level nodes.
void closeCheckingNodes(QUELLAN2_CONNECTION connection, uint32_t expected, benchmark::State& state) {
    uint32_t nodes = 0;
    multiQuellan().connectionGetNumNodes(connection, &nodes);
    if (nodes != expected) state.SkipWithError("nodes missing");
    multiQuellan().connectionClose(connection);
}

// The child's own walk and MultiQuellan's open in every iteration.
void open(benchmark::State& state) {
    Session::close();
    writeConfiguration({MILLION_CHILD});
    Plugin& plugin = multiQuellan();
    Plugin child(childFile(MILLION_CHILD));
    SideBySide sides;
    for (auto _ : state) {
        QUELLAN2_CONNECTION connection = nullptr;
        sides.baseline([&] { startChild(child, connection, MILLION_CHILD.tags(), state); });
        child.connectionClose(connection);
        child.uninitialize();
        sides.measured([&] { plugin.connectionOpen("", &connection); });
        closeCheckingNodes(connection, MILLION_CHILD.nodes, state);
    }
    sides.report(state);
}
BENCHMARK(open)->Name("open")->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// Opens only, one after the other: the child rebuilds its plant on every
// start, and a plant last built by another thread, freed and built again in
// between, would move the resident figure by more than a tenth.
void memory(benchmark::State& state) {
    Session::close();
    writeConfiguration({MILLION_CHILD});
    Plugin& plugin = multiQuellan();
    // The child's module stays loaded, held by this handle, so its plant
    // outlives MultiQuellan's connection: the difference in resident memory
    // across an open is what MultiQuellan holds.
    Plugin child(childFile(MILLION_CHILD));
    child.initialize();
    child.uninitialize();
    double bytes = 0;
    for (auto _ : state) {
        const uint64_t before = residentBytes();
        QUELLAN2_CONNECTION connection = nullptr;
        plugin.connectionOpen("", &connection);
        bytes += double(int64_t(residentBytes() - before));
        closeCheckingNodes(connection, MILLION_CHILD.nodes, state);
    }
    state.counters["bytesPerTag"] = bytes / double(state.iterations()) / double(MILLION_CHILD.tags());
}
BENCHMARK(memory)->Name("memory")->Iterations(3)->Unit(benchmark::kMillisecond);

// ---- 5. Browsing every tag --------------------------------------------------

const uint32_t BROWSE_TAGS_PER_NODE = 2;

void browse(benchmark::State& state) {
    const uint32_t nodeCount = uint32_t(state.range(0));
    QUELLAN2_CONNECTION connection =
        Session::over({{"Browse" + std::to_string(nodeCount), "SimQuellan", nodeCount, BROWSE_TAGS_PER_NODE}});
    Plugin& plugin = multiQuellan();
    for (auto _ : state) {
        uint64_t tags = 0;
        uint32_t nodes = 0;
        plugin.connectionGetNumNodes(connection, &nodes);
        for (uint32_t n = 0; n < nodes; ++n) {
            QUELLAN2_NODE node = nullptr;
            uint32_t tagCount = 0;
            plugin.connectionGetNode(connection, n, &node);
            plugin.nodeGetNumTags(node, &tagCount);
            for (uint32_t t = 0; t < tagCount; ++t, ++tags) {
                QUELLAN2_TAG tag = nullptr;
                QUELLAN2_STRING name = nullptr;
                plugin.nodeGetTag(node, t, &tag);
                plugin.tagGetName(tag, &name);
                plugin.stringFree(name);
            }
        }
        if (tags != uint64_t(nodeCount) * BROWSE_TAGS_PER_NODE) state.SkipWithError("tags missing");
    }
}
BENCHMARK(browse)->Name("browse")->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- 6. Slow children, side by side ------------------------------------------

const uint32_t SLOW_CHILDREN = 16;

// SLOW_CHILDREN children of one tag, each slowed down by `lines`.
std::vector<ChildPlan> slowChildren(const std::string& kind, const std::string& lines) {
    std::vector<ChildPlan> children;
    for (uint32_t j = 0; j < SLOW_CHILDREN; ++j)
        children.push_back({kind + std::to_string(j), "SimQuellan", 1, 1, lines});
    return children;
}

const std::vector<ChildPlan> SLOW_READERS = slowChildren("SlowRead", "sleep connectionReadCurrentData 20\n");
const std::vector<ChildPlan> SLOW_STARTERS = slowChildren("SlowStart", "sleep connectionOpen 100\n");

// One slow child read directly, and the read of all of them through
// MultiQuellan; argument 1 with parallel calls.
void slowRead(benchmark::State& state) {
    DirectChild& child = direct(SLOW_READERS[0]);
    QUELLAN2_CONNECTION connection = Session::over(SLOW_READERS, state.range(0) != 0);
    Plugin& plugin = multiQuellan();
    std::vector<QUELLAN2_TAG> tags;
    for (uint32_t j = 1; j <= SLOW_CHILDREN; ++j) tags.push_back(reinterpret_cast<QUELLAN2_TAG>(uintptr_t(j)));
    QUELLAN2_TAG childTag = tags[0];
    SideBySide sides;
    for (auto _ : state) {
        sides.baseline([&] {
            QUELLAN2_VECTOR values = nullptr;
            child.plugin.connectionReadCurrentData(child.connection, &childTag, 1, &values);
            child.plugin.takeValues(values, 1);
        });
        sides.measured([&] {
            QUELLAN2_VECTOR values = nullptr;
            plugin.connectionReadCurrentData(connection, tags.data(), SLOW_CHILDREN, &values);
            if (plugin.takeValues(values, SLOW_CHILDREN) != SLOW_CHILDREN) state.SkipWithError("values missing");
        });
    }
    sides.report(state);
}
BENCHMARK(slowRead)->Name("slowRead")->Arg(0)->Arg(1)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);

// One slow child started directly, and MultiQuellan's open of all of them;
// argument 1 with parallel calls.
void slowOpen(benchmark::State& state) {
    Session::close();
    writeConfiguration(SLOW_STARTERS, state.range(0) != 0);
    Plugin& plugin = multiQuellan();
    Plugin child(childFile(SLOW_STARTERS[0]));
    SideBySide sides;
    for (auto _ : state) {
        QUELLAN2_CONNECTION connection = nullptr;
        sides.baseline([&] { startChild(child, connection, 1, state); });
        child.connectionClose(connection);
        child.uninitialize();
        sides.measured([&] { plugin.connectionOpen("", &connection); });
        closeCheckingNodes(connection, SLOW_CHILDREN, state);
    }
    sides.report(state);
}
BENCHMARK(slowOpen)->Name("slowOpen")->Arg(0)->Arg(1)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// A read over a child that never answers (timeout 0.2 s) and a healthy one:
// the first read gives the hung child up, the next refuses it at once. Each
// run has a hung child of its own, since a hung child's library stays loaded.
void hungChild(benchmark::State& state) {
    static int run = 0;
    const std::string name = "Hung" + std::to_string(run++);
    const std::vector<ChildPlan> children{{name, "SimQuellan", 1, 1, "sleep connectionReadCurrentData 3600000\n", "0.2"},
                                          {name + "Healthy", "SimQuellan", 1, 1}};
    QUELLAN2_CONNECTION connection = Session::over(children, true);
    Plugin& plugin = multiQuellan();
    const QUELLAN2_TAG tags[] = {reinterpret_cast<QUELLAN2_TAG>(uintptr_t(1)),
                                 reinterpret_cast<QUELLAN2_TAG>(uintptr_t(2))};
    using Clock = std::chrono::steady_clock;
    Clock::duration first{}, next{};
    for (auto _ : state) {
        for (Clock::duration* read : {&first, &next}) {
            const Clock::time_point start = Clock::now();
            QUELLAN2_VECTOR values = nullptr;
            plugin.connectionReadCurrentData(connection, tags, 2, &values);
            *read = Clock::now() - start;
            if (plugin.takeValues(values, 2) != 1) state.SkipWithError("the healthy child's value is missing");
        }
    }
    state.counters["firstMs"] = std::chrono::duration<double, std::milli>(first).count();
    state.counters["nextUs"] = std::chrono::duration<double, std::micro>(next).count();
    Session::close();
}
BENCHMARK(hungChild)->Name("hungChild")->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- 10. Isolated children against the same children in-process -------------

// Each configuration holds the children twice, in-process and isolated, the
// in-process ones first: their tags come first in MultiQuellan's table, the
// isolated copies' after them, so that one session reads both sides in every
// iteration, over the same children.
std::vector<ChildPlan> inProcessAndIsolated(const std::vector<ChildPlan>& children) {
    std::vector<ChildPlan> both = children;
    for (const ChildPlan& child : children) both.push_back(isolated(child));
    return both;
}

QUELLAN2_TAG tagNumber(uint64_t number) {
    return reinterpret_cast<QUELLAN2_TAG>(uintptr_t(number));
}

// Reads `tags` and checks that every value came.
void readAll(benchmark::State& state, QUELLAN2_CONNECTION connection, const std::vector<QUELLAN2_TAG>& tags) {
    Plugin& plugin = multiQuellan();
    QUELLAN2_VECTOR values = nullptr;
    const auto count = uint32_t(tags.size());
    plugin.connectionReadCurrentData(connection, tags.data(), count, &values);
    if (plugin.takeValues(values, count) != count) state.SkipWithError("values missing");
}

// The same tags read in-process and then isolated in every iteration, the
// isolated read measured against the in-process one.
void readInProcessAndIsolated(benchmark::State& state, QUELLAN2_CONNECTION connection,
                              const std::vector<QUELLAN2_TAG>& inProcess, const std::vector<QUELLAN2_TAG>& isolated) {
    SideBySide sides("inProcessUs", "isolatedUs");
    for (auto _ : state) {
        sides.baseline([&] { readAll(state, connection, inProcess); });
        sides.measured([&] { readAll(state, connection, isolated); });
    }
    sides.report(state);
}

void oneTagIsolated(benchmark::State& state) {
    QUELLAN2_CONNECTION connection = Session::over(inProcessAndIsolated({ONE_TAG_CHILD}));
    const std::vector<QUELLAN2_TAG> inProcessTag{tagNumber(1)}, isolatedTag{tagNumber(2)};
    readInProcessAndIsolated(state, connection, inProcessTag, isolatedTag);
}
BENCHMARK(oneTagIsolated)->Name("isolated/oneTag")->UseRealTime()->Unit(benchmark::kMicrosecond);

const uint32_t ISOLATED_READ_CHILDREN = 4;

void readIsolated(benchmark::State& state) {
    const std::vector<ChildPlan> plans = spreadChildren(ISOLATED_READ_CHILDREN);
    QUELLAN2_CONNECTION connection = Session::over(inProcessAndIsolated(plans));
    const std::vector<QUELLAN2_TAG> inProcessTags = spreadTags(MOST_TAGS, ISOLATED_READ_CHILDREN);
    std::vector<QUELLAN2_TAG> isolatedTags;
    for (QUELLAN2_TAG tag : inProcessTags) isolatedTags.push_back(tagNumber(uintptr_t(tag) + MOST_TAGS));
    readInProcessAndIsolated(state, connection, inProcessTags, isolatedTags);
}
BENCHMARK(readIsolated)->Name("isolated/read")->UseRealTime()->Unit(benchmark::kMillisecond);

// MultiQuellan's open of the million tags, the child in-process and then
// isolated, in every iteration.
void openIsolated(benchmark::State& state) {
    Session::close();
    Plugin& plugin = multiQuellan();
    SideBySide sides("inProcessUs", "isolatedUs");
    for (auto _ : state) {
        for (const bool isolate : {false, true}) {
            writeConfiguration({isolate ? isolated(MILLION_CHILD) : MILLION_CHILD});
            QUELLAN2_CONNECTION connection = nullptr;
            const auto opening = [&] { plugin.connectionOpen("", &connection); };
            if (isolate)
                sides.measured(opening);
            else
                sides.baseline(opening);
            closeCheckingNodes(connection, MILLION_CHILD.nodes, state);
        }
    }
    sides.report(state);
}
BENCHMARK(openIsolated)->Name("isolated/open")->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// The surrogates that this process started and that still run.
std::vector<pid_t> runningSurrogates() {
    std::vector<pid_t> found;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream statFile(entry.path() / "stat");
        std::string stat;
        std::getline(statFile, stat);
        // pid (comm) state ppid ...: the name may hold spaces and parentheses.
        const std::size_t nameEnd = stat.rfind(')');
        if (nameEnd == std::string::npos) continue;
        char processState = 0;
        long parent = 0;
        if (std::sscanf(stat.c_str() + nameEnd + 1, " %c %ld", &processState, &parent) != 2) continue;
        if (parent != ::getpid() || processState == 'Z') continue;
        std::error_code error;
        const fs::path program = fs::read_symlink(entry.path() / "exe", error);
        if (!error && program.filename() == "quellan-surrogate") found.push_back(pid_t(std::stol(name)));
    }
    return found;
}

// Kills the one surrogate that runs; when it was killed, or nothing when
// there was not exactly one, which ends the benchmark with an error.
std::optional<std::chrono::steady_clock::time_point> killTheSurrogate(benchmark::State& state) {
    const std::vector<pid_t> surrogates = runningSurrogates();
    if (surrogates.size() != 1) {
        state.SkipWithError("not one surrogate running");
        return std::nullopt;
    }
    const auto killed = std::chrono::steady_clock::now();
    ::kill(surrogates[0], SIGKILL);
    return killed;
}

// An isolated child's surrogate killed, and what a host then does: closes
// the connection and opens it again until the child is back, with its value.
void killedSurrogate(benchmark::State& state) {
    const std::vector<ChildPlan> children{isolated(ONE_TAG_CHILD)};
    Plugin& plugin = multiQuellan();
    using Clock = std::chrono::steady_clock;
    Clock::duration recovery{};
    for (auto _ : state) {
        Session::over(children);
        const std::optional<Clock::time_point> killed = killTheSurrogate(state);
        if (!killed) break;
        Session::close();
        QUELLAN2_CONNECTION connection = nullptr;
        uint32_t nodes = 0;
        for (int attempt = 0; attempt < 1000 && nodes != ONE_TAG_CHILD.nodes; ++attempt) {
            if (plugin.connectionOpen("", &connection) != QUELLAN2_STATUS_OK) continue;
            plugin.connectionGetNumNodes(connection, &nodes);
            if (nodes != ONE_TAG_CHILD.nodes) plugin.connectionClose(connection);
        }
        recovery += Clock::now() - *killed;
        if (nodes != ONE_TAG_CHILD.nodes) {
            state.SkipWithError("the child did not come back");
            break;
        }
        readAll(state, connection, {tagNumber(1)});
        plugin.connectionClose(connection);
    }
    state.counters["recoveryMs"] =
        benchmark::Counter(std::chrono::duration<double, std::milli>(recovery).count(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(killedSurrogate)->Name("isolated/killed")->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same with restart="true": the host keeps its connection and reads on
// until the value is back, which the child's worker brings after its first
// backoff of a second. Each kill on a connection of its own, so that each
// meets the first backoff.
void restartedSurrogate(benchmark::State& state) {
    ChildPlan restarting = isolated(ONE_TAG_CHILD);
    restarting.restart = true;
    Plugin& plugin = multiQuellan();
    using Clock = std::chrono::steady_clock;
    Clock::duration recovery{};
    const QUELLAN2_TAG tag = tagNumber(1);
    for (auto _ : state) {
        Session::close();
        QUELLAN2_CONNECTION connection = Session::over({restarting});
        const std::optional<Clock::time_point> killed = killTheSurrogate(state);
        if (!killed) break;
        bool back = false;
        while (!back && Clock::now() - *killed < std::chrono::seconds(30)) {
            QUELLAN2_VECTOR result = nullptr;
            uint32_t type = QUELLAN2_TYPE_NULL;
            if (plugin.connectionReadCurrentData(connection, &tag, 1, &result) == QUELLAN2_STATUS_OK) {
                plugin.vectorGetType(result, 0, &type);
                plugin.vectorFree(result);
            }
            back = type == QUELLAN2_TYPE_FLOAT;
            if (!back) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        recovery += Clock::now() - *killed;
        if (!back) {
            state.SkipWithError("the child did not come back");
            break;
        }
    }
    Session::close();
    state.counters["recoveryMs"] =
        benchmark::Counter(std::chrono::duration<double, std::milli>(recovery).count(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(restartedSurrogate)->Name("isolated/restarted")->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- 11. A child that faults on every call, with the fault log and without --

// Every read of its one tag throws out of the child, as fast as the host can call.
const ChildPlan FAULTING_CHILD{"Faulting", "SimQuellan", 1, 1, "fault connectionReadCurrentData throw\n"};
const int FAULTING_READS = 2000;

// The log's events are queued for its own thread, so the calls must not slow
// down with it. One connection serves one configuration, so each iteration
// opens the child with log="system" and reads, then without and reads: both
// sides on the same machine at the same moment, the opens untimed.
void faultingChild(benchmark::State& state) {
    Plugin& plugin = multiQuellan();
    QUELLAN2_TAG tag = tagNumber(1);
    const auto reads = [&](QUELLAN2_CONNECTION connection) {
        for (int k = 0; k < FAULTING_READS; ++k) {
            QUELLAN2_VECTOR values = nullptr;
            plugin.connectionReadCurrentData(connection, &tag, 1, &values);
            if (plugin.takeValues(values, 1) != 0) state.SkipWithError("the child did not fault");
        }
    };
    SideBySide sides("withoutUs", "withLogUs");
    // The opens stay outside the timed work.
    const auto logged = [&] {
        QUELLAN2_CONNECTION connection = Session::over({FAULTING_CHILD}, false, " log=\"system\"");
        sides.measured([&] { reads(connection); });
    };
    const auto unlogged = [&] {
        QUELLAN2_CONNECTION connection = Session::over({FAULTING_CHILD});
        sides.baseline([&] { reads(connection); });
    };
    // Which side comes first alternates, so that neither always meets the machine as the other left it.
    bool loggedFirst = true;
    for (auto _ : state) {
        if (loggedFirst) {
            logged();
            unlogged();
        } else {
            unlogged();
            logged();
        }
        loggedFirst = !loggedFirst;
    }
    sides.report(state);
    state.counters["readsPerIteration"] = FAULTING_READS;
}
BENCHMARK(faultingChild)->Name("faultingChild")->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // MultiQuellan finds its configuration in the machine folder that this
    // names, and reads the name when it is loaded.
    fs::create_directories(scratch() / "config" / "Kalmeno" / "Quellan");
    ::setenv("XDG_CONFIG_DIRS", (scratch() / "config").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    int status = 0;
    try {
        multiQuellan();
        benchmark::RunSpecifiedBenchmarks();
        Session::close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 1;
    }
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(scratch(), ignored);
    return status;
}
