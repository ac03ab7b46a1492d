// The messages between MultiQuellan and a child's surrogate process: their kinds, encoding and records.
#pragma once

#include "platform/Channel.h"
#include "quellan2.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq {
class IsolatedChild;
}

namespace mq::surrogate {

// The host sends one request and waits for its reply before it sends the
// next. A frame is a 32-bit length and that many bytes; a request's first
// byte is its kind. Every number is little-endian and of fixed width, and the
// child's nodes and tags travel as 64-bit indices into the surrogate's own
// tables rather than as pointers, so a surrogate built for another pointer
// size serves the same host. Nothing the other side sends is trusted: a
// decoder never reads past the bytes it has, and a count is believed only as
// far as the bytes that follow could hold it.
enum class Request : std::uint8_t {
    LOAD = 1,             // text path -> u8 loaded, text reason, u64 entries the child has (bit k: table entry k)
    INITIALIZE,           // -> status
    UNINITIALIZE,         // -> status
    GET_IDENTITY,         // -> status, string
    OPEN,                 // text -> status, u8 tree follows, the tree
    CLOSE,                // -> status
    CURRENT_TIME,         // u32 preset -> status, u32
    READ_CURRENT,         // tags -> status, slot
    READ_HISTORICAL,      // tags, i32 time -> status, slot
    READ_HISTORICAL_EX,   // tags, i32 start, i32 interval, u32 n, n lent slots -> status, n slots
    READ_BATCH,           // tags, text -> status, slot
    READ_BATCH_EX,        // tags, text, i32 time -> status, slot
    WRITE_HISTORICAL,     // tags, i32 time, lent slot -> status
    WRITE_HISTORICAL_EX,  // tags, i32 start, i32 interval, u32 n, n lent slots -> status
    WRITE_BATCH,          // tags, text, lent slot -> status
    WRITE_BATCH_EX,       // tags, text, i32 time, lent slot -> status
    ACTIVE_BATCHES,       // u64 node, i32 from, i32 to -> status, slot
    BATCH_TIMES,          // u64 node, text, i32 time, u32 start preset, u32 end preset -> status, u32, u32
    UPDATE_TIME,          // u64 tag, u32 preset -> status, u32
    LAST = UPDATE_TIME
};

// No frame is larger: a bigger length is a broken or hostile peer. The tree
// of a million tags takes some 30 MiB; what a frame decodes into takes up to
// about six times its size.
constexpr std::uint32_t MAX_FRAME_BYTES = 1u << 28;

// A list (the active batches) of more elements than this is not believed.
constexpr std::uint32_t MAX_LIST_ELEMENTS = 1u << 22;

// Builds one frame.
class Encoder {
public:
    Encoder();
    explicit Encoder(Request kind);

    void u8(std::uint8_t value) { bytes.push_back(static_cast<char>(value)); }
    void u32(std::uint32_t value);
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void u64(std::uint64_t value);
    void text(const std::string& value);
    // A string handle: none (the child handed none), or its text.
    void optionalText(const std::optional<std::string>& value);

    // The frame, its length filled in; false when it is too large to send.
    bool finish();
    const std::string& frame() const { return bytes; }
    void clear();

private:
    std::string bytes;
};

// Reads one frame's bytes. After the first read past the end every read
// gives zero or empty, and ok() is false.
class Decoder {
public:
    Decoder(const char* data, std::size_t size) : next(data), left(size) {}
    explicit Decoder(const std::string& body) : Decoder(body.data(), body.size()) {}

    std::uint8_t u8();
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64();
    std::string text();
    std::optional<std::string> optionalText();
    // A count of items of at least `bytesEach` bytes that follow; one larger
    // than the rest of the frame could hold fails.
    std::uint32_t count(std::size_t bytesEach);

    bool ok() const { return !failed; }
    bool atEnd() const { return !failed && left == 0; }
    void fail() { failed = true; left = 0; }

private:
    bool take(void* out, std::size_t size);

    const char* next;
    std::size_t left;
    bool failed = false;
};

// Sends a finished frame; false when the channel has failed.
bool sendFrame(platform::Channel& channel, const Encoder& frame);
// Receives one frame's body; false when the channel failed or the length is
// larger than MAX_FRAME_BYTES.
bool receiveFrame(platform::Channel& channel, std::string& body);

// What a child answered to a query with one out value. `written` is false
// when the child left the out value as it was given.
template <typename Value>
struct Answer {
    QUELLAN2_STATUS status = QUELLAN2_STATUS_ERROR;
    bool written = false;
    Value value{};
};

// One element of a vector, as the child described it.
struct ElementRecord {
    Answer<std::uint32_t> type;
    // Asked only when the type said float: the value's bits, exactly.
    Answer<std::uint32_t> floatBits;
    // Asked only when the type said string: the status, and the text of the
    // string the child handed over (none when it handed none).
    QUELLAN2_STATUS stringStatus = QUELLAN2_STATUS_ERROR;
    std::optional<std::string> text;
};

// A vector: its length as the child told it, and the elements that a reader
// asks for. A vector made here (to lend to a child) is one whose length and
// elements answer as set.
struct VectorRecord {
    Answer<std::uint32_t> length;
    std::vector<ElementRecord> elements;
};

void encode(Encoder& out, const Answer<std::uint32_t>& answer);
Answer<std::uint32_t> decodeAnswer(Decoder& in);

// A vector slot after a call: null, or the vector in it. A vector of more
// elements than `maxElements` fails the decoder.
void encodeSlot(Encoder& out, const VectorRecord* vector);
std::optional<VectorRecord> decodeSlot(Decoder& in, std::uint32_t maxElements);

// A vector lent to the child: its length, then each element's value as set
// here (unset, float or string).
void encodeLent(Encoder& out, const VectorRecord* vector);
// Null slot: nothing; otherwise the length and the values (elements of
// other types are unset).
std::optional<VectorRecord> decodeLent(Decoder& in);

// The child's tree as its surrogate read it. On the host the records are the
// handles that the stand-ins give out for the child's nodes and tags, so each
// also names the child it belongs to (never sent).
struct TagRecord {
    std::uint64_t index = 0;
    std::optional<std::string> name;
    IsolatedChild* owner = nullptr;
};

struct NodeRecord {
    std::uint64_t index = 0;
    std::optional<std::string> name;
    std::vector<NodeRecord> subNodes;
    std::vector<TagRecord> tags;
    IsolatedChild* owner = nullptr;
};

void encodeTree(Encoder& out, const std::vector<NodeRecord>& top);
// The top nodes; false (with `top` cleared) for a tree that is malformed or
// deeper than a child's tree is read.
bool decodeTree(Decoder& in, IsolatedChild* owner, std::vector<NodeRecord>& top);

}  // namespace mq::surrogate
