#include "support/LoadedPlugin.h"

#include <gtest/gtest.h>

#include <vector>

namespace mq::test {

LoadedPlugin::LoadedPlugin(const std::string& path) {
    handle.load(path);
    functions.resolve(handle, path);
}

QUELLAN2_PFN_UpdateConfiguration LoadedPlugin::updateConfigurationEntry() const {
    return reinterpret_cast<QUELLAN2_PFN_UpdateConfiguration>(handle.resolve("UpdateConfiguration"));
}

std::string LoadedPlugin::take(QUELLAN2_STRING string) const {
    uint32_t length = 0;
    functions.stringCopy(string, nullptr, &length);
    std::vector<char> buffer(length + 1, '\0');
    functions.stringCopy(string, buffer.data(), &length);
    functions.stringFree(string);
    return std::string(buffer.data(), length);
}

std::vector<std::string> LoadedPlugin::topNodeNames(QUELLAN2_CONNECTION connection) const {
    uint32_t count = 0;
    EXPECT_EQ(functions.connectionGetNumNodes(connection, &count), QUELLAN2_STATUS_OK);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        QUELLAN2_NODE node = nullptr;
        QUELLAN2_STRING name = nullptr;
        EXPECT_EQ(functions.connectionGetNode(connection, i, &node), QUELLAN2_STATUS_OK);
        EXPECT_EQ(functions.nodeGetName(node, &name), QUELLAN2_STATUS_OK);
        names.push_back(take(name));
    }
    return names;
}

}  // namespace mq::test
