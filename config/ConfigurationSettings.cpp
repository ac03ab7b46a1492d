// Looking up and changing the attributes of a configuration file's elements.
#include "config/ConfigurationSettings.h"

#include <algorithm>

namespace mq {

std::vector<std::string> childPaths(const ConfigurationSettings& settings) {
    std::vector<std::string> paths;
    paths.reserve(settings.children.size());
    for (const ChildEntry& child : settings.children) paths.push_back(child.path);
    return paths;
}

ConfigurationSettings settingsWithChildren(const std::vector<std::string>& paths) {
    ConfigurationSettings settings;
    settings.children.reserve(paths.size());
    for (const std::string& path : paths) settings.children.push_back(ChildEntry{path, {}});
    return settings;
}

const std::string* findAttribute(const Attributes& attributes, const std::string& name) noexcept {
    for (const Attribute& attribute : attributes) {
        if (attribute.name == name) return &attribute.value;
    }
    return nullptr;
}

void setAttribute(Attributes& attributes, const std::string& name, const std::string& value) {
    for (Attribute& attribute : attributes) {
        if (attribute.name == name) {
            attribute.value = value;
            return;
        }
    }
    attributes.push_back(Attribute{name, value});
}

void removeAttribute(Attributes& attributes, const std::string& name) noexcept {
    attributes.erase(std::remove_if(attributes.begin(), attributes.end(),
                                    [&name](const Attribute& attribute) { return attribute.name == name; }),
                     attributes.end());
}

}  // namespace mq
