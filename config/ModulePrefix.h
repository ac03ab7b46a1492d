// The module prefix: the first part of the configuration file's name.
#pragma once

namespace mq {

// The prefix that the configuration loader sets.
constexpr const char* MODULE_NAME = "MultiQuellan";

// Empty from the moment the library is loaded until the configuration is
// first loaded, MODULE_NAME from then on.
const char* modulePrefix() noexcept;

// `prefix` must live as long as the library: the text is kept, not copied.
void setModulePrefix(const char* prefix) noexcept;

}  // namespace mq
