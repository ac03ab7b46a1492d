// Each request's fields and its reply's, encoded and decoded in one place for the host, the surrogate and the fuzzers.
#include "hosting/isolation/SurrogateMessages.h"

namespace mq::surrogate {

namespace {

// The bytes of one tag's index on the wire.
constexpr std::size_t TAG_INDEX_BYTES = 8;

void encodeTags(Encoder& out, const std::vector<std::uint64_t>& tags) {
    out.u32(static_cast<std::uint32_t>(tags.size()));
    for (std::uint64_t tag : tags) out.u64(tag);
}

void decodeTags(Decoder& in, std::vector<std::uint64_t>& tags) {
    tags.resize(in.count(TAG_INDEX_BYTES));
    for (std::uint64_t& tag : tags) tag = in.u64();
}

// A write lends one vector (none when the host gave none).
const VectorRecord* oneLent(const Arguments& arguments) {
    return arguments.lend.empty() ? nullptr : arguments.lend.front();
}

void decodeOneLent(Decoder& in, Arguments& arguments) {
    arguments.lent.clear();
    arguments.lent.push_back(decodeLent(in));
}

void decodeSlots(Decoder& in, std::uint32_t slots, std::uint32_t maxElements, Reply& reply) {
    reply.slots.clear();
    for (std::uint32_t k = 0; k < slots && in.ok(); ++k) reply.slots.push_back(decodeSlot(in, maxElements));
}

}  // namespace

void encodeRequest(Encoder& out, Request kind, const Arguments& arguments) {
    switch (kind) {
    case Request::LOAD:
        out.text(arguments.text);
        out.u32(arguments.number);
        break;
    case Request::OPEN:
        out.text(arguments.text);
        break;
    case Request::CURRENT_TIME:
        out.u32(arguments.number);
        break;
    case Request::READ_CURRENT:
        encodeTags(out, arguments.tags);
        break;
    case Request::READ_HISTORICAL:
        encodeTags(out, arguments.tags);
        out.i32(arguments.time);
        break;
    case Request::READ_HISTORICAL_EX:
    case Request::WRITE_HISTORICAL_EX:
        encodeTags(out, arguments.tags);
        out.i32(arguments.time);
        out.i32(arguments.interval);
        out.u32(arguments.number);
        for (const VectorRecord* lent : arguments.lend) encodeLent(out, lent);
        break;
    case Request::READ_BATCH:
        encodeTags(out, arguments.tags);
        out.text(arguments.text);
        break;
    case Request::READ_BATCH_EX:
        encodeTags(out, arguments.tags);
        out.text(arguments.text);
        out.i32(arguments.time);
        break;
    case Request::WRITE_HISTORICAL:
        encodeTags(out, arguments.tags);
        out.i32(arguments.time);
        encodeLent(out, oneLent(arguments));
        break;
    case Request::WRITE_BATCH:
        encodeTags(out, arguments.tags);
        out.text(arguments.text);
        encodeLent(out, oneLent(arguments));
        break;
    case Request::WRITE_BATCH_EX:
        encodeTags(out, arguments.tags);
        out.text(arguments.text);
        out.i32(arguments.time);
        encodeLent(out, oneLent(arguments));
        break;
    case Request::ACTIVE_BATCHES:
        out.u64(arguments.index);
        out.i32(arguments.time);
        out.i32(arguments.interval);
        break;
    case Request::BATCH_TIMES:
        out.u64(arguments.index);
        out.text(arguments.text);
        out.i32(arguments.time);
        out.u32(arguments.number);
        out.u32(arguments.secondNumber);
        break;
    case Request::UPDATE_TIME:
        out.u64(arguments.index);
        out.u32(arguments.number);
        break;
    default:
        // INITIALIZE, UNINITIALIZE, GET_IDENTITY and CLOSE carry nothing.
        break;
    }
}

bool decodeRequest(Decoder& in, Request kind, Arguments& arguments) {
    switch (kind) {
    case Request::LOAD:
        arguments.text = in.text();
        arguments.number = in.u32();
        break;
    case Request::OPEN:
        arguments.text = in.text();
        break;
    case Request::CURRENT_TIME:
        arguments.number = in.u32();
        break;
    case Request::READ_CURRENT:
        decodeTags(in, arguments.tags);
        break;
    case Request::READ_HISTORICAL:
        decodeTags(in, arguments.tags);
        arguments.time = in.i32();
        break;
    case Request::READ_HISTORICAL_EX:
    case Request::WRITE_HISTORICAL_EX:
        decodeTags(in, arguments.tags);
        arguments.time = in.i32();
        arguments.interval = in.i32();
        // Each lent slot takes at least a byte.
        arguments.number = in.count(1);
        arguments.lent.resize(arguments.number);
        for (auto& slot : arguments.lent) slot = decodeLent(in);
        break;
    case Request::READ_BATCH:
        decodeTags(in, arguments.tags);
        arguments.text = in.text();
        break;
    case Request::READ_BATCH_EX:
        decodeTags(in, arguments.tags);
        arguments.text = in.text();
        arguments.time = in.i32();
        break;
    case Request::WRITE_HISTORICAL:
        decodeTags(in, arguments.tags);
        arguments.time = in.i32();
        decodeOneLent(in, arguments);
        break;
    case Request::WRITE_BATCH:
        decodeTags(in, arguments.tags);
        arguments.text = in.text();
        decodeOneLent(in, arguments);
        break;
    case Request::WRITE_BATCH_EX:
        decodeTags(in, arguments.tags);
        arguments.text = in.text();
        arguments.time = in.i32();
        decodeOneLent(in, arguments);
        break;
    case Request::ACTIVE_BATCHES:
        arguments.index = in.u64();
        arguments.time = in.i32();
        arguments.interval = in.i32();
        break;
    case Request::BATCH_TIMES:
        arguments.index = in.u64();
        arguments.text = in.text();
        arguments.time = in.i32();
        arguments.number = in.u32();
        arguments.secondNumber = in.u32();
        break;
    case Request::UPDATE_TIME:
        arguments.index = in.u64();
        arguments.number = in.u32();
        break;
    default:
        break;
    }
    return in.atEnd();
}

void encodeReply(Encoder& out, Request kind, const Reply& reply) {
    if (kind == Request::LOAD) {
        out.u8(reply.loaded ? 1 : 0);
        out.text(reply.reason);
        out.u64(reply.present);
        return;
    }
    out.u32(reply.status);
    switch (kind) {
    case Request::GET_IDENTITY:
        out.optionalText(reply.text);
        break;
    case Request::OPEN:
        out.u8(reply.tree ? 1 : 0);
        if (reply.tree) encodeTree(out, reply.top);
        break;
    case Request::CURRENT_TIME:
    case Request::UPDATE_TIME:
        out.u32(reply.number);
        break;
    case Request::BATCH_TIMES:
        out.u32(reply.number);
        out.u32(reply.secondNumber);
        break;
    case Request::READ_CURRENT:
    case Request::READ_HISTORICAL:
    case Request::READ_HISTORICAL_EX:
    case Request::READ_BATCH:
    case Request::READ_BATCH_EX:
    case Request::ACTIVE_BATCHES:
        for (const std::optional<VectorRecord>& slot : reply.slots) encodeSlot(out, slot ? &*slot : nullptr);
        break;
    default:
        break;
    }
}

bool decodeReply(Decoder& in, Request kind, const Arguments& asked, int maxDepth, Reply& reply) {
    if (kind == Request::LOAD) {
        reply.loaded = in.u8() == 1;
        reply.reason = in.text();
        reply.present = in.u64();
        return in.atEnd();
    }
    reply.status = in.u32();
    const auto tagCount = static_cast<std::uint32_t>(asked.tags.size());
    switch (kind) {
    case Request::GET_IDENTITY:
        reply.text = in.optionalText();
        break;
    case Request::OPEN:
        // The tree follows an open that succeeded.
        reply.tree = in.u8() == 1;
        if (reply.tree && !decodeTree(in, maxDepth, reply.top)) return false;
        break;
    case Request::CURRENT_TIME:
    case Request::UPDATE_TIME:
        reply.number = in.u32();
        break;
    case Request::BATCH_TIMES:
        reply.number = in.u32();
        reply.secondNumber = in.u32();
        break;
    case Request::READ_CURRENT:
    case Request::READ_HISTORICAL:
    case Request::READ_BATCH:
    case Request::READ_BATCH_EX:
        decodeSlots(in, 1, tagCount, reply);
        break;
    case Request::READ_HISTORICAL_EX:
        decodeSlots(in, asked.number, tagCount, reply);
        break;
    case Request::ACTIVE_BATCHES:
        decodeSlots(in, 1, MAX_LIST_ELEMENTS, reply);
        break;
    default:
        break;
    }
    return in.atEnd();
}

}  // namespace mq::surrogate
