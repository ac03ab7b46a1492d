// The library's identity text.
#pragma once

#include <string>

namespace mq {

// How the identity text begins, whatever the build.
constexpr const char* IDENTITY_PREFIX = "MultiQuellan (";

// IDENTITY_PREFIX, the build's date and time, ")", as quellan2_getIdentity
// returns it and as the configuration process's message boxes show it.
const std::string& identityText();

}  // namespace mq
