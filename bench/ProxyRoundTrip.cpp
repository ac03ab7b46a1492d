// One call through a child's worker thread against the floor for any design
// with a worker per child: a bare condition-variable hand-off to another
// thread and back. Both run in the same process, one after the other.
#include "hosting/ProxyTree.h"
#include "hosting/QuellanProxy.h"
#include "platform/DynamicLibrary.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace {

namespace fs = std::filesystem;

// A SimQuellan copy with a fixed clock and no journal worth keeping.
std::string prepareChild() {
    const fs::path folder = fs::temp_directory_path() / "mq-bench-round-trip";
    fs::create_directories(folder);
    const fs::path library = folder / ("Bench" MQ_LIBRARY_SUFFIX);
    fs::copy_file(fs::path(mq::platform::executablePath()).parent_path() / ("SimQuellan" MQ_LIBRARY_SUFFIX), library,
                  fs::copy_options::overwrite_existing);
    std::ofstream(folder / "Bench.sim") << "clock 1700000000\njournal /dev/null\nnode N\ntag N T float base=1\n";
    return library.string();
}

void proxyRoundTrip(benchmark::State& state) {
    // Prepared once: a library still mapped must not be rewritten in place.
    static const std::string child = prepareChild();
    mq::QuellanProxy proxy(child, "");
    uint32_t time = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(proxy.connectionGetCurrentTime(&time));
    }
}
BENCHMARK(proxyRoundTrip)->UseRealTime();

void bareHandOff(benchmark::State& state) {
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
BENCHMARK(bareHandOff)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
