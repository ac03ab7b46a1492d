// The loaded module's state: reading the sidecar at initialise and the test controls.
#include "samples/simquellan/Simulator.h"

#include "platform/DynamicLibrary.h"
#include "samples/simquellan/Sidecar.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace simquellan {

Value State::valueAt(const Tag& tag, std::int64_t time) const {
    // A plant that was never written to need not build the lookup key.
    if (!history.empty()) {
        auto written = history.find({plant.tagKey(tag), time});
        if (written != history.end()) return written->second;
    }
    if (tag.signal.isString) return stringValue(tag.signal, tag.name, time);
    return floatValue(tag.signal, tag.name, time);
}

Value State::batchValue(const Tag& tag, const std::string& batch) const {
    auto written = batchValues.find({plant.tagKey(tag), batch});
    if (written != batchValues.end()) return written->second;
    const Batch* known = plant.findBatch(plant.nodes[tag.node], batch);
    if (!known) return std::monostate();
    return valueAt(tag, known->end);
}

Simulator& Simulator::instance() {
    static Simulator simulator;
    return simulator;
}

void Simulator::reload() {
    std::lock_guard<std::mutex> lock(mutex);
    load();
}

void Simulator::load() {
    // A failure here must not leave through an interface function: the
    // plant then stays empty, and the calls that follow say so.
    try {
        loadSidecar();
    } catch (...) {
        state.plant = Plant();
        state.sidecarRules.clear();
    }
    loaded = true;
}

void Simulator::loadSidecar() {
    // The sidecar is the library file with the extension ".sim", so that
    // copies of the library under other names are independent plants.
    fs::path library(mq::platform::thisModulePath());
    fs::path sidecar = fs::path(library).replace_extension(".sim");
    std::string text;
    std::ifstream in(sidecar, std::ios::binary);
    if (in) {
        std::ostringstream bytes;
        bytes << in.rdbuf();
        text = bytes.str();
    } else {
        text = DEFAULT_SIDECAR;
    }

    state.plant = Plant();
    state.plant.identity = "SimQuellan simulated plant (" + library.stem().string() + ")";
    state.sidecarRules.clear();
    std::vector<std::string> problems;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::string error;
        if (!applyLine(line, state.plant, state.sidecarRules, error))
            problems.push_back("sidecar line " + std::to_string(number) + " ignored: " + error);
    }
    Behaviour unused;
    for (const std::string& runtimeLine : state.runtimePlantLines) {
        std::string error;
        applyLine(runtimeLine, state.plant, unused, error);
    }

    fs::path journal = state.plant.journalFile.empty() ? fs::path(library).replace_extension(".journal")
                                                       : fs::path(state.plant.journalFile);
    if (journal.is_relative()) journal = sidecar.parent_path() / journal;
    journalFile.setPath(state.plant.journalFile == JOURNAL_OFF ? std::string() : journal.string());
    for (const std::string& problem : problems) journalFile.note(problem);
}

std::uint32_t Simulator::control(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!loaded) load();
    std::vector<std::string> words = splitWords(line);
    if (words.empty() || words[0][0] == '#') return QUELLAN2_STATUS_OK;
    if (words.size() == 1 && words[0] == "reset") {
        state.runtimeRules.clear();
        state.runtimePlantLines.clear();
        state.script.clear();
        load();
        return QUELLAN2_STATUS_OK;
    }
    if (words[0] == "script") {
        if (words.size() > 2 || !state.script.set(words.size() == 2 ? words[1] : std::string()))
            return QUELLAN2_STATUS_INVALID_PARAMETER;
        return QUELLAN2_STATUS_OK;
    }
    std::string error;
    bool known = false;
    if (state.runtimeRules.addRule(words, known, error)) return QUELLAN2_STATUS_OK;
    if (known) return QUELLAN2_STATUS_INVALID_PARAMETER;
    // Plant lines apply now and again after every reload.
    Behaviour unused;
    if (!applyLine(line, state.plant, unused, error)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    state.runtimePlantLines.push_back(line);
    if (words[0] == "journal") load();
    return QUELLAN2_STATUS_OK;
}

Intercept Simulator::intercept(const std::string& function) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!loaded) load();
    Intercept result;
    state.sidecarRules.intercept(function, result);
    state.runtimeRules.intercept(function, result);
    state.script.intercept(function, result);
    return result;
}

}  // namespace simquellan
