// A plug-in library loaded by a test, as a host loads it.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"

#include <string>
#include <vector>

namespace mq::test {

// Loads the library through the real loader and resolves the interface
// functions, so that a test calls exactly what a host would call.
class LoadedPlugin {
public:
    explicit LoadedPlugin(const std::string& path);

    const ChildFunctionTable& operator*() const { return functions; }
    const ChildFunctionTable* operator->() const { return &functions; }
    QUELLAN2_PFN_UpdateConfiguration updateConfigurationEntry() const;
    const LibraryHandle& library() const { return handle; }

    // The text of a string handle of this plug-in, which is freed.
    std::string take(QUELLAN2_STRING string) const;
    // The names of the connection's top-level nodes, in order.
    std::vector<std::string> topNodeNames(QUELLAN2_CONNECTION connection) const;

private:
    LibraryHandle handle;
    ChildFunctionTable functions;
};

}  // namespace mq::test
