// The entry points of one child library.
#pragma once

#include "quellan2.h"

#include <string>
#include <vector>

namespace mq {

class LibraryHandle;

// The 39 interface functions a child may export, in lookup order. The six
// optional ones (the four extended data functions and the two sub-node
// functions) stay null when the child lacks them.
struct ChildFunctionTable {
    QUELLAN2_PFN_initialize initialize = nullptr;
    QUELLAN2_PFN_uninitialize uninitialize = nullptr;
    QUELLAN2_PFN_getIdentity getIdentity = nullptr;
    QUELLAN2_PFN_updateConfiguration updateConfiguration = nullptr;
    QUELLAN2_PFN_connectionOpen connectionOpen = nullptr;
    QUELLAN2_PFN_connectionClose connectionClose = nullptr;
    QUELLAN2_PFN_connectionGetNumNodes connectionGetNumNodes = nullptr;
    QUELLAN2_PFN_connectionGetNode connectionGetNode = nullptr;
    QUELLAN2_PFN_connectionGetCurrentTime connectionGetCurrentTime = nullptr;
    QUELLAN2_PFN_connectionReadCurrentData connectionReadCurrentData = nullptr;
    QUELLAN2_PFN_connectionReadHistoricalData connectionReadHistoricalData = nullptr;
    QUELLAN2_PFN_connectionReadHistoricalDataEx connectionReadHistoricalDataEx = nullptr;
    QUELLAN2_PFN_connectionReadBatchData connectionReadBatchData = nullptr;
    QUELLAN2_PFN_connectionReadBatchDataEx connectionReadBatchDataEx = nullptr;
    QUELLAN2_PFN_connectionWriteHistoricalData connectionWriteHistoricalData = nullptr;
    QUELLAN2_PFN_connectionWriteHistoricalDataEx connectionWriteHistoricalDataEx = nullptr;
    QUELLAN2_PFN_connectionWriteBatchData connectionWriteBatchData = nullptr;
    QUELLAN2_PFN_connectionWriteBatchDataEx connectionWriteBatchDataEx = nullptr;
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

    // Looks up every entry in the library. Raises Exception
    // "%s was not found in %s." naming every missing required function.
    void resolve(const LibraryHandle& library, const std::string& path);

    // Looks up every entry and returns the required names the library lacks,
    // in table order, without refusing it.
    std::vector<std::string> lookUp(const LibraryHandle& library);
};

// "a", "a and b", "a, b and c": the list of missing names in that message.
std::string joinNames(const std::vector<std::string>& names);

}  // namespace mq
