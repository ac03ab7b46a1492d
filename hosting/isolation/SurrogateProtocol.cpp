// Encoding and decoding the surrogate's messages, bounded by the bytes at hand.
#include "hosting/isolation/SurrogateProtocol.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace mq::surrogate {

namespace {

constexpr std::size_t HEADER_BYTES = 4;
// In a frame's header: more frames of the same message follow.
constexpr std::uint32_t MORE_FRAMES = 1u << 31;

// The smallest encodings, for counts that must fit the bytes that follow.
constexpr std::size_t TAG_BYTES = 9;
constexpr std::size_t NODE_BYTES = 17;

}  // namespace

Encoder::Encoder(Request kind) {
    u8(static_cast<std::uint8_t>(kind));
}

void Encoder::clear() {
    bytes.clear();
    failed = false;
}

void Encoder::append(const char* data, std::size_t size) noexcept {
    if (failed) return;
    try {
        bytes.append(data, size);
    } catch (...) {
        // Out of memory, or past what a string holds: the message is lost whole.
        failed = true;
        std::string().swap(bytes);
    }
}

void Encoder::u32(std::uint32_t value) {
    char little[4];
    for (int k = 0; k < 4; ++k) little[k] = static_cast<char>((value >> (8 * k)) & 0xFF);
    append(little, sizeof little);
}

void Encoder::u64(std::uint64_t value) {
    u32(static_cast<std::uint32_t>(value));
    u32(static_cast<std::uint32_t>(value >> 32));
}

void Encoder::text(const std::string& value) {
    if (value.size() > UINT32_MAX) {
        failed = true;
        std::string().swap(bytes);
        return;
    }
    u32(static_cast<std::uint32_t>(value.size()));
    append(value.data(), value.size());
}

void Encoder::optionalText(const std::optional<std::string>& value) {
    u8(value ? 1 : 0);
    if (value) text(*value);
}

bool Decoder::take(void* out, std::size_t size) {
    if (failed || left < size) {
        fail();
        std::memset(out, 0, size);
        return false;
    }
    std::memcpy(out, next, size);
    next += size;
    left -= size;
    return true;
}

std::uint8_t Decoder::u8() {
    unsigned char value = 0;
    take(&value, 1);
    return value;
}

std::uint32_t Decoder::u32() {
    unsigned char little[4];
    if (!take(little, sizeof little)) return 0;
    return static_cast<std::uint32_t>(little[0]) | static_cast<std::uint32_t>(little[1]) << 8 |
           static_cast<std::uint32_t>(little[2]) << 16 | static_cast<std::uint32_t>(little[3]) << 24;
}

std::uint64_t Decoder::u64() {
    const std::uint64_t low = u32();
    const std::uint64_t high = u32();
    return low | high << 32;
}

std::string Decoder::text() {
    const std::uint32_t size = count(1);
    if (failed) return {};
    std::string value(next, size);
    next += size;
    left -= size;
    return value;
}

std::optional<std::string> Decoder::optionalText() {
    const std::uint8_t present = u8();
    if (present > 1) fail();
    if (present != 1 || failed) return std::nullopt;
    return text();
}

std::uint32_t Decoder::count(std::size_t bytesEach) {
    const std::uint32_t value = u32();
    if (failed) return 0;
    if (bytesEach && value > left / bytesEach) {
        fail();
        return 0;
    }
    return value;
}

namespace {

void putHeader(char* out, std::uint32_t header) {
    for (std::size_t k = 0; k < HEADER_BYTES; ++k) out[k] = static_cast<char>((header >> (8 * k)) & 0xFF);
}

// Reads and drops `size` bytes.
bool skip(platform::Channel& channel, std::size_t size) noexcept {
    char sink[16 * 1024];
    while (size > 0) {
        const std::size_t part = std::min(size, sizeof sink);
        if (!channel.read(sink, part)) return false;
        size -= part;
    }
    return true;
}

}  // namespace

bool sendMessage(platform::Channel& channel, const Encoder& message, std::uint32_t frameBytes) noexcept {
    if (!message.ok()) return false;
    frameBytes = std::clamp<std::uint32_t>(frameBytes, 1, MAX_FRAME_BYTES);
    const std::string& body = message.body();
    std::size_t sent = 0;
    do {
        const std::size_t size = std::min<std::size_t>(body.size() - sent, frameBytes);
        const bool more = sent + size < body.size();
        // A small frame goes out with its header in one write.
        char small[HEADER_BYTES + 512];
        putHeader(small, static_cast<std::uint32_t>(size) | (more ? MORE_FRAMES : 0));
        if (size <= sizeof small - HEADER_BYTES) {
            std::memcpy(small + HEADER_BYTES, body.data() + sent, size);
            if (!channel.write(small, HEADER_BYTES + size)) return false;
        } else if (!channel.write(small, HEADER_BYTES) || !channel.write(body.data() + sent, size)) {
            return false;
        }
        sent += size;
    } while (sent < body.size());
    return true;
}

Received receiveMessage(platform::Channel& channel, std::string& body, const Limits& limits) noexcept {
    body.clear();
    bool refused = false;
    for (;;) {
        unsigned char little[HEADER_BYTES];
        if (!channel.read(little, sizeof little)) return Received::BROKEN;
        const std::uint32_t header = static_cast<std::uint32_t>(little[0]) |
                                     static_cast<std::uint32_t>(little[1]) << 8 |
                                     static_cast<std::uint32_t>(little[2]) << 16 |
                                     static_cast<std::uint32_t>(little[3]) << 24;
        const std::uint32_t size = header & ~MORE_FRAMES;
        if (size > std::min(limits.frameBytes, MAX_FRAME_BYTES)) return Received::BROKEN;
        if (!refused && size > limits.messageBytes - body.size()) refused = true;
        const std::size_t held = body.size();
        if (!refused) {
            try {
                body.resize(held + size);
            } catch (...) {
                refused = true;
            }
        }
        if (refused) {
            // Whatever came of the message so far is of no use: free it now.
            std::string().swap(body);
            if (!skip(channel, size)) return Received::BROKEN;
        } else if (size > 0 && !channel.read(body.data() + held, size)) {
            return Received::BROKEN;
        }
        if (!(header & MORE_FRAMES)) return refused ? Received::REFUSED : Received::WHOLE;
    }
}


namespace {

void encodeNode(Encoder& out, const NodeRecord& node) {
    out.u64(node.index);
    out.optionalText(node.name);
    out.u32(static_cast<std::uint32_t>(node.subNodes.size()));
    for (const NodeRecord& subNode : node.subNodes) encodeNode(out, subNode);
    out.u32(static_cast<std::uint32_t>(node.tags.size()));
    for (const TagRecord& tag : node.tags) {
        out.u64(tag.index);
        out.optionalText(tag.name);
    }
}

// Depth as the tree reader counts it: top nodes are at depth 1.
bool decodeNode(Decoder& in, int maxDepth, int depth, NodeRecord& node) {
    if (depth > maxDepth) {
        in.fail();
        return false;
    }
    node.index = in.u64();
    node.name = in.optionalText();
    // Sub-nodes are added as they decode, never made ahead from the count:
    // the counts of a node and of its sub-nodes all claim the same bytes that
    // follow, so that making them ahead would take memory the depth times over.
    const std::uint32_t subNodes = in.count(NODE_BYTES);
    for (std::uint32_t k = 0; k < subNodes; ++k)
        if (!decodeNode(in, maxDepth, depth + 1, node.subNodes.emplace_back())) return false;
    // Tags nest no further: their count alone is bounded by the bytes.
    node.tags.resize(in.count(TAG_BYTES));
    for (TagRecord& tag : node.tags) {
        tag.index = in.u64();
        tag.name = in.optionalText();
    }
    return in.ok();
}

}  // namespace

void encodeTree(Encoder& out, const std::vector<NodeRecord>& top) {
    out.u32(static_cast<std::uint32_t>(top.size()));
    for (const NodeRecord& node : top) encodeNode(out, node);
}

bool decodeTree(Decoder& in, int maxDepth, std::vector<NodeRecord>& top) {
    top.clear();
    const std::uint32_t count = in.count(NODE_BYTES);
    for (std::uint32_t k = 0; k < count; ++k) {
        if (!decodeNode(in, maxDepth, 1, top.emplace_back())) {
            top.clear();
            return false;
        }
    }
    return in.ok();
}

}  // namespace mq::surrogate
