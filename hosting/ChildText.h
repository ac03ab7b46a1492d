// Reading the text of a string that a child handed over, and giving the string back.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "quellan2.h"

#include <string>

namespace mq {

// The text up to its first zero byte, read through the child's stringCopy
// (the length, then the bytes); the string is freed through the child's
// stringFree whatever the child answered. Empty when the child will not tell
// the length. Every call is guarded.
std::string childText(const ChildFunctionTable& functions, QUELLAN2_STRING string);

}  // namespace mq
