// A plug-in library loaded by a test through the library's own loader, as a host loads it.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace mq::test {

// The library loaded with LibraryHandle and its functions looked up with
// ChildExports, so that a test calls exactly what a host would call.
// A library that cannot be loaded, or lacks a function it must have, raises
// std::runtime_error with the loader's message.
class LoadedPlugin : public ChildExports {
public:
    // Every required function must be there, as for a child the library runs.
    explicit LoadedPlugin(const std::string& path);
    // For a library that lacks functions on purpose: their entries stay null.
    struct AllowMissing {};
    LoadedPlugin(const std::string& path, AllowMissing);
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // The table, for callers that hold the plug-in by pointer: (*plugin)->initialize().
    const ChildExports& operator*() const { return *this; }
    const ChildExports* operator->() const { return this; }

    const LibraryHandle& library() const { return handle; }
    bool exports(const char* name) const { return handle.resolve(name) != nullptr; }
    QUELLAN2_PFN_UpdateConfiguration updateConfigurationEntry() const;

    // The text of a string handle of this plug-in, which is freed.
    std::string take(QUELLAN2_STRING string) const;
    // The names of the connection's top-level nodes, in order.
    std::vector<std::string> topNodeNames(QUELLAN2_CONNECTION connection) const;

private:
    LoadedPlugin(const std::string& path, bool requireAll);

    LibraryHandle handle;
};

// A suite of tests of the library's own functions: it is loaded once for all of them.
class LibraryFunctionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite() { plugin.reset(); }

    static inline std::unique_ptr<LoadedPlugin> plugin;
};

}  // namespace mq::test
