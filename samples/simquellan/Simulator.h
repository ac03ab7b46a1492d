// The state of the loaded module: the plant read from the sidecar, the test
// controls, the values written by hosts, the open connections and the journal.
#pragma once

#include "samples/simquellan/Behaviour.h"
#include "samples/simquellan/Journal.h"
#include "samples/simquellan/Objects.h"
#include "samples/simquellan/Plant.h"
#include "samples/simquellan/Script.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace simquellan {

struct State {
    Plant plant;
    Behaviour sidecarRules;
    // Controls given at run time outlive reloads of the sidecar.
    Behaviour runtimeRules;
    std::vector<std::string> runtimePlantLines;
    // Given at run time with "script HEX"; also outlives reloads.
    Script script;
    // Written values by tag key and time or batch; kept across reloads.
    std::map<std::pair<std::string, std::int64_t>, Value> history;
    std::map<std::pair<std::string, std::string>, Value> batchValues;
    std::set<std::uintptr_t> connections;
    std::uintptr_t lastConnection = 0;

    bool refuses(const std::string& function, const std::string& subject) const {
        return sidecarRules.refuses(function, subject) || runtimeRules.refuses(function, subject);
    }
    Value valueAt(const Tag& tag, std::int64_t time) const;
    Value batchValue(const Tag& tag, const std::string& batch) const;
};

class Simulator {
public:
    static Simulator& instance();

    // Reads the sidecar again (at each initialize) and replays run-time lines.
    void reload();
    // Applies one sidecar line at run time; 0, or 2 for a line that cannot be applied.
    std::uint32_t control(const std::string& line);

    // Runs `body(State&)` under the lock, reading the sidecar first if that
    // has not happened yet.
    template <class Body>
    auto withState(Body&& body) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!loaded) load();
        return body(state);
    }

    Intercept intercept(const std::string& function);
    Journal& journal() { return journalFile; }

private:
    void load();
    void loadSidecar();

    std::mutex mutex;
    bool loaded = false;
    State state;
    Journal journalFile;
};

}  // namespace simquellan
