// Each request's fields and its reply's, encoded and decoded in one place for the host, the surrogate and the fuzzers.
#pragma once

#include "hosting/isolation/MirrorValues.h"
#include "hosting/isolation/SurrogateProtocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq::surrogate {

// What a request carries after its kind; which fields travel, and in which
// order, is the kind's (see SurrogateRequests.def). Only the fields of the
// kind are read or written.
struct Arguments {
    std::string text;                  // LOAD's path, OPEN's text, a batch's name
    std::uint64_t index = 0;           // the node of ACTIVE_BATCHES and BATCH_TIMES, the tag of UPDATE_TIME
    std::vector<std::uint64_t> tags;   // a data call's tags, as the surrogate's indices
    std::int32_t time = 0;             // a time, a start time, or ACTIVE_BATCHES' from
    std::int32_t interval = 0;         // an Ex call's interval, or ACTIVE_BATCHES' to
    std::uint32_t number = 0;          // LOAD's frame bytes, a preset, an Ex call's sample count
    std::uint32_t secondNumber = 0;    // BATCH_TIMES' end preset
    // The vectors lent: as the host holds them (encoded), as the surrogate
    // took them (decoded); an Ex call has `number` of them, a write one.
    std::vector<const VectorRecord*> lend;
    std::vector<std::optional<VectorRecord>> lent;
};

// The request's fields after its kind (which the Encoder was made with).
void encodeRequest(Encoder& out, Request kind, const Arguments& arguments);
// The fields after the kind; false unless they are whole and end the message.
bool decodeRequest(Decoder& in, Request kind, Arguments& arguments);

// What a reply carries; which fields travel is the kind's.
struct Reply {
    std::uint32_t status = 0;          // the child's status (every reply but LOAD's)
    bool loaded = false;               // LOAD
    std::string reason;                // LOAD: why the child did not load
    std::uint64_t present = 0;         // LOAD: bit k set when table entry k is present
    std::optional<std::string> text;   // GET_IDENTITY
    bool tree = false;                 // OPEN: the tree follows
    std::vector<NodeRecord> top;       // OPEN
    std::uint32_t number = 0;          // a time the child wrote, or BATCH_TIMES' start
    std::uint32_t secondNumber = 0;    // BATCH_TIMES' end
    std::vector<std::optional<VectorRecord>> slots;  // the slots a read or ACTIVE_BATCHES filled
};

void encodeReply(Encoder& out, Request kind, const Reply& reply);
// The reply to a request of `kind` with `asked` (which bounds its slots); a
// tree deeper than `maxDepth` fails. False unless it is whole and ends the
// message.
bool decodeReply(Decoder& in, Request kind, const Arguments& asked, int maxDepth, Reply& reply);

}  // namespace mq::surrogate
