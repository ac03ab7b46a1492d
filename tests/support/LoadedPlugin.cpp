// A plug-in library loaded by a test, and the string and tree helpers every such test uses.
#include "support/LoadedPlugin.h"
#include "support/TestEnvironment.h"

#include "interface/Exception.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace mq::test {

LoadedPlugin::LoadedPlugin(const std::string& path) : LoadedPlugin(path, true) {}

LoadedPlugin::LoadedPlugin(const std::string& path, AllowMissing) : LoadedPlugin(path, false) {}

LoadedPlugin::LoadedPlugin(const std::string& path, bool requireAll) {
    // The library's Exception is no standard exception: a test would report
    // it without its message.
    try {
        handle.load(path);
        if (requireAll)
            resolve(handle, path);
        else
            lookUp(handle);
    } catch (const Exception& exception) {
        throw std::runtime_error(exception.message());
    }
}

QUELLAN2_PFN_UpdateConfiguration LoadedPlugin::updateConfigurationEntry() const {
    return reinterpret_cast<QUELLAN2_PFN_UpdateConfiguration>(handle.resolve("UpdateConfiguration"));
}

std::string LoadedPlugin::take(QUELLAN2_STRING string) const {
    uint32_t length = 0;
    stringCopy(string, nullptr, &length);
    std::vector<char> buffer(length + 1, '\0');
    if (length) stringCopy(string, buffer.data(), &length);
    stringFree(string);
    return std::string(buffer.data(), length);
}

std::vector<std::string> LoadedPlugin::topNodeNames(QUELLAN2_CONNECTION connection) const {
    uint32_t count = 0;
    EXPECT_EQ(connectionGetNumNodes(connection, &count), QUELLAN2_STATUS_OK);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        QUELLAN2_NODE node = nullptr;
        QUELLAN2_STRING name = nullptr;
        EXPECT_EQ(connectionGetNode(connection, i, &node), QUELLAN2_STATUS_OK);
        EXPECT_EQ(nodeGetName(node, &name), QUELLAN2_STATUS_OK);
        names.push_back(take(name));
    }
    return names;
}

void LibraryFunctionsTest::SetUpTestSuite() {
    plugin = std::make_unique<LoadedPlugin>(libraryPath("MultiQuellan"));
}

}  // namespace mq::test
