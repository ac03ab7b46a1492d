// MultiQuellan over two children that misbehave as the fuzzer's bytes say:
// any status, any element types, vectors shorter or longer than asked, out
// values left unwritten, faults of every kind. The host runs every data
// operation over every tag; each must return OK with well-formed vectors, and
// once the children behave again every tag they still serve reads a value.
#include "config/ConfigurationFileWriter.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzPlugin.h"
#include "platform/DynamicLibrary.h"
#include "samples/simquellan/SimQuellanControl.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using mq::fuzz::fail;
using mq::fuzz::FuzzInput;

namespace {

// A fixed clock keeps the writes below away from the values the current read sees.
const char* const SIDECAR = R"(clock 1700000000
journal /dev/null
node Line1
tag Line1 TT-101 float base=20 amplitude=5 period=3600 noise=0.5
tag Line1 State string states=Running,Stopped,Cleaning dwell=600
node Line1/Pump
tag Line1/Pump Flow float base=120
batch Line1 B-1 1699990000 1699999000
node Line2
tag Line2 PT-20 float base=3
tag Line2 Mode string
batch Line2 B-2 1699000000 1699100000
)";

struct Child {
    std::string path;
    SIMQUELLAN_PFN_control control = nullptr;
};

void expect(bool condition, const char* what) {
    if (!condition) fail(what);
}

std::string hex(const std::string& bytes) {
    static const char* const DIGITS = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += DIGITS[c >> 4];
        text += DIGITS[c & 15];
    }
    return text;
}

class Harness {
public:
    Harness() : q(mq::fuzz::multiQuellan()) {
        // Beside the target and kept afterwards: the leak check at exit reads
        // the children's symbols from these files.
        folder = fs::path(mq::platform::executablePath()).parent_path() / "fuzz_misbehaving_child.children";
        fs::create_directories(folder);
        // The second child lacks the extended and sub-node functions, so the
        // emulated reads and writes get their share of misbehaviour.
        addChild("ChildA", "SimQuellan");
        addChild("ChildB", "SimQuellanNoEx");
        std::vector<std::string> paths;
        for (const Child& child : children) paths.push_back(child.path);
        // MultiQuellan reads its configuration from the folder that
        // XDG_CONFIG_DIRS names, which the test run sets.
        const char* machine = std::getenv("XDG_CONFIG_DIRS");
        if (!machine || !*machine) fail("XDG_CONFIG_DIRS is not set");
        fs::path data = fs::path(machine) / "Kalmeno" / "Quellan";
        fs::create_directories(data);
        if (!mq::writeConfigurationFile((data / "MultiQuellanConfiguration.xml").string(), paths))
            fail("cannot write the configuration");
        reopen();
    }
    ~Harness() { q.connectionClose(connection); }

    void run(FuzzInput& input) {
        bool reopenUnderScript = input.flag();
        std::string first = input.bytes(255);
        std::string second = input.rest();
        script(0, first);
        script(1, second);
        if (reopenUnderScript) reopen();
        exercise();
        script(0, "");
        script(1, "");
        if (reopenUnderScript) reopen();
        everyTagStillReads();
    }

private:
    void addChild(const std::string& name, const std::string& variant) {
        Child child;
        child.path = (folder / (name + MQ_LIBRARY_SUFFIX)).string();
        fs::copy_file(mq::fuzz::builtLibrary(variant), child.path, fs::copy_options::overwrite_existing);
        std::ofstream(folder / (name + ".sim")) << SIDECAR;
        // Held for the whole run and never released: the fuzzer keeps
        // counters inside the child, which must not come and go with
        // MultiQuellan's connections.
        std::string error;
        mq::platform::ModuleHandle module = mq::platform::loadLibrary(child.path, error);
        if (!module) fail(error.c_str());
        child.control = reinterpret_cast<SIMQUELLAN_PFN_control>(mq::platform::findSymbol(module, "simquellan_control"));
        children.push_back(child);
    }
    void script(std::size_t child, const std::string& bytes) {
        expect(children[child].control(("script " + hex(bytes)).c_str()) == 0, "the child refused its script");
    }
    void reopen() {
        q.connectionClose(connection);
        connection = nullptr;
        expect(q.connectionOpen("", &connection) == QUELLAN2_STATUS_OK && connection, "connectionOpen");
        nodes.clear();
        tags.clear();
        auto readName = [&](auto getName, auto handle, const char* what) {
            QUELLAN2_STRING name = nullptr;
            expect(getName(handle, &name) == QUELLAN2_STATUS_OK, what);
            q.stringFree(name);
        };
        walk<QUELLAN2_NODE>(connection, q.connectionGetNumNodes, q.connectionGetNode, "connection's nodes",
                            [&](QUELLAN2_NODE node) {
                                nodes.push_back(node);
                                readName(q.nodeGetName, node, "nodeGetName");
                                walk<QUELLAN2_TAG>(node, q.nodeGetNumTags, q.nodeGetTag, "node's tags",
                                                   [&](QUELLAN2_TAG tag) {
                                                       tags.push_back(tag);
                                                       readName(q.tagGetName, tag, "tagGetName");
                                                   });
                            });
    }
    // Counts the handles below `parent` and asks for each, as a host walks
    // the tree; every call must answer OK.
    template <typename Handle, typename Parent, typename Count, typename Get, typename Each>
    static void walk(Parent parent, Count count, Get get, const char* what, Each each) {
        uint32_t total = 0;
        expect(count(parent, &total) == QUELLAN2_STATUS_OK, what);
        for (uint32_t k = 0; k < total; ++k) {
            Handle handle = nullptr;
            expect(get(parent, k, &handle) == QUELLAN2_STATUS_OK, what);
            each(handle);
        }
    }
    // A vector of the library's own: the asked length, every element of a known type.
    void checkVector(QUELLAN2_VECTOR vector, uint32_t length, const char* what) {
        uint32_t actual = 0;
        expect(vector && q.vectorGetLength(vector, &actual) == QUELLAN2_STATUS_OK, what);
        expect(length == UINT32_MAX || actual == length, what);
        for (uint32_t i = 0; i < actual; ++i) {
            uint32_t type = 99;
            expect(q.vectorGetType(vector, i, &type) == QUELLAN2_STATUS_OK && type <= QUELLAN2_TYPE_FLOAT, what);
        }
        q.vectorFree(vector);
    }
    void exercise() {
        const QUELLAN2_STATUS OK = QUELLAN2_STATUS_OK;
        uint32_t time = 0;
        // Without a running first child the current time's status is left open.
        q.connectionGetCurrentTime(connection, &time);
        for (QUELLAN2_NODE node : nodes) {
            QUELLAN2_VECTOR batches = nullptr;
            expect(q.nodeGetActiveBatches(node, 0, 2000000000, &batches) == OK, "nodeGetActiveBatches");
            checkVector(batches, UINT32_MAX, "the batch list");
            uint32_t start = 0, end = 0;
            expect(q.nodeGetBatchTimes(node, "B-1", 1699999000, &start, &end) == OK, "nodeGetBatchTimes");
        }
        if (tags.empty()) return;
        const auto count = static_cast<uint32_t>(tags.size());
        for (QUELLAN2_TAG tag : tags) expect(q.tagGetUpdateTime(tag, &time) == OK, "tagGetUpdateTime");

        QUELLAN2_VECTOR current = nullptr;
        expect(q.connectionReadCurrentData(connection, tags.data(), count, &current) == OK, "read current");
        checkVector(current, count, "the current values");

        QUELLAN2_VECTOR history[3] = {};
        expect(q.connectionReadHistoricalDataEx(connection, tags.data(), count, 1600000000, 60, 3, history) == OK,
               "read history");
        for (QUELLAN2_VECTOR sample : history) checkVector(sample, count, "a historical sample");

        QUELLAN2_VECTOR batch = nullptr;
        expect(q.connectionReadBatchDataEx(connection, tags.data(), count, "B-1", 1699999000, &batch) == OK,
               "read batch");
        checkVector(batch, count, "the batch values");

        QUELLAN2_VECTOR values[2] = {};
        for (QUELLAN2_VECTOR& sample : values) {
            expect(q.vectorCreate(count, &sample) == OK, "vectorCreate");
            for (uint32_t i = 0; i < count; ++i) {
                if (i % 3 == 1) q.vectorSetString(sample, i, "written");
                if (i % 3 == 2) q.vectorSetFloat(sample, i, 1.5f);
            }
        }
        expect(q.connectionWriteHistoricalDataEx(connection, tags.data(), count, 1500000000, 10, 2, values) == OK,
               "write history");
        expect(q.connectionWriteBatchDataEx(connection, tags.data(), count, "W-1", 1500000000, values[0]) == OK,
               "write batch");
        for (QUELLAN2_VECTOR sample : values) q.vectorFree(sample);
    }
    void everyTagStillReads() {
        if (tags.empty()) return;
        QUELLAN2_VECTOR current = nullptr;
        expect(q.connectionReadCurrentData(connection, tags.data(), static_cast<uint32_t>(tags.size()), &current) ==
                   QUELLAN2_STATUS_OK,
               "read current after the misbehaviour");
        for (uint32_t i = 0; i < tags.size(); ++i) {
            uint32_t type = QUELLAN2_TYPE_NULL;
            q.vectorGetType(current, i, &type);
            expect(type != QUELLAN2_TYPE_NULL, "a child stopped serving after its misbehaviour");
        }
        q.vectorFree(current);
    }

    const mq::ChildExports& q;
    fs::path folder;
    std::vector<Child> children;
    QUELLAN2_CONNECTION connection = nullptr;
    std::vector<QUELLAN2_NODE> nodes;
    std::vector<QUELLAN2_TAG> tags;
};

Harness* harness = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static Harness instance;
    harness = &instance;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    harness->run(input);
    return 0;
}
