#include "hosting/ChildFunctionTable.h"

#include "hosting/LibraryHandle.h"
#include "interface/Exception.h"

namespace mq {

namespace {

template <typename Entry>
void lookUpEntry(const LibraryHandle& library, const char* name, bool required, Entry& entry,
            std::vector<std::string>& missing) {
    entry = reinterpret_cast<Entry>(library.resolve(name));
    if (!entry && required) missing.emplace_back(name);
}

}  // namespace

void ChildFunctionTable::resolve(const LibraryHandle& library, const std::string& path) {
    std::vector<std::string> missing = lookUp(library);
    if (!missing.empty()) throw Exception(joinNames(missing) + " was not found in " + path + ".");
}

std::vector<std::string> ChildFunctionTable::lookUp(const LibraryHandle& library) {
    constexpr bool REQUIRED = true;
    constexpr bool OPTIONAL = false;
    std::vector<std::string> missing;
#define MQ_LOOK_UP(entry, required) lookUpEntry(library, "quellan2_" #entry, required, entry, missing)
    MQ_LOOK_UP(initialize, REQUIRED);
    MQ_LOOK_UP(uninitialize, REQUIRED);
    MQ_LOOK_UP(getIdentity, REQUIRED);
    MQ_LOOK_UP(updateConfiguration, REQUIRED);
    MQ_LOOK_UP(connectionOpen, REQUIRED);
    MQ_LOOK_UP(connectionClose, REQUIRED);
    MQ_LOOK_UP(connectionGetNumNodes, REQUIRED);
    MQ_LOOK_UP(connectionGetNode, REQUIRED);
    MQ_LOOK_UP(connectionGetCurrentTime, REQUIRED);
    MQ_LOOK_UP(connectionReadCurrentData, REQUIRED);
    MQ_LOOK_UP(connectionReadHistoricalData, REQUIRED);
    MQ_LOOK_UP(connectionReadHistoricalDataEx, OPTIONAL);
    MQ_LOOK_UP(connectionReadBatchData, REQUIRED);
    MQ_LOOK_UP(connectionReadBatchDataEx, OPTIONAL);
    MQ_LOOK_UP(connectionWriteHistoricalData, REQUIRED);
    MQ_LOOK_UP(connectionWriteHistoricalDataEx, OPTIONAL);
    MQ_LOOK_UP(connectionWriteBatchData, REQUIRED);
    MQ_LOOK_UP(connectionWriteBatchDataEx, OPTIONAL);
    MQ_LOOK_UP(nodeGetName, REQUIRED);
    MQ_LOOK_UP(nodeGetNumNodes, OPTIONAL);
    MQ_LOOK_UP(nodeGetNode, OPTIONAL);
    MQ_LOOK_UP(nodeGetNumTags, REQUIRED);
    MQ_LOOK_UP(nodeGetTag, REQUIRED);
    MQ_LOOK_UP(nodeGetActiveBatches, REQUIRED);
    MQ_LOOK_UP(nodeGetBatchTimes, REQUIRED);
    MQ_LOOK_UP(tagGetName, REQUIRED);
    MQ_LOOK_UP(tagGetUpdateTime, REQUIRED);
    MQ_LOOK_UP(vectorCreate, REQUIRED);
    MQ_LOOK_UP(vectorFree, REQUIRED);
    MQ_LOOK_UP(vectorGetLength, REQUIRED);
    MQ_LOOK_UP(vectorGetType, REQUIRED);
    MQ_LOOK_UP(vectorSetNull, REQUIRED);
    MQ_LOOK_UP(vectorGetString, REQUIRED);
    MQ_LOOK_UP(vectorSetString, REQUIRED);
    MQ_LOOK_UP(vectorGetFloat, REQUIRED);
    MQ_LOOK_UP(vectorSetFloat, REQUIRED);
    MQ_LOOK_UP(stringCreate, REQUIRED);
    MQ_LOOK_UP(stringFree, REQUIRED);
    MQ_LOOK_UP(stringCopy, REQUIRED);
#undef MQ_LOOK_UP
    return missing;
}

std::string joinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) joined += (i + 1 == names.size()) ? " and " : ", ";
        joined += names[i];
    }
    return joined;
}

}  // namespace mq
