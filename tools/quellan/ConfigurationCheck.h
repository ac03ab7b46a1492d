// What the tool finds in a configuration file's names and its children's files without loading any child.
#pragma once

#include "config/ConfigurationSettings.h"
#include "config/TrustedConfiguration.h"

#include <string>
#include <vector>

namespace quellan {

// A problem keeps the file from doing what it says; a warning is right for
// some hosts and not for others (a privileged one); a note says what the
// library will make of it.
enum class Severity { PROBLEM, WARNING, NOTE };

struct Finding {
    Severity severity;
    std::string text;
};

// The trust rule's facts for a host that runs with administrators' rights,
// whatever this process has: what such a host would refuse.
const mq::TrustFacts& privilegedHost();

// "problem", "warning", "note".
const char* describe(Severity severity);

// The known name that `name` was probably meant to be: the same letters in
// another case, or at most two letters added, dropped or changed (one for a
// name of four letters or fewer). Empty when none is that near.
std::string nearestName(const std::string& name, const std::vector<std::string>& known);

// "unknown attribute isolaton=\"process\"; did you mean isolation?"
std::string unknownAttribute(const mq::Attribute& attribute, const std::vector<std::string>& known);

// One text per attribute the library does not read, in file order.
std::vector<std::string> unknownAttributes(const mq::Attributes& attributes, const std::vector<std::string>& known);

// What the host's open makes of the child's configured path, read from its
// file without loading it, in the library's order: the path (relative: what
// it names from this folder, and a privileged host's refusal), the file
// (exists, readable), its format and processor, the surrogate that serves
// it, and the required functions in its export table.
std::vector<Finding> childFileFindings(const std::string& configuredPath);

}  // namespace quellan
