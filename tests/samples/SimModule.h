// A SimQuellan library loaded through the real loader, with its interface
// functions resolved and small helpers to call them.
#pragma once

#include "quellan2.h"
#include "support/SimChild.h"

#include <string>
#include <vector>

namespace mq::test {

class SimModule {
public:
    explicit SimModule(const std::string& path);
    ~SimModule();
    SimModule(const SimModule&) = delete;
    SimModule& operator=(const SimModule&) = delete;

    bool loaded() const { return module != nullptr; }
    bool exports(const char* name) const;

    template <class Function>
    Function get(const char* name) const {
        return reinterpret_cast<Function>(platform::findSymbol(module, name));
    }

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

    QUELLAN2_PFN_initialize initialize = nullptr;
    QUELLAN2_PFN_uninitialize uninitialize = nullptr;
    QUELLAN2_PFN_getIdentity getIdentity = nullptr;
    QUELLAN2_PFN_updateConfiguration updateConfiguration = nullptr;
    QUELLAN2_PFN_connectionOpen connectionOpen = nullptr;
    QUELLAN2_PFN_connectionClose connectionClose = nullptr;
    QUELLAN2_PFN_connectionGetNumNodes connectionGetNumNodes = nullptr;
    QUELLAN2_PFN_connectionGetNode connectionGetNode = nullptr;
    QUELLAN2_PFN_connectionGetCurrentTime connectionGetCurrentTime = nullptr;
    QUELLAN2_PFN_connectionReadCurrentData readCurrent = nullptr;
    QUELLAN2_PFN_connectionReadHistoricalData readHistorical = nullptr;
    QUELLAN2_PFN_connectionReadHistoricalDataEx readHistoricalEx = nullptr;
    QUELLAN2_PFN_connectionReadBatchData readBatch = nullptr;
    QUELLAN2_PFN_connectionReadBatchDataEx readBatchEx = nullptr;
    QUELLAN2_PFN_connectionWriteHistoricalData writeHistorical = nullptr;
    QUELLAN2_PFN_connectionWriteHistoricalDataEx writeHistoricalEx = nullptr;
    QUELLAN2_PFN_connectionWriteBatchData writeBatch = nullptr;
    QUELLAN2_PFN_connectionWriteBatchDataEx writeBatchEx = nullptr;
    QUELLAN2_PFN_nodeGetName nodeGetName = nullptr;
    QUELLAN2_PFN_nodeGetNumNodes nodeGetNumNodes = nullptr;
    QUELLAN2_PFN_nodeGetNode nodeGetNode = nullptr;
    QUELLAN2_PFN_nodeGetNumTags nodeGetNumTags = nullptr;
    QUELLAN2_PFN_nodeGetTag nodeGetTag = nullptr;
    QUELLAN2_PFN_nodeGetActiveBatches nodeGetActiveBatches = nullptr;
    QUELLAN2_PFN_nodeGetBatchTimes nodeGetBatchTimes = nullptr;
    QUELLAN2_PFN_tagGetName tagGetName = nullptr;
    QUELLAN2_PFN_tagGetUpdateTime tagGetUpdateTime = nullptr;
    QUELLAN2_PFN_vectorCreate vectorCreate = nullptr;
    QUELLAN2_PFN_vectorFree vectorFree = nullptr;
    QUELLAN2_PFN_vectorGetLength vectorGetLength = nullptr;
    QUELLAN2_PFN_vectorGetType vectorGetType = nullptr;
    QUELLAN2_PFN_vectorSetNull vectorSetNull = nullptr;
    QUELLAN2_PFN_vectorGetString vectorGetString = nullptr;
    QUELLAN2_PFN_vectorSetString vectorSetString = nullptr;
    QUELLAN2_PFN_vectorGetFloat vectorGetFloat = nullptr;
    QUELLAN2_PFN_vectorSetFloat vectorSetFloat = nullptr;
    QUELLAN2_PFN_stringCreate stringCreate = nullptr;
    QUELLAN2_PFN_stringFree stringFree = nullptr;
    QUELLAN2_PFN_stringCopy stringCopy = nullptr;

private:
    platform::ModuleHandle module = nullptr;
};

// The 39 interface names a child may export, in the host's table order.
extern const char* const CHILD_FUNCTION_NAMES[39];

}  // namespace mq::test
