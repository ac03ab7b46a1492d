// What becomes of one configured child when MultiQuellan opens its connection.
#pragma once

#include "config/ConfigurationSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellan {

struct ChildDiagnosis {
    // The path as the library loads it: the configured one made absolute.
    std::string path;
    bool inTree = false;
    // Why the child is left out; empty when it is in the tree.
    std::string problem;
    // What the merged tree gets of it: its top-level nodes and their tags.
    std::uint64_t nodes = 0;
    std::uint64_t tags = 0;
    // Tags below the child's sub-nodes, which the two-level merged tree does not show.
    std::uint64_t hiddenTags = 0;
    std::vector<std::string> topLevelNames;
    // How long the library's start-up of the child took.
    double startSeconds = 0;
    // Malformed optional attributes, as the configuration reader words them.
    std::vector<std::string> notes;
};

// Takes the child through what MultiQuellan's open does with it, with the
// library's own code: the file exists and is readable, the library loads,
// its required functions are there, and the library's start-up of it (a
// QuellanProxy, with its worker and fault guard) succeeds; then counts what it
// adds to the tree. When the start-up fails, runs it once more step by step
// to name the failing call. Raises nothing but std::bad_alloc.
ChildDiagnosis diagnoseChild(const mq::ChildEntry& configured);

// The diagnosis as one message of the process that made it, and back.
// diagnosisFrom() raises std::out_of_range or std::invalid_argument for a
// message that is not one.
std::vector<std::string> diagnosisMessage(const ChildDiagnosis& diagnosis);
ChildDiagnosis diagnosisFrom(const std::vector<std::string>& message);


}  // namespace quellan
