// Reading the sidecar file line by line into the plant and the behaviour script.
#include "samples/simquellan/Sidecar.h"

namespace simquellan {

const char* const DEFAULT_SIDECAR = R"(# A small plant for a library without a sidecar.
node Area1 Area 1
tag Area1 Temperature float base=20 amplitude=5 period=3600 noise=0.2
tag Area1 State string states=Running,Idle,Cleaning dwell=900
node Area1/Pump1 Pump 1
tag Area1/Pump1 Flow float base=120 amplitude=15 period=600 noise=1
batch Area1 B-0001 1600000000 1600003600
node Area2 Area 2
tag Area2 Pressure float base=3.2 amplitude=0.4 period=1800
)";

namespace {

// The text after the first `skip` words, trimmed.
std::string restAfter(const std::string& line, std::size_t skip) {
    std::size_t position = 0;
    for (std::size_t word = 0; word < skip; ++word) {
        position = line.find_first_not_of(" \t", position);
        if (position == std::string::npos) return {};
        position = line.find_first_of(" \t", position);
        if (position == std::string::npos) return {};
    }
    std::size_t start = line.find_first_not_of(" \t", position);
    if (start == std::string::npos) return {};
    std::size_t end = line.find_last_not_of(" \t\r");
    return line.substr(start, end - start + 1);
}

// `grid PREFIX NODES TAGS TYPE [OPTIONS]`: NODES top-level nodes PREFIX1 to
// PREFIX<NODES>, each with TAGS tags T1 to T<TAGS> of one signal. Large trees
// for benchmarks, without a line per tag to read.
bool grid(const std::vector<std::string>& words, Plant& plant, std::string& error) {
    constexpr std::int64_t MAX_GRID_TAGS = 100000000;
    std::int64_t nodeCount = 0, tagCount = 0;
    if (!parseInteger(words[2], nodeCount) || !parseInteger(words[3], tagCount) || nodeCount < 1 || tagCount < 0 ||
        nodeCount * tagCount > MAX_GRID_TAGS) {
        error = "bad grid size '" + words[2] + " " + words[3] + "'";
        return false;
    }
    Signal signal;
    if (!parseSignal(words[4], std::vector<std::string>(words.begin() + 5, words.end()), signal, error)) return false;
    std::vector<std::string> tagNames;
    for (std::int64_t t = 1; t <= tagCount; ++t) tagNames.push_back("T" + std::to_string(t));
    for (std::int64_t n = 1; n <= nodeCount; ++n) {
        const std::string path = words[1] + std::to_string(n);
        if (!plant.addNode(path, "", error)) return false;
        const std::size_t node = *plant.findNode(path);
        plant.nodes[node].tags.reserve(static_cast<std::size_t>(tagCount));
        for (const std::string& name : tagNames) {
            plant.tags.push_back(Tag{name, node, signal});
            plant.nodes[node].tags.push_back(plant.tags.size() - 1);
        }
    }
    return true;
}

bool time(const std::string& text, std::int64_t& value, std::string& error) {
    if (parseInteger(text, value)) return true;
    error = "bad time '" + text + "'";
    return false;
}

}  // namespace

bool applyLine(const std::string& line, Plant& plant, Behaviour& behaviour, std::string& error) {
    std::vector<std::string> words = splitWords(line);
    if (words.empty() || words[0][0] == '#') return true;
    const std::string& keyword = words[0];
    auto expect = [&](std::size_t count) {
        if (words.size() >= count) return true;
        error = "'" + keyword + "' needs " + std::to_string(count - 1) + " fields";
        return false;
    };
    if (keyword == "identity") {
        plant.identity = restAfter(line, 1);
        return true;
    }
    if (keyword == "configuration") {
        plant.configuration = restAfter(line, 1);
        return true;
    }
    if (keyword == "journal") {
        if (!expect(2)) return false;
        plant.journalFile = restAfter(line, 1);
        return true;
    }
    if (keyword == "clock") {
        if (!expect(2)) return false;
        if (words[1] == "real") {
            plant.fixedClock.reset();
            return true;
        }
        std::int64_t seconds = 0;
        if (!time(words[1], seconds, error)) return false;
        plant.fixedClock = seconds;
        return true;
    }
    if (keyword == "node") return expect(2) && plant.addNode(words[1], restAfter(line, 2), error);
    if (keyword == "link") return expect(3) && plant.link(words[1], words[2], error);
    if (keyword == "chain") {
        std::int64_t count = 0;
        if (!expect(3)) return false;
        if (!parseInteger(words[2], count) || count < 1 || count > 100000) {
            error = "bad chain length '" + words[2] + "'";
            return false;
        }
        return plant.chain(words[1], count, error);
    }
    if (keyword == "grid") return expect(5) && grid(words, plant, error);
    if (keyword == "tag") {
        if (!expect(4)) return false;
        Signal signal;
        std::vector<std::string> options(words.begin() + 4, words.end());
        return parseSignal(words[3], options, signal, error) && plant.addTag(words[1], words[2], signal, error);
    }
    if (keyword == "batch") {
        Batch batch;
        if (!expect(5) || !time(words[3], batch.start, error) || !time(words[4], batch.end, error)) return false;
        batch.id = words[2];
        return plant.addBatch(words[1], batch, error);
    }
    bool known = false;
    if (behaviour.addRule(words, known, error)) return true;
    if (!known) error = "unknown keyword '" + keyword + "'";
    return false;
}

}  // namespace simquellan
