// The two child lists that the save test and its writer alternate between:
// long enough that a save takes a while, and told apart at a glance.
#pragma once

#include <string>
#include <vector>

namespace mq::test {

inline std::vector<std::string> childList(const std::string& folder, int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(folder + "/plug-ins & more/Child <" + std::to_string(i) + "> \"quoted\".so");
    return paths;
}
inline std::vector<std::string> oldChildList() {
    return childList("/opt/old", 3000);
}
inline std::vector<std::string> newChildList() {
    return childList("/srv/new", 4000);
}

}  // namespace mq::test
