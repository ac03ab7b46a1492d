// Serving one child in the surrogate: each request run on the child through the fault guard, each answer described.
#include "hosting/isolation/SurrogateServer.h"

#include "hosting/ChildText.h"
#include "hosting/GuardedCall.h"
#include "hosting/ProxyTree.h"
#include "interface/Identity.h"
#include "interface/OutValues.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <iterator>
#include <utility>

namespace mq::surrogate {

namespace {

// An out value is preset to see whether the child wrote it; a child that
// writes exactly the preset is taken not to have written.

// The answer to a query with one number out: `call` makes the query,
// through the guard or inside a guarded run, with the out value's address.
template <typename Call>
Answer<std::uint32_t> askNumber(Call call) {
    std::uint32_t value = UNWRITTEN_NUMBER;
    Answer<std::uint32_t> answer;
    answer.status = call(&value);
    answer.written = value != UNWRITTEN_NUMBER;
    if (answer.written) answer.value = value;
    return answer;
}

template <typename Call>
Answer<std::uint32_t> askFloat(Call call) {
    float value;
    std::memcpy(&value, &UNWRITTEN_FLOAT_BITS, sizeof value);
    Answer<std::uint32_t> answer;
    answer.status = call(&value);
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    answer.written = bits != UNWRITTEN_FLOAT_BITS;
    if (answer.written) answer.value = bits;
    return answer;
}

}  // namespace

VectorRecord Server::describe(QUELLAN2_VECTOR vector, std::uint32_t elements, bool lengthDecides) const {
    VectorRecord record;
    record.length =
        askNumber([&](std::uint32_t* length) { return guardedCall(functions.vectorGetLength, vector, length); });
    if (lengthDecides) {
        const bool told = record.length.status == QUELLAN2_STATUS_OK && record.length.written;
        elements = told ? std::min(record.length.value, MAX_LIST_ELEMENTS) : 0;
    }
    record.elements.resize(elements);
    // A faulting query's answer stays a refusal; a string's text is taken
    // outside the guard.
    const auto step = [&](std::uint32_t k) {
        ElementRecord& element = record.elements[k];
        element.type = askNumber([&](std::uint32_t* type) { return functions.vectorGetType(vector, k, type); });
        if (element.type.written && element.type.value == QUELLAN2_TYPE_STRING) return false;
        if (element.type.written && element.type.value == QUELLAN2_TYPE_FLOAT)
            element.floatBits = askFloat([&](float* value) { return functions.vectorGetFloat(vector, k, value); });
        return true;
    };
    guardedEach(elements, step, [&](std::uint32_t k) {
        ElementRecord& element = record.elements[k];
        QUELLAN2_STRING string = nullptr;
        element.stringStatus = guardedCall(functions.vectorGetString, vector, k, &string);
        // A reader takes the text only of a string handed over with success.
        if (string) {
            std::string text = childText(functions, string);
            if (element.stringStatus == QUELLAN2_STATUS_OK) element.text = std::move(text);
        }
    });
    return record;
}

std::optional<VectorRecord> Server::take(QUELLAN2_VECTOR vector, std::uint32_t elements, bool lengthDecides) const {
    if (!vector) return std::nullopt;
    std::optional<VectorRecord> record = describe(vector, elements, lengthDecides);
    giveBack(vector);
    return record;
}

void Server::giveBack(QUELLAN2_VECTOR vector) const {
    if (vector) guardedCall(functions.vectorFree, vector);
}

QUELLAN2_VECTOR Server::materialize(const std::optional<VectorRecord>& lent) const {
    if (!lent) return nullptr;
    QUELLAN2_VECTOR vector = nullptr;
    const auto length = static_cast<std::uint32_t>(lent->elements.size());
    if (guardedCall(functions.vectorCreate, length, &vector) != QUELLAN2_STATUS_OK) return vector;
    for (std::uint32_t k = 0; k < length; ++k) {
        const ElementRecord& element = lent->elements[k];
        if (element.type.value == QUELLAN2_TYPE_FLOAT) {
            float value;
            std::memcpy(&value, &element.floatBits.value, sizeof value);
            guardedCall(functions.vectorSetFloat, vector, k, value);
        } else if (element.type.value == QUELLAN2_TYPE_STRING && element.text) {
            guardedCall(functions.vectorSetString, vector, k, element.text->c_str());
        }
    }
    return vector;
}

bool Server::tagHandles(const std::vector<std::uint64_t>& indices, std::vector<QUELLAN2_TAG>& list) const {
    list.resize(indices.size());
    for (std::size_t k = 0; k < indices.size(); ++k) {
        if (indices[k] >= tags.size()) return false;
        list[k] = tags[static_cast<std::size_t>(indices[k])];
    }
    return true;
}

NodeRecord Server::describeNode(QuellanProxy::Node& node) {
    NodeRecord record;
    record.index = nodes.size();
    nodes.push_back(node.handle);
    if (node.name) record.name = childText(functions, std::exchange(node.name, nullptr));
    record.subNodes.reserve(node.subNodes.size());
    for (const auto& subNode : node.subNodes) record.subNodes.push_back(describeNode(*subNode));
    record.tags.resize(node.nodeTags.size());
    for (std::size_t k = 0; k < node.nodeTags.size(); ++k) {
        QuellanProxy::Tag& tag = *node.nodeTags[k];
        record.tags[k].index = tags.size();
        tags.push_back(tag.handle);
        if (tag.name) record.tags[k].name = childText(functions, std::exchange(tag.name, nullptr));
    }
    return record;
}

bool Server::onLOAD(const Arguments& arguments, Reply& reply) {
    const std::uint32_t frames = arguments.number;
    if (loaded || frames == 0 || frames > MAX_FRAME_BYTES) return false;
    replyFrameBytes = frames;
    if (std::string problem = loadChild(library, functions, arguments.text); !problem.empty()) {
        reply.loaded = false;
        reply.reason = std::move(problem);
        reply.present = 0;
        return true;
    }
    loaded = true;
    std::uint64_t present = 0;
    unsigned entry = 0;
#define MQ_CHILD_FUNCTION(name, required) \
    if (functions.name) present |= std::uint64_t(1) << entry; \
    ++entry;
#include "hosting/ChildFunctions.def"
    reply.loaded = true;
    reply.present = present;
    return true;
}

bool Server::onOPEN(const Arguments& arguments, Reply& reply) {
    if (opened) return false;
    // MultiQuellan (under any file name) would read the same configuration
    // and start this child again in a surrogate of its own, without end.
    const bool multiplexer = identity.rfind(IDENTITY_PREFIX, 0) == 0;
    const QUELLAN2_STATUS status =
        multiplexer ? QUELLAN2_STATUS_ERROR
                    : guardedCall(functions.connectionOpen, arguments.text.c_str(), &connection);
    reply.status = status;
    if (status != QUELLAN2_STATUS_OK) return true;
    opened = true;
    // The host's own tree reader, on the child's own functions: the same
    // calls in the same order as in the host, and the same limits.
    QuellanProxy::Connection tree(functions, connection);
    reply.top.reserve(tree.topNodes.size());
    for (const auto& node : tree.topNodes) reply.top.push_back(describeNode(*node));
    reply.tree = true;
    return true;
}

bool Server::handle(const std::string& request, Encoder& out) {
    // One handler per request, in the order of the kinds: a request added to
    // the list without its handler does not compile.
    using Handler = bool (Server::*)(const Arguments&, Reply&);
    static constexpr Handler HANDLERS[] = {
        nullptr,  // NONE
#define MQ_SURROGATE_REQUEST(kind) &Server::on##kind,
#include "hosting/isolation/SurrogateRequests.def"
    };
    static_assert(std::size(HANDLERS) == static_cast<std::size_t>(Request::END), "one handler per request");

    Decoder in(request);
    const std::uint8_t kind = in.u8();
    if (!in.ok() || kind == 0 || kind > static_cast<std::uint8_t>(Request::LAST)) return false;
    const auto what = static_cast<Request>(kind);
    // The load comes first; everything but the start-up calls is a call on
    // the open connection, its nodes or its tags.
    const bool startUp = what == Request::OPEN || what == Request::INITIALIZE || what == Request::UNINITIALIZE ||
                         what == Request::GET_IDENTITY;
    if (what != Request::LOAD && (!loaded || (!startUp && !opened))) return false;
    Arguments arguments;
    if (!decodeRequest(in, what, arguments)) return false;
    Reply reply;
    if (!(this->*HANDLERS[kind])(arguments, reply)) return false;
    encodeReply(out, what, reply);
    return true;
}

bool Server::onINITIALIZE(const Arguments&, Reply& reply) {
    reply.status = guardedCall(functions.initialize);
    return true;
}

bool Server::onUNINITIALIZE(const Arguments&, Reply& reply) {
    reply.status = guardedCall(functions.uninitialize);
    return true;
}

bool Server::onGET_IDENTITY(const Arguments&, Reply& reply) {
    QUELLAN2_STRING handed = nullptr;
    const QUELLAN2_STATUS status = guardedCall(functions.getIdentity, &handed);
    reply.status = status;
    std::optional<std::string> text;
    if (handed) text = childText(functions, handed);
    if (status != QUELLAN2_STATUS_OK) text.reset();
    identity = text.value_or(std::string());
    reply.text = std::move(text);
    return true;
}

bool Server::onCLOSE(const Arguments&, Reply& reply) {
    reply.status = guardedCall(functions.connectionClose, connection);
    opened = false;
    return true;
}

bool Server::onCURRENT_TIME(const Arguments& arguments, Reply& reply) {
    std::uint32_t time = arguments.number;
    reply.status = guardedCall(functions.connectionGetCurrentTime, connection, &time);
    reply.number = time;
    return true;
}

bool Server::read(Request what, const Arguments& arguments, Reply& reply) {
    std::vector<QUELLAN2_TAG> list;
    if (!tagHandles(arguments.tags, list)) return false;
    const auto count = static_cast<std::uint32_t>(list.size());
    const std::int32_t time = arguments.time;
    const char* batch = arguments.text.c_str();
    if (what == Request::READ_BATCH_EX && !functions.connectionReadBatchDataEx) return false;
    QUELLAN2_VECTOR result = nullptr;
    QUELLAN2_STATUS status = QUELLAN2_STATUS_ERROR;
    if (what == Request::READ_CURRENT)
        status = guardedCall(functions.connectionReadCurrentData, connection, list.data(), count, &result);
    else if (what == Request::READ_HISTORICAL)
        status = guardedCall(functions.connectionReadHistoricalData, connection, list.data(), count, time, &result);
    else if (what == Request::READ_BATCH)
        status = guardedCall(functions.connectionReadBatchData, connection, list.data(), count, batch, &result);
    else
        status = guardedCall(functions.connectionReadBatchDataEx, connection, list.data(), count, batch, time, &result);
    reply.status = status;
    reply.slots.push_back(take(result, count));
    return true;
}

bool Server::onREAD_CURRENT(const Arguments& arguments, Reply& reply) {
    return read(Request::READ_CURRENT, arguments, reply);
}

bool Server::onREAD_HISTORICAL(const Arguments& arguments, Reply& reply) {
    return read(Request::READ_HISTORICAL, arguments, reply);
}

bool Server::onREAD_BATCH(const Arguments& arguments, Reply& reply) {
    return read(Request::READ_BATCH, arguments, reply);
}

bool Server::onREAD_BATCH_EX(const Arguments& arguments, Reply& reply) {
    return read(Request::READ_BATCH_EX, arguments, reply);
}

bool Server::historicalEx(bool reading, const Arguments& arguments, Reply& reply) {
    std::vector<QUELLAN2_TAG> list;
    if (!tagHandles(arguments.tags, list)) return false;
    const auto count = static_cast<std::uint32_t>(list.size());
    const std::uint32_t samples = arguments.number;
    if (reading ? !functions.connectionReadHistoricalDataEx : !functions.connectionWriteHistoricalDataEx) return false;
    std::vector<QUELLAN2_VECTOR> slots(samples, nullptr);
    for (std::uint32_t k = 0; k < samples; ++k) slots[k] = materialize(arguments.lent[k]);
    const QUELLAN2_STATUS status =
        reading ? guardedCall(functions.connectionReadHistoricalDataEx, connection, list.data(), count, arguments.time,
                              arguments.interval, samples, slots.data())
                : guardedCall(functions.connectionWriteHistoricalDataEx, connection, list.data(), count, arguments.time,
                              arguments.interval, samples, static_cast<const QUELLAN2_VECTOR*>(slots.data()));
    reply.status = status;
    for (QUELLAN2_VECTOR slot : slots) {
        if (reading)
            reply.slots.push_back(take(slot, count));
        else
            giveBack(slot);
    }
    return true;
}

bool Server::onREAD_HISTORICAL_EX(const Arguments& arguments, Reply& reply) {
    return historicalEx(true, arguments, reply);
}

bool Server::onWRITE_HISTORICAL_EX(const Arguments& arguments, Reply& reply) {
    return historicalEx(false, arguments, reply);
}

bool Server::write(Request what, const Arguments& arguments, Reply& reply) {
    std::vector<QUELLAN2_TAG> list;
    if (!tagHandles(arguments.tags, list)) return false;
    const auto count = static_cast<std::uint32_t>(list.size());
    const std::int32_t time = arguments.time;
    const char* batch = arguments.text.c_str();
    if (what == Request::WRITE_BATCH_EX && !functions.connectionWriteBatchDataEx) return false;
    QUELLAN2_VECTOR values = materialize(arguments.lent.front());
    QUELLAN2_STATUS status = QUELLAN2_STATUS_ERROR;
    if (what == Request::WRITE_HISTORICAL)
        status = guardedCall(functions.connectionWriteHistoricalData, connection, list.data(), count, time, values);
    else if (what == Request::WRITE_BATCH)
        status = guardedCall(functions.connectionWriteBatchData, connection, list.data(), count, batch, values);
    else
        status = guardedCall(functions.connectionWriteBatchDataEx, connection, list.data(), count, batch, time, values);
    giveBack(values);
    reply.status = status;
    return true;
}

bool Server::onWRITE_HISTORICAL(const Arguments& arguments, Reply& reply) {
    return write(Request::WRITE_HISTORICAL, arguments, reply);
}

bool Server::onWRITE_BATCH(const Arguments& arguments, Reply& reply) {
    return write(Request::WRITE_BATCH, arguments, reply);
}

bool Server::onWRITE_BATCH_EX(const Arguments& arguments, Reply& reply) {
    return write(Request::WRITE_BATCH_EX, arguments, reply);
}

bool Server::onACTIVE_BATCHES(const Arguments& arguments, Reply& reply) {
    if (arguments.index >= nodes.size()) return false;
    const QUELLAN2_NODE node = nodes[static_cast<std::size_t>(arguments.index)];
    QUELLAN2_VECTOR result = nullptr;
    reply.status = guardedCall(functions.nodeGetActiveBatches, node, arguments.time, arguments.interval, &result);
    reply.slots.push_back(take(result, 0, true));
    return true;
}

bool Server::onBATCH_TIMES(const Arguments& arguments, Reply& reply) {
    if (arguments.index >= nodes.size()) return false;
    const QUELLAN2_NODE node = nodes[static_cast<std::size_t>(arguments.index)];
    std::uint32_t startTime = arguments.number;
    std::uint32_t endTime = arguments.secondNumber;
    reply.status =
        guardedCall(functions.nodeGetBatchTimes, node, arguments.text.c_str(), arguments.time, &startTime, &endTime);
    reply.number = startTime;
    reply.secondNumber = endTime;
    return true;
}

bool Server::onUPDATE_TIME(const Arguments& arguments, Reply& reply) {
    if (arguments.index >= tags.size()) return false;
    std::uint32_t time = arguments.number;
    reply.status = guardedCall(functions.tagGetUpdateTime, tags[static_cast<std::size_t>(arguments.index)], &time);
    reply.number = time;
    return true;
}

namespace {

// The largest reply whose memory is kept between requests: 100,000 values
// take about a megabyte.
constexpr std::size_t KEPT_REPLY_BYTES = 16u << 20;

}  // namespace

void serve(platform::Channel& channel) {
    Server server;
    // Requests are taken as large as this process can hold.
    const Limits limits;
    std::string request;
    // The reply's memory is kept for the next one: a large read made anew
    // each time spent more on the system's fresh pages than on its values.
    // One that grew past KEPT_REPLY_BYTES is let go.
    Encoder reply;
    for (;;) {
        const Received received = receiveMessage(channel, request, limits);
        if (received == Received::BROKEN) return;
        reply.clear();
        if (received == Received::WHOLE) {
            try {
                if (!server.handle(request, reply)) return;
            } catch (const std::exception&) {
                // Memory or a string's limit: this request alone is refused.
                reply.clear();
            }
            // Too large to hold: refused, as a request too large to hold is.
            if (!reply.ok()) reply.clear();
        }
        if (!sendMessage(channel, reply, server.frameBytes())) return;
        if (reply.capacity() > KEPT_REPLY_BYTES) reply = Encoder();
    }
}

}  // namespace mq::surrogate
