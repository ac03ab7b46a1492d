#include "support/LoadedPlugin.h"

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

}  // namespace mq::test
