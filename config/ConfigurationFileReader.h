// Reading the child list from the configuration file.
#pragma once

#include <string>
#include <vector>

namespace mq {

// The "path" attributes of the "quellan" elements under the first top-level
// "settings" element, in document order. An element without the attribute
// is skipped; an empty attribute gives an empty entry. A file that is
// missing, unreadable or not a well-formed document, a path the platform
// cannot take, and running out of memory all give an empty list.
std::vector<std::string> readConfigurationFile(const std::string& path) noexcept;

}  // namespace mq
