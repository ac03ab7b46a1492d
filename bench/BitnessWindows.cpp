// What serving a child in the 32-bit surrogate costs against the same child in
// the 64-bit one, under Windows (wine): both sides in one configuration of the
// real MultiQuellan, timed in the same iterations, the side that goes first
// changing every iteration. Prints each side's median and their ratio, one
// row a measure, for scripts/bench. Google Benchmark is not built for this
// target, so the timing is this program's own.
#include "BenchPlugins.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <optional>

namespace {

using namespace mqbench;
using Clock = std::chrono::steady_clock;

constexpr uint32_t CHILDREN = 4;
constexpr uint32_t TAGS = 100000;
constexpr uint32_t TAGS_PER_NODE = 1000;
constexpr int ITERATIONS = 30;
// One-tag reads are timed in blocks: one read is near the clock's resolution under wine.
constexpr int ONE_TAG_READS = 500;

const char* const NARROW_VARIANT = "SimQuellan32";

// The 100,000 tags' children of one side, and its one-tag child; every child isolated.
std::vector<ChildPlan> sideChildren(const std::string& name, const std::string& variant) {
    std::vector<ChildPlan> children;
    for (uint32_t j = 0; j < CHILDREN; ++j)
        children.push_back(isolated({name + std::to_string(j), variant, TAGS / CHILDREN / TAGS_PER_NODE, TAGS_PER_NODE}));
    return children;
}

QUELLAN2_TAG tagNumber(uint64_t number) {
    return reinterpret_cast<QUELLAN2_TAG>(uintptr_t(number));
}

// The host's list of one side's 100,000 tags, whose numbers begin after
// `before`: tags of all its children in turn.
std::vector<QUELLAN2_TAG> spreadTags(uint64_t before) {
    const uint32_t perChild = TAGS / CHILDREN;
    std::vector<QUELLAN2_TAG> tags;
    for (uint32_t i = 0; i < TAGS; ++i) tags.push_back(tagNumber(before + (i % CHILDREN) * perChild + i / CHILDREN + 1));
    return tags;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double microseconds(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Each side's median time per unit and the ratio, narrow over wide.
void compare(const char* what, const std::function<void()>& narrow, const std::function<void()>& wide,
             double units, const char* unit, double target) {
    std::vector<double> narrowTimes, wideTimes;
    for (int k = 0; k < ITERATIONS; ++k) {
        if (k % 2 == 0) {
            narrowTimes.push_back(microseconds(narrow) / units);
            wideTimes.push_back(microseconds(wide) / units);
        } else {
            wideTimes.push_back(microseconds(wide) / units);
            narrowTimes.push_back(microseconds(narrow) / units);
        }
    }
    const double n = median(narrowTimes), w = median(wideTimes);
    const double scale = std::string(unit) == "ms" ? 1e-3 : 1.0;
    std::printf("%s | %.2f %s | %.2f %s | %.2f | <= %.1f | %s\n", what, n * scale, unit, w * scale, unit, n / w, target,
                n / w <= target ? "yes" : "NO");
}

// The configuration file as it was before this run, put back at its end.
struct KeptConfiguration {
    KeptConfiguration() : path(configurationFile()) {
        std::ifstream in(path, std::ios::binary);
        if (in) bytes.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ~KeptConfiguration() {
        std::error_code ignored;
        if (bytes)
            std::ofstream(path, std::ios::binary) << *bytes;
        else
            fs::remove(path, ignored);
    }
    fs::path path;
    std::optional<std::string> bytes;
};

void run() {
    const std::vector<ChildPlan> wide = sideChildren("Wide", "SimQuellan");
    const std::vector<ChildPlan> narrow = sideChildren("Narrow", NARROW_VARIANT);
    std::vector<ChildPlan> all = wide;
    all.insert(all.end(), narrow.begin(), narrow.end());
    all.push_back(isolated({"WideOne", "SimQuellan", 1, 1}));
    all.push_back(isolated({"NarrowOne", NARROW_VARIANT, 1, 1}));
    writeConfiguration(all);

    Plugin& plugin = multiQuellan();
    QUELLAN2_CONNECTION connection = nullptr;
    if (plugin.connectionOpen("", &connection) != QUELLAN2_STATUS_OK) throw std::runtime_error("MultiQuellan did not open");
    const std::vector<QUELLAN2_TAG> wideTags = spreadTags(0), narrowTags = spreadTags(TAGS);
    const QUELLAN2_TAG wideOne = tagNumber(2 * uint64_t(TAGS) + 1), narrowOne = tagNumber(2 * uint64_t(TAGS) + 2);

    const auto readAll = [&](const std::vector<QUELLAN2_TAG>& tags) {
        QUELLAN2_VECTOR values = nullptr;
        const auto count = uint32_t(tags.size());
        plugin.connectionReadCurrentData(connection, tags.data(), count, &values);
        if (plugin.takeValues(values, count) != count) throw std::runtime_error("values missing");
    };
    const auto readOne = [&](QUELLAN2_TAG tag) {
        for (int k = 0; k < ONE_TAG_READS; ++k) {
            QUELLAN2_VECTOR values = nullptr;
            plugin.connectionReadCurrentData(connection, &tag, 1, &values);
            if (plugin.takeValues(values, 1) != 1) throw std::runtime_error("no value");
        }
    };
    // Once each before timing: the first read of a child pays for more than the read.
    readAll(wideTags);
    readAll(narrowTags);
    readOne(wideOne);
    readOne(narrowOne);

    std::printf("measure | 32-bit isolated | 64-bit isolated | ratio | target | met\n");
    compare("read 100000 tags over 4 children", [&] { readAll(narrowTags); }, [&] { readAll(wideTags); }, 1, "ms",
            1.2);
    compare("one-tag current read", [&] { readOne(narrowOne); }, [&] { readOne(wideOne); }, ONE_TAG_READS, "us", 1.2);
    std::printf("(medians of %d iterations, wall-clock time, both sides in every iteration)\n", ITERATIONS);
    plugin.connectionClose(connection);
}

}  // namespace

int main() {
    int status = 0;
    fs::create_directories(scratch());
    {
        const KeptConfiguration kept;
        try {
            multiQuellan();
            run();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            status = 1;
        }
    }
    std::error_code ignored;
    fs::remove_all(scratch(), ignored);
    return status;
}
