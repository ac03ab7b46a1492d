// What the benchmark programs share: MultiQuellan and SimQuellan copies loaded
// as a host loads them, the children's plans and the configuration file.
#pragma once

#include "config/DataFolder.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"
#include "platform/DynamicLibrary.h"
#include "quellan2.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace mqbench {

namespace fs = std::filesystem;

inline const fs::path& scratch() {
    static const fs::path folder = fs::temp_directory_path() / ("mq-bench-" + std::to_string(::getpid()));
    return folder;
}

inline fs::path programFolder() {
    return fs::path(mq::platform::executablePath()).parent_path();
}

// A loaded plug-in, MultiQuellan or a child, through the library's own loader.
struct Plugin : mq::ChildExports {
    explicit Plugin(const fs::path& path) {
        std::string error;
        if (!library.tryLoad(path.string(), error))
            throw std::runtime_error("cannot load " + path.string() + ": " + error);
        lookUp(library);
    }
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    std::string text(QUELLAN2_STRING string) const {
        uint32_t length = 0;
        stringCopy(string, nullptr, &length);
        std::string buffer(length, '\0');
        stringCopy(string, buffer.data(), &length);
        stringFree(string);
        return buffer;
    }

    // What a host does with a read's answer: every value taken out, the vector
    // given back. Gives the number of floats.
    uint32_t takeValues(QUELLAN2_VECTOR vector, uint32_t length) const {
        uint32_t floats = 0;
        for (uint32_t k = 0; k < length; ++k) {
            uint32_t type = QUELLAN2_TYPE_NULL;
            float value = 0.0f;
            vectorGetType(vector, k, &type);
            if (type == QUELLAN2_TYPE_FLOAT && vectorGetFloat(vector, k, &value) == QUELLAN2_STATUS_OK) ++floats;
        }
        vectorFree(vector);
        return floats;
    }

    mq::LibraryHandle library;
};

inline Plugin& multiQuellan() {
    static Plugin plugin(programFolder() / ("MultiQuellan" MQ_LIBRARY_SUFFIX));
    return plugin;
}

// A child: a copy of a SimQuellan variant under its own name, with a sidecar
// that makes `nodes` nodes of `tagsPerNode` constant float tags. Made once per
// name, since a library still mapped must not be rewritten.
struct ChildPlan {
    std::string name;
    std::string variant;
    uint32_t nodes;
    uint32_t tagsPerNode;
    // Further sidecar lines (the "sleep" controls of a slow child).
    std::string lines = "";
    // The configuration's timeout attribute; empty for none.
    std::string timeout = "";
    // Run in a surrogate process of its own (isolation="process").
    bool isolated = false;
    // Started again when its surrogate ends (restart="true").
    bool restart = false;
    uint64_t tags() const { return uint64_t(nodes) * tagsPerNode; }
};

// The same child, run in a surrogate process of its own.
inline ChildPlan isolated(ChildPlan plan) {
    plan.isolated = true;
    return plan;
}

inline fs::path childFile(const ChildPlan& plan) {
    static std::map<std::string, fs::path> made;
    auto found = made.find(plan.name);
    if (found != made.end()) return found->second;
    const fs::path library = scratch() / (plan.name + MQ_LIBRARY_SUFFIX);
    fs::copy_file(programFolder() / (plan.variant + MQ_LIBRARY_SUFFIX), library, fs::copy_options::overwrite_existing);
    std::ofstream(scratch() / (plan.name + ".sim")) << "clock 1700000000\njournal off\ngrid N " << plan.nodes << " "
                                                    << plan.tagsPerNode << " float base=1.5\n"
                                                    << plan.lines;
    return made[plan.name] = library;
}

// A child called directly, as a host without MultiQuellan would: loaded,
// initialised and connected once for the whole run.
struct DirectChild {
    explicit DirectChild(const ChildPlan& plan) : plugin(childFile(plan)) {
        plugin.initialize();
        plugin.connectionOpen("", &connection);
    }
    Plugin plugin;
    QUELLAN2_CONNECTION connection = nullptr;
};

inline DirectChild& direct(const ChildPlan& plan) {
    static std::map<std::string, std::unique_ptr<DirectChild>> children;
    std::unique_ptr<DirectChild>& child = children[plan.name];
    if (!child) child = std::make_unique<DirectChild>(plan);
    return *child;
}

// The file MultiQuellan reads at its open, in the machine folder (on Linux the
// one that XDG_CONFIG_DIRS names, which main() sets).
inline fs::path configurationFile() {
    return fs::path(mq::dataFolder()) / "MultiQuellanConfiguration.xml";
}

// `settings`: more attributes of the settings element, as written (` status="true"`).
inline void writeConfiguration(const std::vector<ChildPlan>& children, bool parallel = false,
                        const std::string& settings = "") {
    std::ofstream file(configurationFile());
    file << "<?xml version=\"1.0\" ?>\n<settings" << (parallel ? " parallel=\"true\"" : "") << settings << ">\n";
    for (const ChildPlan& child : children) {
        file << "    <quellan path=\"" << childFile(child).string() << "\"";
        if (!child.timeout.empty()) file << " timeout=\"" << child.timeout << "\"";
        if (child.isolated) file << " isolation=\"process\"";
        if (child.restart) file << " restart=\"true\"";
        file << " />\n";
    }
    file << "</settings>\n";
}

}  // namespace mqbench
