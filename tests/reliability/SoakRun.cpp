// The soak run: for a chosen time, connections opened and closed over
// several children, calls of every data operation, and faults of every kind
// mixed in. It reports the calls made, the faults survived, and the memory
// and threads of the process at the start and at the end. Not a CTest test:
// scripts/soak runs it. Usage:
//   reliability_soak SECONDS [CHILDREN [KINDS [nofree [isolated|restart]]]]
// KINDS a comma list of access, divide, throw, stack, abort, exit and heap
// (default access,divide,throw); nofree spares the children's free functions,
// whose faults lose the child's object. With isolated, every second child
// runs in a surrogate process; abort, exit and heap, which end a process,
// strike only those, and each close must leave no process behind. With
// restart, the isolated children have restart="true" and are struck by no
// fault of a sidecar; instead a surrogate is killed in a random round of
// each connection, and its child's values must come back whole, with one
// surrogate per isolated child.
// MQ_SOAK_SEED sets the seed of the random draws (printed at the start), so
// that a run that failed can be run again with the same cycles.
#include "support/ChildProcesses.h"
#include "support/LoadedPlugin.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace mq::test;

namespace {

constexpr int32_t CLOCK = 1700000000;
constexpr int ROUNDS_PER_CYCLE = 100;

// "journal off" spares the disk; a library that does not know it journals
// into a file that each cycle empties.
const char* const SIDECAR = R"(clock 1700000000
journal off
node Line
tag Line TT float base=20 amplitude=5 noise=1
tag Line PT float base=3 amplitude=1
tag Line State string states=Running,Stopped,Cleaning dwell=600
tag Line Mode string states=Auto,Manual
node Utility
tag Utility FT float base=120 amplitude=15
tag Utility LT float base=50
batch Line B-1 1699990000 1699999000
)";
constexpr uint32_t TAGS_PER_CHILD = 6;

// Functions that every round calls on every child, where a fault may strike.
const char* const FAULT_PLACES[] = {
    "connectionReadCurrentData", "connectionReadHistoricalDataEx", "connectionReadBatchDataEx",
    "connectionWriteBatchDataEx", "connectionGetCurrentTime", "nodeGetActiveBatches", "tagGetUpdateTime",
    "vectorGetType", "vectorGetFloat", "vectorGetString", "vectorCreate", "vectorSetFloat",
    "vectorSetString", "stringCopy", "vectorFree", "stringFree"};
constexpr std::uint32_t DEFAULT_SEED = 20261207;

// A surrogate calls these while it starts, for the child's identity and the
// names of its tree, before the open has returned: a fault there that ends
// the surrogate leaves the child out of the connection altogether.
bool reachedWhileStarting(const std::string& place) { return place == "stringCopy" || place == "stringFree"; }

// The kinds that end the process they strike: only an isolated child survives them.
bool endsTheProcess(const std::string& kind) {
    return kind == "abort" || kind == "exit" || kind == "heap";
}

// A figure of /proc/self/status in its own unit, or -1 where there is none.
long processFigure(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, key.size() + 1, key + ":") != 0) continue;
        std::istringstream value(line.substr(key.size() + 1));
        long number = -1;
        value >> number;
        return number;
    }
    return -1;
}

struct Figures {
    long memoryKb = processFigure("VmRSS");
    long threads = processFigure("Threads");
};

class Soak {
public:
    Soak(int childCount, std::vector<std::string> kinds, bool freeFaults, bool isolate, bool restart,
         std::uint32_t seed)
        : kinds(std::move(kinds)), places(std::size(FAULT_PLACES)), restarting(restart), random(seed) {
        // The free functions come last in the list of places.
        if (!freeFaults) places -= 2;
        std::string file = "<?xml version=\"1.0\"?>\n<settings>\n";
        for (int i = 0; i < childCount; ++i) {
            // Every fourth child lacks the extended functions, so the
            // emulated reads and writes are soaked as well.
            SimVariant variant = i % 4 == 3 ? SimVariant::NO_EX : SimVariant::FULL;
            children.push_back(std::make_unique<SimChild>(folder.path(), "Soak" + std::to_string(i), SIDECAR, variant));
            isolated.push_back(isolate && i % 2 == 1);
            file += "    <quellan path=\"" + children.back()->libraryPath() + "\"" +
                    (isolated.back() ? " isolation=\"process\"" : "") +
                    (isolated.back() && restarting ? " restart=\"true\"" : "") + " />\n";
        }
        configuration.writeBytes(file + "</settings>\n");
        dead.assign(children.size(), false);
        hasInProcessKind = std::any_of(this->kinds.begin(), this->kinds.end(),
                                       [](const std::string& what) { return !endsTheProcess(what); });
        plugin = std::make_unique<LoadedPlugin>(libraryPath("MultiQuellan"));
    }

    // One connection: open (perhaps with a child that fails to start), rounds
    // of calls with faults mixed in, a check that every value is right, close.
    void cycle() {
        // An isolated child's controls reach it through its sidecar, read
        // when its surrogate initialises it: at most one fault a connection.
        // One that ends the surrogate strikes after a random number of calls
        // of its function, and only at a function that the surrogate first
        // calls after the open, so that the child is in the tree; any other
        // strikes at the first call, which for the functions the surrogate
        // calls while it starts is then (and survived), and for the rest is
        // in the first round, before values are checked.
        dying.assign(children.size(), false);
        armed.assign(children.size(), std::string());
        for (std::size_t c = 0; c < children.size(); ++c) {
            if (!isolated[c]) continue;
            std::string sidecar = SIDECAR;
            if (!restarting && chance(2)) {
                const std::string& what = kind(true);
                const bool ending = endsTheProcess(what);
                const std::size_t after = ending ? pick(2 * ROUNDS_PER_CYCLE) : 0;
                armed[c] = std::string("fault ") + place(ending) + " " + what + " after=" + std::to_string(after) +
                           " times=1";
                sidecar += armed[c] + "\n";
                dying[c] = ending;
                ++faults;
            }
            children[c]->writeSidecar(sidecar);
        }
        std::size_t skipped = children.size();
        if (chance(4)) {
            skipped = pick(children.size());
            const std::string line = "fault connectionOpen " + kind(isolated[skipped]) + " times=1";
            if (isolated[skipped])
                children[skipped]->writeSidecar(SIDECAR + line + "\n");
            else
                arm(*children[skipped], line);
            dying[skipped] = false;
            armed[skipped] = line;
            ++faults;
        }
        QUELLAN2_CONNECTION connection = nullptr;
        check((*plugin)->connectionOpen("", &connection) == QUELLAN2_STATUS_OK, "open");
        ++calls;
        tags.clear();
        owners.clear();
        for (std::size_t c = 0; c < children.size(); ++c) {
            if (c == skipped) continue;
            for (uint32_t t = 0; t < TAGS_PER_CHILD; ++t) {
                tags.push_back(reinterpret_cast<QUELLAN2_TAG>(static_cast<uintptr_t>(tags.size() + 1)));
                owners.push_back(c);
            }
        }
        uint32_t nodes = 0;
        (*plugin)->connectionGetNumNodes(connection, &nodes);
        ++calls;
        const uint32_t expected = 2 * static_cast<uint32_t>(children.size() - (skipped < children.size() ? 1 : 0));
        if (nodes != expected) reportMissingChildren(nodes, expected, skipped);
        // A kill a connection, so that each meets the first backoff.
        const int killRound = restarting ? static_cast<int>(pick(ROUNDS_PER_CYCLE)) : -1;
        for (int round = 0; round < ROUNDS_PER_CYCLE; ++round) {
            if (chance(3) && hasInProcessKind) {
                const std::size_t victim = owners[pick(owners.size())];
                if (!isolated[victim]) {
                    arm(*children[victim],
                        std::string("fault ") + place(false) + " " + kind() + " times=1");
                    ++faults;
                }
            }
            callEverything(connection, nodes);
            if (round == killRound) killSurrogate(connection, skipped);
            // Whatever struck, the next read is whole and right.
            checkValues(connection);
        }
        check((*plugin)->connectionClose(connection) == QUELLAN2_STATUS_OK, "close");
        ++calls;
        ++cycles;
        // Every surrogate, crashed or not, has ended and been reaped.
        check(mq::test::childProcessesOf(mq::test::thisProcessId()).empty(), "no process left after the close");
        for (std::size_t c = 0; c < children.size(); ++c) {
            if (dead[c]) ++surrogatesLost;
            children[c]->control("reset");
            children[c]->clearJournal();
        }
        dead.assign(children.size(), false);
    }

    unsigned long long calls = 0;
    unsigned long long faults = 0;
    // Isolated children whose surrogate a fault ended.
    unsigned long long surrogatesLost = 0;
    unsigned long long cycles = 0;
    unsigned long long failures = 0;
    // Surrogates killed whose child came back.
    unsigned long long restarts = 0;

private:
    bool chance(int oneIn) { return std::uniform_int_distribution<int>(0, oneIn - 1)(random) == 0; }
    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); }
    // A kind for a child; one that ends the process only for an isolated child.
    const std::string& kind(bool forIsolated = false) {
        for (;;) {
            const std::string& what = kinds[pick(kinds.size())];
            if (forIsolated || !endsTheProcess(what)) return what;
        }
    }
    // A place for a fault; for one that ends the process, one the surrogate
    // does not reach before the open has returned.
    const char* place(bool endingTheProcess) {
        for (;;) {
            const char* where = FAULT_PLACES[pick(places)];
            if (!endingTheProcess || !reachedWhileStarting(where)) return where;
        }
    }
    void check(bool condition, const char* what) {
        if (condition) return;
        fail(what);
    }
    void fail(const std::string& what) {
        if (++failures <= 10) std::fprintf(stderr, "soak: failed: %s (cycle %llu)\n", what.c_str(), cycles);
    }
    // The tree lacks a child that the soak started: names each isolated
    // child that no surrogate runs, with the fault its sidecar armed. A
    // child in this process has no process of its own to tell it by.
    void reportMissingChildren(uint32_t nodes, uint32_t expected, std::size_t skipped) {
        std::string missing;
        const std::vector<std::int64_t> surrogates = childProcessesOf(thisProcessId());
        for (std::size_t c = 0; c < children.size(); ++c) {
            if (c == skipped || !isolated[c]) continue;
            const std::string path = children[c]->libraryPath();
            const std::string file = path.substr(path.find_last_of("/\\") + 1);
            const bool running = std::any_of(surrogates.begin(), surrogates.end(), [&](std::int64_t id) {
                std::ifstream maps("/proc/" + std::to_string(id) + "/maps");
                for (std::string line; std::getline(maps, line);)
                    if (line.size() > file.size() && line.compare(line.size() - file.size() - 1, std::string::npos,
                                                                  "/" + file) == 0)
                        return true;
                return false;
            });
            if (running) continue;
            missing += "; " + file + " has no surrogate" + (armed[c].empty() ? "" : " (its sidecar: " + armed[c] + ")");
        }
        if (missing.empty()) missing = "; no isolated child is missing";
        fail("the tree has every started child: " + std::to_string(nodes) + " nodes of " + std::to_string(expected) +
             missing);
    }
    // The process of the surrogate that serves child `c`, or 0.
    std::int64_t surrogateOf(std::size_t c) {
        const std::string path = children[c]->libraryPath();
        const std::string file = path.substr(path.find_last_of("/\\") + 1);
        for (std::int64_t id : childProcessesOf(thisProcessId())) {
            std::ifstream maps("/proc/" + std::to_string(id) + "/maps");
            for (std::string line; std::getline(maps, line);)
                if (line.size() > file.size() &&
                    line.compare(line.size() - file.size() - 1, std::string::npos, "/" + file) == 0)
                    return id;
        }
        return 0;
    }

    // Kills the surrogate of an isolated child in the tree, and waits, up to
    // a generous bound, until a read gives all its values back right and
    // every isolated child in the tree has one surrogate again.
    void killSurrogate(QUELLAN2_CONNECTION connection, std::size_t skipped) {
        std::vector<std::size_t> candidates;
        for (std::size_t c = 0; c < children.size(); ++c)
            if (isolated[c] && c != skipped) candidates.push_back(c);
        if (candidates.empty()) return;
        const std::size_t victim = candidates[pick(candidates.size())];
        const std::int64_t surrogate = surrogateOf(victim);
        check(surrogate != 0 && killProcess(surrogate), "a surrogate to kill");
        const auto bound = std::chrono::steady_clock::now() + std::chrono::minutes(3);
        bool back = false;
        while (!(back = wholeAndRight(connection, victim)) && std::chrono::steady_clock::now() < bound)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        check(back, "the values of a child whose surrogate was killed come back");
        if (back) ++restarts;
        bool flat = false;
        while (!(flat = childProcessesOf(thisProcessId()).size() == candidates.size()) &&
               std::chrono::steady_clock::now() < bound)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        check(flat, "one surrogate for each isolated child");
    }

    // Whether a read gives every value of child `c` as expected.
    bool wholeAndRight(QUELLAN2_CONNECTION connection, std::size_t c) {
        std::vector<QUELLAN2_TAG> own;
        for (std::size_t i = 0; i < tags.size(); ++i)
            if (owners[i] == c) own.push_back(tags[i]);
        QUELLAN2_VECTOR result = nullptr;
        ++calls;
        if ((*plugin)->connectionReadCurrentData(connection, own.data(), static_cast<uint32_t>(own.size()),
                                                 &result) != QUELLAN2_STATUS_OK)
            return false;
        bool right = true;
        for (uint32_t t = 0; t < own.size(); ++t) {
            static const char* const NAMES[] = {"TT", "PT", "State", "Mode", "FT", "LT"};
            const SimValue expected = children[c]->expectedValue(t < 4 ? "Line" : "Utility", NAMES[t], CLOCK);
            uint32_t type = 0;
            (*plugin)->vectorGetType(result, t, &type);
            if (type == QUELLAN2_TYPE_FLOAT) {
                float value = 0.0f;
                (*plugin)->vectorGetFloat(result, t, &value);
                right = right && SimValue(value) == expected;
            } else if (type == QUELLAN2_TYPE_STRING) {
                QUELLAN2_STRING text = nullptr;
                (*plugin)->vectorGetString(result, t, &text);
                right = right && SimValue(plugin->take(text)) == expected;
            } else {
                right = false;
            }
        }
        (*plugin)->vectorFree(result);
        return right;
    }

    void arm(SimChild& child, const std::string& line) { check(child.control(line) == 0, "a control line"); }

    void callEverything(QUELLAN2_CONNECTION connection, uint32_t nodes) {
        const auto count = static_cast<uint32_t>(tags.size());
        const QUELLAN2_STATUS OK = QUELLAN2_STATUS_OK;
        QUELLAN2_VECTOR result = nullptr;
        check((*plugin)->connectionReadCurrentData(connection, tags.data(), count, &result) == OK, "read current");
        (*plugin)->vectorFree(result);
        QUELLAN2_VECTOR history[4] = {};
        check((*plugin)->connectionReadHistoricalDataEx(connection, tags.data(), count, CLOCK - 3600, 60, 4,
                                                         history) == OK,
              "read history");
        for (QUELLAN2_VECTOR sample : history) (*plugin)->vectorFree(sample);
        check((*plugin)->connectionReadBatchDataEx(connection, tags.data(), count, "B-1", 0, &result) == OK,
              "read batch");
        (*plugin)->vectorFree(result);
        QUELLAN2_VECTOR values = nullptr;
        (*plugin)->vectorCreate(count, &values);
        for (uint32_t i = 0; i < count; ++i) {
            if (i % TAGS_PER_CHILD == 2 || i % TAGS_PER_CHILD == 3) (*plugin)->vectorSetString(values, i, "soaked");
            else (*plugin)->vectorSetFloat(values, i, static_cast<float>(i));
        }
        check((*plugin)->connectionWriteBatchDataEx(connection, tags.data(), count, "W-1", 0, values) == OK,
              "write batch");
        (*plugin)->vectorFree(values);
        uint32_t time = 0;
        check((*plugin)->connectionGetCurrentTime(connection, &time) == OK, "current time");
        check((*plugin)->tagGetUpdateTime(tags[pick(tags.size())], &time) == OK, "update time");
        QUELLAN2_VECTOR batches = nullptr;
        const auto node = reinterpret_cast<QUELLAN2_NODE>(static_cast<uintptr_t>(1 + pick(nodes)));
        check((*plugin)->nodeGetActiveBatches(node, 0, CLOCK, &batches) == OK, "active batches");
        (*plugin)->vectorFree(batches);
        // The host's vectors count too: they are calls into the library.
        calls += 8 + 4 + 3 + 1 + 2 * count;
    }

    void checkValues(QUELLAN2_CONNECTION connection) {
        QUELLAN2_VECTOR result = nullptr;
        const auto count = static_cast<uint32_t>(tags.size());
        check((*plugin)->connectionReadCurrentData(connection, tags.data(), count, &result) == QUELLAN2_STATUS_OK,
              "read current");
        // A surrogate that a fault ended leaves all its child's values null,
        // for the rest of the connection.
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t type = 0;
            (*plugin)->vectorGetType(result, i, &type);
            if (dying[owners[i]] && type == QUELLAN2_TYPE_NULL) dead[owners[i]] = true;
        }
        for (uint32_t i = 0; i < count; ++i) {
            if (dead[owners[i]]) {
                uint32_t type = 0;
                (*plugin)->vectorGetType(result, i, &type);
                check(type == QUELLAN2_TYPE_NULL, "a value from a surrogate that has ended");
                continue;
            }
            static const char* const NAMES[] = {"TT", "PT", "State", "Mode", "FT", "LT"};
            const uint32_t t = i % TAGS_PER_CHILD;
            SimValue expected =
                children[owners[i]]->expectedValue(t < 4 ? "Line" : "Utility", NAMES[t], CLOCK);
            uint32_t type = 0;
            (*plugin)->vectorGetType(result, i, &type);
            if (type == QUELLAN2_TYPE_FLOAT) {
                float value = 0.0f;
                (*plugin)->vectorGetFloat(result, i, &value);
                check(SimValue(value) == expected, "a float after a fault");
            } else if (type == QUELLAN2_TYPE_STRING) {
                QUELLAN2_STRING text = nullptr;
                (*plugin)->vectorGetString(result, i, &text);
                check(SimValue(plugin->take(text)) == expected, "a text after a fault");
            } else {
                check(false, "a value missing after a fault");
            }
        }
        (*plugin)->vectorFree(result);
        calls += 3 + 2 * count;
    }

    const std::vector<std::string> kinds;
    bool hasInProcessKind = true;
    std::size_t places;
    const bool restarting;
    ScratchFolder folder{"soak"};
    MachineConfiguration configuration;
    std::vector<std::unique_ptr<SimChild>> children;
    std::vector<bool> isolated;
    // This connection's: the isolated children armed with a fault that ends
    // their surrogate, and those whose surrogate it has ended; the fault line
    // each child's sidecar or start was given.
    std::vector<bool> dying;
    std::vector<std::string> armed;
    std::vector<bool> dead;
    std::unique_ptr<LoadedPlugin> plugin;
    std::vector<QUELLAN2_TAG> tags;
    std::vector<std::size_t> owners;
    std::mt19937 random;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::atoi(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: reliability_soak SECONDS [CHILDREN [KINDS [nofree [isolated|restart]]]]\n");
        return 2;
    }
    const int seconds = std::atoi(argv[1]);
    const int childCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
    std::vector<std::string> kinds;
    std::istringstream list(argc > 3 ? argv[3] : "access,divide,throw");
    for (std::string kind; std::getline(list, kind, ',');) {
        static const char* const KNOWN[] = {"access", "divide", "throw", "stack", "abort", "exit", "heap"};
        if (std::find(std::begin(KNOWN), std::end(KNOWN), kind) == std::end(KNOWN)) {
            std::fprintf(stderr, "reliability_soak: unknown fault kind '%s'\n", kind.c_str());
            return 2;
        }
        kinds.push_back(kind);
    }
    if (kinds.empty()) return 2;
    const bool freeFaults = !(argc > 4 && std::string(argv[4]) == "nofree");
    const bool restart = argc > 5 && std::string(argv[5]) == "restart";
    const bool isolate = restart || (argc > 5 && std::string(argv[5]) == "isolated");
    if (!isolate && std::any_of(kinds.begin(), kinds.end(), endsTheProcess)) {
        std::fprintf(stderr, "reliability_soak: abort, exit and heap end the process: they need isolated children\n");
        return 2;
    }
    // The environment is not ours to trust: a seed is a number, or the default.
    std::uint32_t seed = DEFAULT_SEED;
    if (const char* text = std::getenv("MQ_SOAK_SEED"); text && *text) {
        char* end = nullptr;
        errno = 0;
        const unsigned long long value = std::strtoull(text, &end, 10);
        if (*end != '\0' || errno == ERANGE || value > UINT32_MAX || text[0] == '-') {
            std::fprintf(stderr, "reliability_soak: MQ_SOAK_SEED must be a number from 0 to %u\n", UINT32_MAX);
            return 2;
        }
        seed = static_cast<std::uint32_t>(value);
    }
    std::printf("soak: seed %u (MQ_SOAK_SEED=%u runs the same draws again)\n", seed, seed);
    std::fflush(stdout);
    Soak soak(childCount, kinds, freeFaults, isolate, restart, seed);
    // The first cycle loads everything that stays loaded; the start is measured after it.
    soak.cycle();
    const Figures start;
    const auto begin = std::chrono::steady_clock::now();
    const auto deadline = begin + std::chrono::seconds(seconds);
    // A line a minute, so that growth shows as a trend and not only as two points.
    auto nextReport = begin + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        soak.cycle();
        if (std::chrono::steady_clock::now() < nextReport) continue;
        const Figures now;
        std::printf("soak: after %lld s: %llu calls, %llu faults, memory %ld kB, threads %ld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(nextReport - begin).count()),
                    soak.calls, soak.faults, now.memoryKb, now.threads);
        std::fflush(stdout);
        nextReport += std::chrono::minutes(1);
    }
    const Figures end;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

    const char* const placement = restart   ? " (every second one isolated and restarted)"
                                  : isolate ? " (every second one isolated)"
                                            : "";
    std::printf("soak: %.0f s, %d children%s, faults of kinds %s%s\n", elapsed, childCount, placement,
                argc > 3 ? argv[3] : "access,divide,throw", freeFaults ? "" : ", none in the free functions");
    std::printf("soak: %llu open/close cycles, %llu calls, %llu faults survived, %llu surrogates ended by them\n",
                soak.cycles, soak.calls, soak.faults, soak.surrogatesLost);
    std::printf("soak: memory %ld kB at the start, %ld kB at the end; threads %ld at the start, %ld at the end\n",
                start.memoryKb, end.memoryKb, start.threads, end.threads);
    if (restart) std::printf("soak: %llu surrogates killed and their children back\n", soak.restarts);
    std::printf("soak: %llu wrong results\n", soak.failures);
    return soak.failures == 0 && start.threads == end.threads ? 0 : 1;
}
