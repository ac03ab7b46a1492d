// The messages between MultiQuellan and a child's surrogate process: their kinds, framing, encoding and the tree's records.
#pragma once

#include "platform/Channel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq::surrogate {

// The host sends one request and waits for its reply before it sends the
// next. A message (a request or a reply) travels as one or more frames, so
// that its size is bounded by what each side can hold rather than by a frame:
// a frame is a 32-bit header (its length in the low 31 bits; the top bit set
// when more frames of the same message follow) and that many bytes. A
// request's first byte is its kind. An empty reply is the surrogate's refusal
// of that one request, for a request or a reply too large for it to hold; the
// call fails and the surrogate goes on. Every number is little-endian and of
// fixed width, and the child's nodes and tags travel as 64-bit indices into
// the surrogate's own tables rather than as pointers, so a surrogate built for
// another pointer size serves the same host. Nothing the other side sends is
// trusted: a decoder never reads past the bytes it has, and a count is
// believed only as far as the bytes that follow could hold it.
//
// The kinds are listed, with their fields, in SurrogateRequests.def; each
// request and reply is encoded and decoded in SurrogateMessages, by both ends.
enum class Request : std::uint8_t {
    NONE = 0,  // never sent
#define MQ_SURROGATE_REQUEST(kind) kind,
#include "hosting/isolation/SurrogateRequests.def"
    END,
    LAST = END - 1
};

// No frame is larger: a bigger length is a broken or hostile peer. The tree
// of a million tags takes some 30 MiB; a message of many frames is as large
// as its receiver can hold.
constexpr std::uint32_t MAX_FRAME_BYTES = 1u << 28;

// How a side frames what it sends and what it takes whole. The host chooses
// (tests choose small ones, to see many frames and a refusal without moving
// gigabytes) and names its frame size to the surrogate with the load.
struct Limits {
    // The largest frame sent or received; from 1 to MAX_FRAME_BYTES.
    std::uint32_t frameBytes = MAX_FRAME_BYTES;
    // A message larger than this (or than memory holds) is read past and
    // refused: the channel stays in step.
    std::size_t messageBytes = static_cast<std::size_t>(-1);
};

// A list (the active batches) of more elements than this is not believed.
constexpr std::uint32_t MAX_LIST_ELEMENTS = 1u << 22;

// Builds one message. It raises nothing: when memory runs out it drops
// what it holds and ok() is false from then on (until clear()).
class Encoder {
public:
    Encoder() = default;
    explicit Encoder(Request kind);

    void u8(std::uint8_t value) {
        const char byte = static_cast<char>(value);
        append(&byte, 1);
    }
    void u32(std::uint32_t value);
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void u64(std::uint64_t value);
    void text(const std::string& value);
    // A string handle: none (the child handed none), or its text.
    void optionalText(const std::optional<std::string>& value);

    bool ok() const { return !failed; }
    const std::string& body() const { return bytes; }
    // Empties the message; its memory is kept for the next.
    void clear();
    std::size_t capacity() const { return bytes.capacity(); }

private:
    void append(const char* data, std::size_t size) noexcept;

    std::string bytes;
    bool failed = false;
};

// Reads one message's bytes. After the first read past the end every read
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

// Sends a message in frames of at most `frameBytes`; false when the channel
// has failed (or the message could not be built: nothing is sent then).
bool sendMessage(platform::Channel& channel, const Encoder& message, std::uint32_t frameBytes) noexcept;

enum class Received {
    WHOLE,    // `body` holds the message
    REFUSED,  // larger than the limits or memory allowed; read past, `body` empty
    BROKEN    // the channel failed, or a frame was larger than the limit
};
Received receiveMessage(platform::Channel& channel, std::string& body, const Limits& limits) noexcept;

// The child's tree as its surrogate read it.
struct TagRecord {
    std::uint64_t index = 0;
    std::optional<std::string> name;
};

struct NodeRecord {
    std::uint64_t index = 0;
    std::optional<std::string> name;
    std::vector<NodeRecord> subNodes;
    std::vector<TagRecord> tags;
};

void encodeTree(Encoder& out, const std::vector<NodeRecord>& top);
// The top nodes; false (with `top` cleared) for a tree that is malformed or
// deeper than `maxDepth` (top nodes are at depth 1), the depth to which the
// host reads a child's tree.
bool decodeTree(Decoder& in, int maxDepth, std::vector<NodeRecord>& top);

}  // namespace mq::surrogate
