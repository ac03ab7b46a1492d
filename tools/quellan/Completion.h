// The bash completion of quellan, made from the command table.
#pragma once

#include <string>

namespace quellan {

// A bash script that defines the completion of quellan's commands, options
// and their values: file names after the options whose value is a PATH or
// FILE and for such operands, command names for help's operand, and the
// words of an operand such as install|remove.
std::string bashCompletion();

}  // namespace quellan
