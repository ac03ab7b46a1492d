// What a configuration file says: the settings' attributes and the children with theirs.
#pragma once

#include <string>
#include <vector>

namespace mq {

// The file's root element, its child elements and the attribute each of them must have.
constexpr const char* SETTINGS_ELEMENT = "settings";
constexpr const char* CHILD_ELEMENT = "quellan";
constexpr const char* PATH_ATTRIBUTE = "path";

// An attribute as the file gives it, after XML unescaping.
struct Attribute {
    std::string name;
    std::string value;
    bool operator==(const Attribute& other) const { return name == other.name && value == other.value; }
};

using Attributes = std::vector<Attribute>;

// One "quellan" element. Attributes the library does not know are kept too,
// so that whatever rewrites the file writes them back.
struct ChildEntry {
    std::string path;
    // Every attribute but "path", in file order.
    Attributes attributes;
    bool operator==(const ChildEntry& other) const { return path == other.path && attributes == other.attributes; }
};

struct ConfigurationSettings {
    // The attributes of the "settings" element, in file order.
    Attributes attributes;
    // In file order; a child's position is its child index.
    std::vector<ChildEntry> children;
    bool operator==(const ConfigurationSettings& other) const {
        return attributes == other.attributes && children == other.children;
    }
};

// The children's paths, in order.
std::vector<std::string> childPaths(const ConfigurationSettings& settings);

// Settings with these children and no attributes.
ConfigurationSettings settingsWithChildren(const std::vector<std::string>& paths);

// The value of the attribute called `name`, or null when there is none.
const std::string* findAttribute(const Attributes& attributes, const std::string& name) noexcept;

// Sets the attribute called `name`, in its place when it exists, at the end otherwise.
void setAttribute(Attributes& attributes, const std::string& name, const std::string& value);

// Removes the attribute called `name`, if there is one.
void removeAttribute(Attributes& attributes, const std::string& name) noexcept;

}  // namespace mq
