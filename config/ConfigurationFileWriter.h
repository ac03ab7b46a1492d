// Writing the child list to the configuration file.
#pragma once

#include <string>
#include <vector>

namespace mq {

// Writes the declaration, the "settings" root and one "quellan" element with
// a "path" attribute per child, in order, with the platform's line ends. The
// file is replaced in one step: on any failure (false) the old file is left
// as it was. Also false for a path the platform cannot take, a child path
// holding a zero byte, and when memory runs out.
bool writeConfigurationFile(const std::string& path, const std::vector<std::string>& childPaths) noexcept;

}  // namespace mq
