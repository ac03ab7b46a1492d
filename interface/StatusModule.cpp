// The status node's entry points: a tree of one node, its tags read from the children's health.
#include "interface/StatusModule.h"

#include "data/SystemTime.h"
#include "platform/FileSystem.h"

#include <map>
#include <utility>

namespace mq {

namespace {

const char* const FIELD_NAMES[] = {"State", "Calls", "Faults", "Timeouts", "Restarts", "LastProblem", "LastCallMs"};
static_assert(sizeof FIELD_NAMES / sizeof FIELD_NAMES[0] == static_cast<std::size_t>(StatusField::COUNT));

// The module's handles: the connection is the module, the one node its
// address plus nothing else to tell, each tag a StatusModule::Tag.
const StatusModule& moduleOf(QUELLAN2_CONNECTION connection) {
    return *reinterpret_cast<const StatusModule*>(connection);
}
const StatusModule::Tag& tagOf(QUELLAN2_TAG tag) {
    return *reinterpret_cast<const StatusModule::Tag*>(tag);
}

QUELLAN2_STATUS QUELLAN2_CALL closeConnection(QUELLAN2_CONNECTION) {
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL nodeCount(QUELLAN2_CONNECTION, uint32_t* count) {
    *count = 1;
    return QUELLAN2_STATUS_OK;
}

// The node's handle is the connection's: the module.
QUELLAN2_STATUS QUELLAN2_CALL nodeAt(QUELLAN2_CONNECTION connection, uint32_t index, QUELLAN2_NODE* node) {
    if (index != 0) return QUELLAN2_STATUS_INVALID_PARAMETER;
    *node = reinterpret_cast<QUELLAN2_NODE>(connection);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL timeNow(QUELLAN2_CONNECTION, uint32_t* time) {
    *time = static_cast<uint32_t>(currentTimeSeconds());
    return QUELLAN2_STATUS_OK;
}

void setFigure(QUELLAN2_VECTOR vector, uint32_t index, const ChildHealthFigures& figures, StatusField field) {
    switch (field) {
    case StatusField::STATE: quellan2_vectorSetString(vector, index, stateName(figures.state)); return;
    case StatusField::CALLS: quellan2_vectorSetFloat(vector, index, static_cast<float>(figures.calls)); return;
    case StatusField::FAULTS: quellan2_vectorSetFloat(vector, index, static_cast<float>(figures.faults)); return;
    case StatusField::TIMEOUTS: quellan2_vectorSetFloat(vector, index, static_cast<float>(figures.timeouts)); return;
    case StatusField::RESTARTS: quellan2_vectorSetFloat(vector, index, static_cast<float>(figures.restarts)); return;
    case StatusField::LAST_PROBLEM: quellan2_vectorSetString(vector, index, figures.lastProblem.c_str()); return;
    case StatusField::LAST_CALL_MS:
        quellan2_vectorSetFloat(vector, index, static_cast<float>(figures.lastCallMs));
        return;
    case StatusField::COUNT: return;
    }
}

QUELLAN2_STATUS QUELLAN2_CALL readCurrent(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags, uint32_t count,
                                          QUELLAN2_VECTOR* result) {
    QUELLAN2_VECTOR vector = nullptr;
    if (quellan2_vectorCreate(count, &vector) != QUELLAN2_STATUS_OK) return QUELLAN2_STATUS_ERROR;
    const ChildHealth& health = moduleOf(connection).childHealth();
    // Each child's figures are copied once per read, so its tags agree with each other.
    std::map<std::size_t, ChildHealthFigures> figures;
    for (uint32_t index = 0; index < count; ++index) {
        const StatusModule::Tag& tag = tagOf(tags[index]);
        auto found = figures.find(tag.child);
        if (found == figures.end()) found = figures.emplace(tag.child, health.figures(tag.child)).first;
        setFigure(vector, index, found->second, tag.field);
    }
    *result = vector;
    return QUELLAN2_STATUS_OK;
}

// The figures have no past: the vectors (made null) are left as they are.
QUELLAN2_STATUS QUELLAN2_CALL readHistory(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, int32_t,
                                          QUELLAN2_VECTOR*) {
    return QUELLAN2_STATUS_OK;
}
QUELLAN2_STATUS QUELLAN2_CALL readHistoryEx(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, int32_t, int32_t,
                                            uint32_t, QUELLAN2_VECTOR*) {
    return QUELLAN2_STATUS_OK;
}
QUELLAN2_STATUS QUELLAN2_CALL readBatch(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, const char*,
                                        QUELLAN2_VECTOR*) {
    return QUELLAN2_STATUS_OK;
}
QUELLAN2_STATUS QUELLAN2_CALL readBatchEx(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, const char*, int32_t,
                                          QUELLAN2_VECTOR*) {
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL writeHistory(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, int32_t,
                                           QUELLAN2_VECTOR) {
    return QUELLAN2_STATUS_NOT_SUPPORTED;
}
QUELLAN2_STATUS QUELLAN2_CALL writeHistoryEx(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, int32_t, int32_t,
                                             uint32_t, const QUELLAN2_VECTOR*) {
    return QUELLAN2_STATUS_NOT_SUPPORTED;
}
QUELLAN2_STATUS QUELLAN2_CALL writeBatch(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, const char*,
                                         QUELLAN2_VECTOR) {
    return QUELLAN2_STATUS_NOT_SUPPORTED;
}
QUELLAN2_STATUS QUELLAN2_CALL writeBatchEx(QUELLAN2_CONNECTION, const QUELLAN2_TAG*, uint32_t, const char*, int32_t,
                                           QUELLAN2_VECTOR) {
    return QUELLAN2_STATUS_NOT_SUPPORTED;
}

QUELLAN2_STATUS QUELLAN2_CALL nodeName(QUELLAN2_NODE, QUELLAN2_STRING* name) {
    return quellan2_stringCreate(STATUS_NODE_NAME, name);
}

QUELLAN2_STATUS QUELLAN2_CALL nodeTagCount(QUELLAN2_NODE node, uint32_t* count) {
    *count = static_cast<uint32_t>(reinterpret_cast<const StatusModule*>(node)->tagCount());
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL nodeTagAt(QUELLAN2_NODE node, uint32_t index, QUELLAN2_TAG* tag) {
    const StatusModule& module = *reinterpret_cast<const StatusModule*>(node);
    if (index >= module.tagCount()) return QUELLAN2_STATUS_INVALID_PARAMETER;
    *tag = reinterpret_cast<QUELLAN2_TAG>(const_cast<StatusModule::Tag*>(&module.tag(index)));
    return QUELLAN2_STATUS_OK;
}

// No batches: the list is left undelivered, which the host gets as an empty one.
QUELLAN2_STATUS QUELLAN2_CALL noBatches(QUELLAN2_NODE, int32_t, int32_t, QUELLAN2_VECTOR*) {
    return QUELLAN2_STATUS_OK;
}
QUELLAN2_STATUS QUELLAN2_CALL noBatchTimes(QUELLAN2_NODE, const char*, int32_t, uint32_t*, uint32_t*) {
    return QUELLAN2_STATUS_NOT_SUPPORTED;
}

QUELLAN2_STATUS QUELLAN2_CALL tagNameOf(QUELLAN2_TAG tag, QUELLAN2_STRING* name) {
    const StatusModule::Tag& statusTag = tagOf(tag);
    return quellan2_stringCreate(statusTag.owner->tagName(statusTag).c_str(), name);
}

QUELLAN2_STATUS QUELLAN2_CALL updatedNow(QUELLAN2_TAG, uint32_t* time) {
    *time = static_cast<uint32_t>(currentTimeSeconds());
    return QUELLAN2_STATUS_OK;
}

}  // namespace

StatusModule::StatusModule(std::shared_ptr<const ChildHealth> health, std::vector<std::string> labels)
    : health(std::move(health)), labels(std::move(labels)) {
    for (std::size_t child = 0; child < this->labels.size(); ++child)
        for (std::size_t field = 0; field < static_cast<std::size_t>(StatusField::COUNT); ++field)
            tags.push_back(Tag{this, child, static_cast<StatusField>(field)});
    // Its own lock: the figures are read without one, and nothing else runs this code.
    turns = std::make_shared<std::mutex>();
    // Start-up and shut-down are the members above, not entries.
    table.connectionClose = closeConnection;
    table.connectionGetNumNodes = nodeCount;
    table.connectionGetNode = nodeAt;
    table.connectionGetCurrentTime = timeNow;
    table.connectionReadCurrentData = readCurrent;
    table.connectionReadHistoricalData = readHistory;
    table.connectionReadHistoricalDataEx = readHistoryEx;
    table.connectionReadBatchData = readBatch;
    table.connectionReadBatchDataEx = readBatchEx;
    table.connectionWriteHistoricalData = writeHistory;
    table.connectionWriteHistoricalDataEx = writeHistoryEx;
    table.connectionWriteBatchData = writeBatch;
    table.connectionWriteBatchDataEx = writeBatchEx;
    table.nodeGetName = nodeName;
    table.nodeGetNumTags = nodeTagCount;
    table.nodeGetTag = nodeTagAt;
    table.nodeGetActiveBatches = noBatches;
    table.nodeGetBatchTimes = noBatchTimes;
    table.tagGetName = tagNameOf;
    table.tagGetUpdateTime = updatedNow;
    // Its strings and vectors are this library's own.
    table.vectorCreate = quellan2_vectorCreate;
    table.vectorFree = quellan2_vectorFree;
    table.vectorGetLength = quellan2_vectorGetLength;
    table.vectorGetType = quellan2_vectorGetType;
    table.vectorSetNull = quellan2_vectorSetNull;
    table.vectorGetString = quellan2_vectorGetString;
    table.vectorSetString = quellan2_vectorSetString;
    table.vectorGetFloat = quellan2_vectorGetFloat;
    table.vectorSetFloat = quellan2_vectorSetFloat;
    table.stringCreate = quellan2_stringCreate;
    table.stringFree = quellan2_stringFree;
    table.stringCopy = quellan2_stringCopy;
}

QUELLAN2_STATUS StatusModule::getIdentity(QUELLAN2_STRING* identity) {
    return quellan2_stringCreate("MultiQuellan status", identity);
}

QUELLAN2_STATUS StatusModule::connectionOpen(const char*, QUELLAN2_CONNECTION* connection) {
    *connection = reinterpret_cast<QUELLAN2_CONNECTION>(this);
    return QUELLAN2_STATUS_OK;
}

std::string StatusModule::tagName(const Tag& tag) const {
    return labels[tag.child] + '.' + FIELD_NAMES[static_cast<std::size_t>(tag.field)];
}

std::vector<std::string> statusLabels(const std::vector<std::string>& childPaths) {
    std::vector<std::string> labels;
    std::map<std::string, int> seen;
    for (const std::string& path : childPaths) {
        std::size_t start = path.size();
        while (start > 0 && !platform::isPathSeparator(path[start - 1])) --start;
        std::string label = path.substr(start);
        const std::size_t dot = label.rfind('.');
        if (dot != std::string::npos && dot > 0) label.erase(dot);
        const int count = ++seen[label];
        labels.push_back(count == 1 ? label : label + " (" + std::to_string(count) + ")");
    }
    return labels;
}

}  // namespace mq
