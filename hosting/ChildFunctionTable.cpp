// Resolving a child's function table and naming what it lacks.
#include "hosting/ChildFunctionTable.h"

#include "hosting/LibraryHandle.h"
#include "interface/Exception.h"

namespace mq {

namespace {

template <typename Entry>
void lookUpEntry(const LibraryHandle& library, const char* name, bool required, Entry& entry,
                 std::vector<std::string>& missing) {
    entry = reinterpret_cast<Entry>(library.resolve(name));
    if (!entry && required) missing.emplace_back(name);
}

}  // namespace

void ChildExports::resolve(const LibraryHandle& library, const std::string& path) {
    std::vector<std::string> missing = lookUp(library);
    if (!missing.empty()) throw Exception(missingFunctions(missing, path));
}

std::string missingFunctions(const std::vector<std::string>& names, const std::string& path) {
    return joinNames(names) + " was not found in " + path + ".";
}

std::string loadChild(LibraryHandle& library, ChildExports& exports, const std::string& path) {
    std::string reason;
    if (!library.tryLoad(path, reason)) return "not a loadable library (" + reason + ")";
    try {
        exports.resolve(library, path);
    } catch (const Exception& missing) {
        return missing.message();
    }
    return {};
}

std::vector<std::string> ChildExports::lookUp(const LibraryHandle& library) {
    std::vector<std::string> missing;
#define MQ_CHILD_FUNCTION(entry, required) \
    lookUpEntry(library, MQ_CHILD_FUNCTION_NAME(entry), required, entry, missing);
#include "hosting/ChildFunctions.def"
    return missing;
}

std::string joinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) joined += (i + 1 == names.size()) ? " and " : ", ";
        joined += names[i];
    }
    return joined;
}

}  // namespace mq
