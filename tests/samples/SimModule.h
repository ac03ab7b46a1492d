// A SimQuellan library loaded through the real loader, with its interface
// functions resolved and small helpers to call them.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"
#include "quellan2.h"
#include "support/SimChild.h"

#include <string>
#include <vector>

namespace mq::test {

class SimModule : public ChildFunctionTable {
public:
    explicit SimModule(const std::string& path);
    SimModule(const SimModule&) = delete;
    SimModule& operator=(const SimModule&) = delete;

    bool loaded() const { return library.loaded(); }
    bool exports(const char* name) const;


    // initialize, then connectionOpen; null when either fails.
    QUELLAN2_CONNECTION open();
    // The string's text, freeing the string.
    std::string text(QUELLAN2_STRING string);
    // The vector's elements, freeing the vector.
    std::vector<SimValue> values(QUELLAN2_VECTOR vector);
    QUELLAN2_VECTOR makeVector(const std::vector<SimValue>& values);
    // The top-level node, or sub-node when `parent` is given, with that name.
    QUELLAN2_NODE node(QUELLAN2_CONNECTION connection, const std::string& name);
    QUELLAN2_NODE subNode(QUELLAN2_NODE parent, const std::string& name);
    QUELLAN2_TAG tag(QUELLAN2_NODE node, const std::string& name);
    std::vector<std::string> nodeNames(QUELLAN2_CONNECTION connection);
    std::vector<std::string> subNodeNames(QUELLAN2_NODE node);
    std::vector<std::string> tagNames(QUELLAN2_NODE node);

private:
    LibraryHandle library;
};

// The 39 interface names a child may export, in the host's table order.
extern const char* const CHILD_FUNCTION_NAMES[39];

}  // namespace mq::test
