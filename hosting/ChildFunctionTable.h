// The entry points of one child library, and the list of the functions it may export.
#pragma once

#include "quellan2.h"

#include <string>
#include <vector>

namespace mq {

class LibraryHandle;

// The exported name of a function of the list.
#define MQ_CHILD_FUNCTION_NAME(entry) "quellan2_" #entry

// One function of the list in hosting/ChildFunctions.def.
struct ChildFunction {
    const char* name;
    bool required;
};

// The same list as data, in its order: for callers that go through the names
// rather than the entries.
inline constexpr ChildFunction CHILD_FUNCTIONS[] = {
#define MQ_CHILD_FUNCTION(entry, required) {MQ_CHILD_FUNCTION_NAME(entry), required},
#include "hosting/ChildFunctions.def"
};

// The functions of the data path: the calls on a connection, its nodes and
// tags, and on the strings and vectors the child hands out. The six optional
// ones stay null when the child lacks them. A child module's table
// (ChildModule::functions()) holds these alone: the start-up calls have no
// entry here, so none can be made through it.
struct ChildFunctionTable {
#define MQ_TABLE_FUNCTION(entry, required) QUELLAN2_PFN_##entry entry = nullptr;
#include "hosting/ChildFunctions.def"
};

// Every function a child library may export: the data path's table and the
// start-up calls, which a loaded child's module and the callers that drive a
// library themselves (the configuration, the tools) make directly.
struct ChildExports : ChildFunctionTable {
#define MQ_START_UP_FUNCTION(entry) QUELLAN2_PFN_##entry entry = nullptr;
#include "hosting/ChildFunctions.def"

    // Looks up every entry in the library. Raises Exception
    // "%s was not found in %s." naming every missing required function.
    void resolve(const LibraryHandle& library, const std::string& path);

    // Looks up every entry and returns the required names the library lacks,
    // in the list's order, without refusing it.
    std::vector<std::string> lookUp(const LibraryHandle& library);
};

// "a", "a and b", "a, b and c": the list of missing names in that message.
std::string joinNames(const std::vector<std::string>& names);

// "a and b was not found in PATH.": the loader's message for the required functions a library lacks.
std::string missingFunctions(const std::vector<std::string>& names, const std::string& path);

// Loads `path` into `library` and resolves `exports` from it. Empty when both
// succeed; otherwise why not, as `quellan children` says it of a child in
// process or in its surrogate alike: "not a loadable library (the system's
// reason)", or resolve()'s message.
std::string loadChild(LibraryHandle& library, ChildExports& exports, const std::string& path);

}  // namespace mq
