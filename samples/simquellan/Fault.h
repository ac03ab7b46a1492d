// The faults that a test control can raise in a call, and the word that names
// each in a control line and in the journal.
#pragma once

#include <string>

namespace simquellan {

enum class Fault { NONE, ACCESS_VIOLATION, DIVIDE_BY_ZERO, THROW, CAUGHT, STACK_OVERFLOW, ABORT, EXIT, HEAP };

// The word of a fault ("access"); "none" for NONE.
const char* faultWord(Fault fault);

// The fault that `word` names; false for a word that names none.
bool faultNamed(const std::string& word, Fault& fault);

// Every word, for a message: "access, divide, ... or heap".
std::string faultWords();

}  // namespace simquellan
