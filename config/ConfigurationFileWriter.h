// Writing the settings and the child list to the configuration file.
#pragma once

#include "config/ConfigurationSettings.h"

#include <string>
#include <vector>

namespace mq {

// Writes the declaration, the "settings" root with its attributes and one
// "quellan" element per child, in order: "path" first, then the child's other
// attributes in order; with the platform's line ends. A file whose elements
// carry no attribute but "path" is laid out as it always was. The file is
// replaced in one step: on any failure (false) the old file is left as it
// was. Also false for a path the platform cannot take, a value holding a zero
// byte, an attribute name XML cannot carry, and when memory runs out.
// On failure `why`, where given, says in words why the file was not written.
bool writeConfigurationFile(const std::string& path, const ConfigurationSettings& settings,
                            std::string* why = nullptr) noexcept;

// Where a save that keeps the previous file puts it: beside it, the same name
// with ".bak" appended.
std::string configurationBackupPath(const std::string& path);

// First keeps the file as it is at configurationBackupPath(path), with the
// owner and permissions a save gives, then writes as above. False, with the
// file as it was, when the backup cannot be kept or the write fails.
bool writeConfigurationFileKeepingBackup(const std::string& path, const ConfigurationSettings& settings,
                                         std::string* why = nullptr) noexcept;

// Children with their paths only.
bool writeConfigurationFile(const std::string& path, const std::vector<std::string>& childPaths) noexcept;

}  // namespace mq
