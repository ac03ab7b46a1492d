// The table of per-module locks, by module handle.
#include "hosting/ModuleLocks.h"

#include <map>

namespace mq {

std::shared_ptr<std::mutex> moduleLock(platform::ModuleHandle module) {
    static std::mutex tableMutex;
    static std::map<platform::ModuleHandle, std::weak_ptr<std::mutex>> table;
    std::lock_guard<std::mutex> lock(tableMutex);
    // Entries of modules gone are dropped as the table is visited.
    for (auto entry = table.begin(); entry != table.end();)
        entry = entry->second.expired() ? table.erase(entry) : std::next(entry);
    std::shared_ptr<std::mutex> shared = table[module].lock();
    if (!shared) {
        shared = std::make_shared<std::mutex>();
        table[module] = shared;
    }
    return shared;
}

}  // namespace mq
