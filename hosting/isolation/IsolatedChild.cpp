// The host's side of an isolated child: its module, and the stand-ins that forward each call to its surrogate.
#include "hosting/isolation/IsolatedChild.h"

#include "hosting/ProxyTree.h"
#include "hosting/isolation/MirrorValues.h"
#include "hosting/isolation/SurrogateMessages.h"

#include <cassert>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <utility>

namespace mq {

namespace {

using surrogate::Arguments;
using surrogate::Decoder;
using surrogate::Encoder;
using surrogate::Reply;
using surrogate::Request;
using surrogate::VectorRecord;

// The index of a handle that is none: the surrogate refuses it.
constexpr std::uint64_t NO_INDEX = std::numeric_limits<std::uint64_t>::max();

IsolatedChild* childOf(QUELLAN2_CONNECTION connection) {
    return reinterpret_cast<IsolatedChild*>(connection);
}
const IsolatedNode* nodeOf(QUELLAN2_NODE node) {
    return reinterpret_cast<const IsolatedNode*>(node);
}
const IsolatedTag* tagOf(QUELLAN2_TAG tag) {
    return reinterpret_cast<const IsolatedTag*>(tag);
}
QUELLAN2_NODE toHandle(const IsolatedNode& node) {
    return reinterpret_cast<QUELLAN2_NODE>(const_cast<IsolatedNode*>(&node));
}
QUELLAN2_TAG toHandle(const IsolatedTag& tag) {
    return reinterpret_cast<QUELLAN2_TAG>(const_cast<IsolatedTag*>(&tag));
}

IsolatedNode handleFor(const surrogate::NodeRecord& record, IsolatedChild* owner) {
    IsolatedNode node{&record, owner, {}, {}};
    node.subNodes.reserve(record.subNodes.size());
    for (const surrogate::NodeRecord& subNode : record.subNodes) node.subNodes.push_back(handleFor(subNode, owner));
    node.tags.reserve(record.tags.size());
    for (const surrogate::TagRecord& tag : record.tags) node.tags.push_back({&tag, owner});
    return node;
}

// A name from the tree as a string the caller owns, or the child's refusal.
QUELLAN2_STATUS handOut(const std::optional<std::string>& name, QUELLAN2_STRING* string) {
    if (!string) return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (!name) return QUELLAN2_STATUS_ERROR;
    // Nothing may escape into the caller, a guarded call of the proxy.
    try {
        *string = toHandle(std::make_unique<MirrorString>(MirrorString{*name}));
    } catch (...) {
        return QUELLAN2_STATUS_ERROR;
    }
    return QUELLAN2_STATUS_OK;
}

// One round trip: `fill` sets the request's arguments, `apply` takes the
// reply (after the status), returning false when it makes no sense. A reply
// that makes no sense, or a failed exchange, ends the surrogate; a refused one
// (too large for either side to hold) fails this call only. Either way the
// call fails as a failing child's call does. Nothing may escape into the
// caller, which is a guarded call of the proxy.
template <typename Fill, typename Apply>
QUELLAN2_STATUS roundTrip(IsolatedChild& child, Request kind, Fill fill, Apply apply) noexcept {
    try {
        Arguments arguments;
        fill(arguments);
        Encoder request(kind);
        surrogate::encodeRequest(request, kind, arguments);
        std::string reply;
        if (!request.ok() || !child.exchange(request, reply) || reply.empty()) return QUELLAN2_STATUS_ERROR;
        Decoder in(reply);
        Reply answer;
        if (surrogate::decodeReply(in, kind, arguments, QuellanProxy::Node::MAX_DEPTH, answer) && apply(answer))
            return static_cast<QUELLAN2_STATUS>(answer.status);
        child.lose();
    } catch (...) {
        // Memory ran out while the request was built or the reply taken
        // apart, or the exchange could not begin: a whole exchange or none
        // was made, so the surrogate and this process are still in step.
    }
    return QUELLAN2_STATUS_ERROR;
}

template <typename Fill>
QUELLAN2_STATUS roundTrip(IsolatedChild& child, Request kind, Fill fill) noexcept {
    return roundTrip(child, kind, fill, [](Reply&) { return true; });
}

QUELLAN2_STATUS roundTrip(IsolatedChild& child, Request kind) noexcept {
    return roundTrip(child, kind, [](Arguments&) {});
}

// A data call's tag list may be null only when empty.
bool tagsValid(const QUELLAN2_TAG* tags, uint32_t tagCount) {
    return tags || !tagCount;
}

// A tag of the tree the handles were made for that the child's tree no
// longer has after a restart.
bool gone(QUELLAN2_TAG tag) {
    return tag && !tagOf(tag)->record;
}

// The tag list of a data call, as the surrogate's indices. Tags gone after a
// restart are left out: the surrogate knows them no more.
void setTags(Arguments& arguments, const QUELLAN2_TAG* tags, uint32_t tagCount) {
    arguments.tags.clear();
    arguments.tags.reserve(tagCount);
    for (uint32_t k = 0; k < tagCount; ++k)
        if (!gone(tags[k])) arguments.tags.push_back(tags[k] ? tagOf(tags[k])->record->index : NO_INDEX);
}

// When some of a data call's tags are gone, the positions of the others,
// whose elements a read's vector holds; none when no tag is gone.
std::optional<std::vector<uint32_t>> keptPositions(const QUELLAN2_TAG* tags, uint32_t tagCount) {
    std::optional<std::vector<uint32_t>> kept;
    for (uint32_t k = 0; k < tagCount; ++k) {
        if (!gone(tags[k])) {
            if (kept) kept->push_back(k);
        } else if (!kept) {
            kept.emplace();
            for (uint32_t before = 0; before < k; ++before) kept->push_back(before);
        }
    }
    return kept;
}

bool anyGone(const QUELLAN2_TAG* tags, uint32_t tagCount) {
    return keptPositions(tags, tagCount).has_value();
}

// A read's vector of the kept tags made one of all `tagCount` tags again: a
// gone tag's element answers as one the child refused, which reads as null.
void widen(std::optional<VectorRecord>& slot, const std::vector<uint32_t>& kept, uint32_t tagCount) {
    if (!slot) return;
    std::vector<surrogate::ElementRecord> elements(tagCount);
    for (std::size_t j = 0; j < kept.size() && j < slot->elements.size(); ++j)
        elements[kept[j]] = std::move(slot->elements[j]);
    slot->elements = std::move(elements);
    if (slot->length.written && slot->length.value == kept.size()) slot->length.value = tagCount;
}

const VectorRecord* recordOf(QUELLAN2_VECTOR vector) {
    return vector ? &mirrorOf(vector)->record : nullptr;
}

// A slot the call filled: the vector the child left in it, in a new mirror
// or in the mirror that was lent for it, or null.
void takeSlot(std::optional<VectorRecord>& delivered, QUELLAN2_VECTOR& slot) {
    if (!delivered) {
        if (slot) takeBack(std::exchange(slot, nullptr));
    } else if (slot) {
        mirrorOf(slot)->record = std::move(*delivered);
    } else {
        slot = toHandle(std::make_unique<MirrorVector>(MirrorVector{std::move(*delivered)}));
    }
}

// A read that delivers one vector of one element per tag.
template <typename Fill>
QUELLAN2_STATUS readOne(QUELLAN2_CONNECTION connection, Request kind, const QUELLAN2_TAG* tags, uint32_t tagCount,
                        Fill fill, QUELLAN2_VECTOR* result) {
    if (!connection || !result) return QUELLAN2_STATUS_INVALID_PARAMETER;
    const std::optional<std::vector<uint32_t>> kept = keptPositions(tags, tagCount);
    if (kept && kept->empty()) return QUELLAN2_STATUS_ERROR;
    return roundTrip(*childOf(connection), kind, fill, [&](Reply& reply) {
        if (kept) widen(reply.slots.front(), *kept, tagCount);
        takeSlot(reply.slots.front(), *result);
        return true;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL connectionClose(QUELLAN2_CONNECTION connection) {
    if (!connection) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return roundTrip(*childOf(connection), Request::CLOSE);
}

QUELLAN2_STATUS QUELLAN2_CALL connectionGetNumNodes(QUELLAN2_CONNECTION connection, uint32_t* count) {
    if (!connection || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
    *count = static_cast<uint32_t>(childOf(connection)->topNodes().size());
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL connectionGetNode(QUELLAN2_CONNECTION connection, uint32_t index, QUELLAN2_NODE* node) {
    if (!connection || !node || index >= childOf(connection)->topNodes().size())
        return QUELLAN2_STATUS_INVALID_PARAMETER;
    *node = toHandle(childOf(connection)->topNodes()[index]);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL connectionGetCurrentTime(QUELLAN2_CONNECTION connection, uint32_t* time) {
    if (!connection || !time) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return roundTrip(
        *childOf(connection), Request::CURRENT_TIME, [&](Arguments& arguments) { arguments.number = *time; },
        [&](Reply& reply) {
            *time = reply.number;
            return true;
        });
}

QUELLAN2_STATUS QUELLAN2_CALL connectionReadCurrentData(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                        uint32_t tagCount, QUELLAN2_VECTOR* result) {
    if (!tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return readOne(
        connection, Request::READ_CURRENT, tags, tagCount,
        [&](Arguments& arguments) { setTags(arguments, tags, tagCount); }, result);
}

QUELLAN2_STATUS QUELLAN2_CALL connectionReadHistoricalData(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                           uint32_t tagCount, int32_t time, QUELLAN2_VECTOR* result) {
    if (!tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return readOne(
        connection, Request::READ_HISTORICAL, tags, tagCount,
        [&](Arguments& arguments) {
            setTags(arguments, tags, tagCount);
            arguments.time = time;
        },
        result);
}

QUELLAN2_STATUS QUELLAN2_CALL connectionReadHistoricalDataEx(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                             uint32_t tagCount, int32_t startTime, int32_t interval,
                                                             uint32_t sampleCount, QUELLAN2_VECTOR* results) {
    if (!connection || !results || !tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    const std::optional<std::vector<uint32_t>> kept = keptPositions(tags, tagCount);
    if (kept && kept->empty()) return QUELLAN2_STATUS_ERROR;
    return roundTrip(
        *childOf(connection), Request::READ_HISTORICAL_EX,
        [&](Arguments& arguments) {
            setTags(arguments, tags, tagCount);
            arguments.time = startTime;
            arguments.interval = interval;
            arguments.number = sampleCount;
            arguments.lend.resize(sampleCount);
            // A vector to fill in place has an element per tag, gone ones too: none is lent then.
            for (uint32_t sample = 0; sample < sampleCount; ++sample)
                arguments.lend[sample] = kept ? nullptr : recordOf(results[sample]);
        },
        [&](Reply& reply) {
            for (uint32_t sample = 0; sample < sampleCount; ++sample) {
                if (kept) widen(reply.slots[sample], *kept, tagCount);
                takeSlot(reply.slots[sample], results[sample]);
            }
            return true;
        });
}

QUELLAN2_STATUS QUELLAN2_CALL connectionReadBatchData(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                      uint32_t tagCount, const char* batch, QUELLAN2_VECTOR* result) {
    if (!batch || !tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return readOne(
        connection, Request::READ_BATCH, tags, tagCount,
        [&](Arguments& arguments) {
            setTags(arguments, tags, tagCount);
            arguments.text = batch;
        },
        result);
}

QUELLAN2_STATUS QUELLAN2_CALL connectionReadBatchDataEx(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                        uint32_t tagCount, const char* batch, int32_t batchTime,
                                                        QUELLAN2_VECTOR* result) {
    if (!batch || !tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return readOne(
        connection, Request::READ_BATCH_EX, tags, tagCount,
        [&](Arguments& arguments) {
            setTags(arguments, tags, tagCount);
            arguments.text = batch;
            arguments.time = batchTime;
        },
        result);
}

QUELLAN2_STATUS QUELLAN2_CALL connectionWriteHistoricalData(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                            uint32_t tagCount, int32_t time, QUELLAN2_VECTOR values) {
    if (!connection || !tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    // A value for a tag gone after a restart has nowhere to go: the write fails as a refused one.
    if (anyGone(tags, tagCount)) return QUELLAN2_STATUS_ERROR;
    return roundTrip(*childOf(connection), Request::WRITE_HISTORICAL, [&](Arguments& arguments) {
        setTags(arguments, tags, tagCount);
        arguments.time = time;
        arguments.lend.push_back(recordOf(values));
    });
}

QUELLAN2_STATUS QUELLAN2_CALL connectionWriteHistoricalDataEx(QUELLAN2_CONNECTION connection,
                                                              const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                              int32_t startTime, int32_t interval,
                                                              uint32_t sampleCount, const QUELLAN2_VECTOR* values) {
    if (!connection || !values || !tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    // A value for a tag gone after a restart has nowhere to go: the write fails as a refused one.
    if (anyGone(tags, tagCount)) return QUELLAN2_STATUS_ERROR;
    return roundTrip(*childOf(connection), Request::WRITE_HISTORICAL_EX, [&](Arguments& arguments) {
        setTags(arguments, tags, tagCount);
        arguments.time = startTime;
        arguments.interval = interval;
        arguments.number = sampleCount;
        arguments.lend.resize(sampleCount);
        for (uint32_t sample = 0; sample < sampleCount; ++sample) arguments.lend[sample] = recordOf(values[sample]);
    });
}

QUELLAN2_STATUS QUELLAN2_CALL connectionWriteBatchData(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                       uint32_t tagCount, const char* batch, QUELLAN2_VECTOR values) {
    if (!connection || !batch || !tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    // A value for a tag gone after a restart has nowhere to go: the write fails as a refused one.
    if (anyGone(tags, tagCount)) return QUELLAN2_STATUS_ERROR;
    return roundTrip(*childOf(connection), Request::WRITE_BATCH, [&](Arguments& arguments) {
        setTags(arguments, tags, tagCount);
        arguments.text = batch;
        arguments.lend.push_back(recordOf(values));
    });
}

QUELLAN2_STATUS QUELLAN2_CALL connectionWriteBatchDataEx(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                                                         uint32_t tagCount, const char* batch, int32_t batchTime,
                                                         QUELLAN2_VECTOR values) {
    if (!connection || !batch || !tagsValid(tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    // A value for a tag gone after a restart has nowhere to go: the write fails as a refused one.
    if (anyGone(tags, tagCount)) return QUELLAN2_STATUS_ERROR;
    return roundTrip(*childOf(connection), Request::WRITE_BATCH_EX, [&](Arguments& arguments) {
        setTags(arguments, tags, tagCount);
        arguments.text = batch;
        arguments.time = batchTime;
        arguments.lend.push_back(recordOf(values));
    });
}

QUELLAN2_STATUS QUELLAN2_CALL nodeGetName(QUELLAN2_NODE node, QUELLAN2_STRING* name) {
    if (!node) return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (!nodeOf(node)->record) return QUELLAN2_STATUS_ERROR;
    return handOut(nodeOf(node)->record->name, name);
}

QUELLAN2_STATUS QUELLAN2_CALL nodeGetNumNodes(QUELLAN2_NODE node, uint32_t* count) {
    if (!node || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
    *count = static_cast<uint32_t>(nodeOf(node)->subNodes.size());
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL nodeGetNode(QUELLAN2_NODE node, uint32_t index, QUELLAN2_NODE* subNode) {
    if (!node || !subNode || index >= nodeOf(node)->subNodes.size()) return QUELLAN2_STATUS_INVALID_PARAMETER;
    *subNode = toHandle(nodeOf(node)->subNodes[index]);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL nodeGetNumTags(QUELLAN2_NODE node, uint32_t* count) {
    if (!node || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
    *count = static_cast<uint32_t>(nodeOf(node)->tags.size());
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL nodeGetTag(QUELLAN2_NODE node, uint32_t index, QUELLAN2_TAG* tag) {
    if (!node || !tag || index >= nodeOf(node)->tags.size()) return QUELLAN2_STATUS_INVALID_PARAMETER;
    *tag = toHandle(nodeOf(node)->tags[index]);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL nodeGetActiveBatches(QUELLAN2_NODE node, int32_t fromTime, int32_t toTime,
                                                   QUELLAN2_VECTOR* result) {
    if (!node || !result) return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (!nodeOf(node)->record) return QUELLAN2_STATUS_ERROR;
    return roundTrip(
        *nodeOf(node)->owner, Request::ACTIVE_BATCHES,
        [&](Arguments& arguments) {
            arguments.index = nodeOf(node)->record->index;
            arguments.time = fromTime;
            arguments.interval = toTime;
        },
        [&](Reply& reply) {
            takeSlot(reply.slots.front(), *result);
            return true;
        });
}

QUELLAN2_STATUS QUELLAN2_CALL nodeGetBatchTimes(QUELLAN2_NODE node, const char* batch, int32_t batchTime,
                                                uint32_t* startTime, uint32_t* endTime) {
    if (!node || !batch || !startTime || !endTime) return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (!nodeOf(node)->record) return QUELLAN2_STATUS_ERROR;
    return roundTrip(
        *nodeOf(node)->owner, Request::BATCH_TIMES,
        [&](Arguments& arguments) {
            arguments.index = nodeOf(node)->record->index;
            arguments.text = batch;
            arguments.time = batchTime;
            arguments.number = *startTime;
            arguments.secondNumber = *endTime;
        },
        [&](Reply& reply) {
            *startTime = reply.number;
            *endTime = reply.secondNumber;
            return true;
        });
}

QUELLAN2_STATUS QUELLAN2_CALL tagGetName(QUELLAN2_TAG tag, QUELLAN2_STRING* name) {
    if (!tag) return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (gone(tag)) return QUELLAN2_STATUS_ERROR;
    return handOut(tagOf(tag)->record->name, name);
}

QUELLAN2_STATUS QUELLAN2_CALL tagGetUpdateTime(QUELLAN2_TAG tag, uint32_t* time) {
    if (!tag || !time) return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (gone(tag)) return QUELLAN2_STATUS_ERROR;
    return roundTrip(
        *tagOf(tag)->owner, Request::UPDATE_TIME,
        [&](Arguments& arguments) {
            arguments.index = tagOf(tag)->record->index;
            arguments.number = *time;
        },
        [&](Reply& reply) {
            *time = reply.number;
            return true;
        });
}

// Every entry forwards or answers here. The start-up calls, which carry no
// handle, have no entry: they are the module's members.
ChildFunctionTable standIns() {
    ChildFunctionTable table;
    table.connectionClose = connectionClose;
    table.connectionGetNumNodes = connectionGetNumNodes;
    table.connectionGetNode = connectionGetNode;
    table.connectionGetCurrentTime = connectionGetCurrentTime;
    table.connectionReadCurrentData = connectionReadCurrentData;
    table.connectionReadHistoricalData = connectionReadHistoricalData;
    table.connectionReadHistoricalDataEx = connectionReadHistoricalDataEx;
    table.connectionReadBatchData = connectionReadBatchData;
    table.connectionReadBatchDataEx = connectionReadBatchDataEx;
    table.connectionWriteHistoricalData = connectionWriteHistoricalData;
    table.connectionWriteHistoricalDataEx = connectionWriteHistoricalDataEx;
    table.connectionWriteBatchData = connectionWriteBatchData;
    table.connectionWriteBatchDataEx = connectionWriteBatchDataEx;
    table.nodeGetName = nodeGetName;
    table.nodeGetNumNodes = nodeGetNumNodes;
    table.nodeGetNode = nodeGetNode;
    table.nodeGetNumTags = nodeGetNumTags;
    table.nodeGetTag = nodeGetTag;
    table.nodeGetActiveBatches = nodeGetActiveBatches;
    table.nodeGetBatchTimes = nodeGetBatchTimes;
    table.tagGetName = tagGetName;
    table.tagGetUpdateTime = tagGetUpdateTime;
    useMirrorValues(table);
    // Every entry of the table is set here; load() clears the optional ones
    // the child lacks.
#define MQ_TABLE_FUNCTION(name, required) assert(table.name != nullptr);
#include "hosting/ChildFunctions.def"
    return table;
}

}  // namespace

std::vector<IsolatedNode> handlesFor(const std::vector<surrogate::NodeRecord>& top, IsolatedChild* owner) {
    std::vector<IsolatedNode> nodes;
    nodes.reserve(top.size());
    for (const surrogate::NodeRecord& node : top) nodes.push_back(handleFor(node, owner));
    return nodes;
}

namespace {

// For each record of `origin`, the record of `fresh` with the same name among
// its siblings, the k-th of a repeated name for the k-th; null where `fresh`
// has none (or is none: its parent is gone).
template <typename Record>
std::vector<const Record*> matchByName(const std::vector<Record>& origin, const std::vector<Record>* fresh) {
    std::vector<const Record*> matched(origin.size(), nullptr);
    if (!fresh) return matched;
    std::map<std::optional<std::string>, std::vector<const Record*>> named;
    for (const Record& record : *fresh) named[record.name].push_back(&record);
    std::map<std::optional<std::string>, std::size_t> taken;
    for (std::size_t k = 0; k < origin.size(); ++k) {
        const auto found = named.find(origin[k].name);
        if (found == named.end()) continue;
        std::size_t& next = taken[origin[k].name];
        if (next < found->second.size()) matched[k] = found->second[next];
        ++next;
    }
    return matched;
}

// Points the handles made for `origin` at the records of `fresh` with the
// same path of names. A node or tag that `fresh` lacks keeps its handle,
// which then stands for nothing.
void repoint(std::vector<IsolatedNode>& handles, const std::vector<surrogate::NodeRecord>& origin,
             const std::vector<surrogate::NodeRecord>* fresh) {
    const std::vector<const surrogate::NodeRecord*> matched = matchByName(origin, fresh);
    for (std::size_t k = 0; k < handles.size() && k < origin.size(); ++k) {
        IsolatedNode& node = handles[k];
        node.record = matched[k];
        repoint(node.subNodes, origin[k].subNodes, node.record ? &node.record->subNodes : nullptr);
        const std::vector<const surrogate::TagRecord*> tags =
            matchByName(origin[k].tags, node.record ? &node.record->tags : nullptr);
        for (std::size_t t = 0; t < node.tags.size() && t < tags.size(); ++t) node.tags[t].record = tags[t];
    }
}

}  // namespace

IsolatedChild::IsolatedChild(std::string path, surrogate::Limits limits)
    : IsolatedChild(std::move(path), limits, MQ_SURROGATE_PROGRAM) {}

IsolatedChild::IsolatedChild(std::string path, surrogate::Limits limits, std::string surrogateProgram)
    : libraryPath(std::move(path)), link(limits, std::move(surrogateProgram)) {
    table = standIns();
    // Each surrogate is a process of its own: nothing to share a turn with.
    turns = std::make_shared<std::mutex>();
}

bool IsolatedChild::load(std::string& reason) {
    reason.clear();
    if (!link.start()) return false;

    Arguments arguments;
    arguments.text = libraryPath;
    arguments.number = link.messageLimits().frameBytes;
    Encoder request(Request::LOAD);
    surrogate::encodeRequest(request, Request::LOAD, arguments);
    std::string reply;
    if (!exchange(request, reply)) return false;
    Decoder in(reply);
    Reply answer;
    if (!surrogate::decodeReply(in, Request::LOAD, arguments, QuellanProxy::Node::MAX_DEPTH, answer)) {
        lose();
        return false;
    }
    if (!answer.loaded) {
        reason = std::move(answer.reason);
        return false;
    }
    const std::uint64_t present = answer.present;
    // The optional functions the child lacks are lacking here too. The bits
    // count every function of the list, start-up calls included.
    unsigned entry = 0;
#define MQ_TABLE_FUNCTION(name, required) \
    if (!required && !((present >> entry) & 1) && table.name) table.name = nullptr; \
    ++entry;
#define MQ_START_UP_FUNCTION(name) ++entry;
#include "hosting/ChildFunctions.def"
    return true;
}

QUELLAN2_STATUS IsolatedChild::initialize() {
    std::string reason;
    if (!load(reason)) {
        lose();
        return QUELLAN2_STATUS_ERROR;
    }
    return roundTrip(*this, Request::INITIALIZE);
}

QUELLAN2_STATUS IsolatedChild::uninitialize() {
    return roundTrip(*this, Request::UNINITIALIZE);
}

QUELLAN2_STATUS IsolatedChild::getIdentity(QUELLAN2_STRING* identity) {
    if (!identity) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return roundTrip(*this, Request::GET_IDENTITY, [](Arguments&) {}, [&](Reply& reply) {
        if (reply.text) *identity = toHandle(std::make_unique<MirrorString>(MirrorString{std::move(*reply.text)}));
        return true;
    });
}

QUELLAN2_STATUS IsolatedChild::connectionOpen(const char* connectionText, QUELLAN2_CONNECTION* connection) {
    if (!connectionText || !connection) return QUELLAN2_STATUS_INVALID_PARAMETER;
    bool opened = false;
    const QUELLAN2_STATUS status = roundTrip(
        *this, Request::OPEN, [&](Arguments& arguments) { arguments.text = connectionText; },
        [&](Reply& reply) {
            // The tree follows an open that succeeded.
            if (!reply.tree) return true;
            opened = true;
            if (handedOut) {
                followTree(std::move(reply.top));
                return true;
            }
            nodes.clear();
            tree = std::move(reply.top);
            nodes = handlesFor(tree, this);
            handedOut = true;
            return true;
        });
    if (status != QUELLAN2_STATUS_OK) return status;
    if (!opened) return QUELLAN2_STATUS_ERROR;
    *connection = reinterpret_cast<QUELLAN2_CONNECTION>(this);
    return status;
}

bool IsolatedChild::abandon() noexcept {
    lose();
    return true;
}

bool IsolatedChild::renew() {
    link.renew();
    return true;
}

void IsolatedChild::followTree(std::vector<surrogate::NodeRecord> fresh) {
    // The handles stand for the first tree's nodes and tags for the whole
    // connection, so they are matched by its names each time.
    if (!firstTree) firstTree = std::move(tree);
    repoint(nodes, *firstTree, &fresh);
    // Only now may the last tree go: no handle points into it any more.
    tree = std::move(fresh);
}

}  // namespace mq
