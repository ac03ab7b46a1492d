// The host's end of the surrogate's channel: the decoders it runs on a
// surrogate's replies (an answer, a vector slot, the tree), on arbitrary
// bytes, and then the isolated child's stand-ins on what they decoded: the
// mirrors' vector and string functions, and the tree's node and tag functions.
// A surrogate runs child code and may send anything: nothing may crash, read
// past the reply, or take memory out of proportion to the reply's size.
//
// Only the decoders and the stand-ins that answer without a round trip are
// reached: the round trips need a surrogate process, which the isolated child
// starts itself from beside the library.
//
// Input: a byte choosing the decoder, for a slot two more giving the most
// elements the call asked for, then the reply's bytes.
#include "fuzz/FuzzInput.h"
#include "hosting/isolation/IsolatedChild.h"
#include "hosting/isolation/MirrorValues.h"
#include "hosting/ProxyTree.h"
#include "hosting/isolation/SurrogateProtocol.h"

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

using mq::fuzz::fail;
using mq::fuzz::FuzzInput;
using mq::surrogate::Decoder;

namespace {

void expect(bool condition, const char* what) {
    if (!condition) fail(what);
}

// The most a decoder may hold at once for each byte it is given, and a floor
// for the smallest replies. A vector element's record is some 14 times its
// smallest encoding (five bytes), a tree node's some 6 times, and a list of
// nodes that grows holds up to three times its nodes for a moment.
constexpr std::size_t BYTES_PER_REPLY_BYTE = 24;
constexpr std::size_t BYTES_AT_LEAST = 256;

// The heap in use while a decoder runs, and its peak, from the allocator's hooks.
struct HeapWatch {
    bool watching = false;
    std::size_t live = 0;
    std::size_t peak = 0;
};
HeapWatch heap;

void onAllocate(const volatile void*, std::size_t size) {
    if (!heap.watching) return;
    heap.live += size;
    heap.peak = std::max(heap.peak, heap.live);
}

void onFree(const volatile void* pointer) {
    if (!heap.watching || !pointer) return;
    const std::size_t size = __sanitizer_get_allocated_size(const_cast<const void*>(pointer));
    heap.live -= std::min(heap.live, size);
}

// Runs `decode` with the heap watched; fails when it held more than the bound.
template <typename Decode>
void bounded(std::size_t replyBytes, Decode decode) {
    heap.live = heap.peak = 0;
    heap.watching = true;
    decode();
    heap.watching = false;
    expect(heap.peak <= BYTES_AT_LEAST + BYTES_PER_REPLY_BYTE * replyBytes,
           "a decoder held memory out of proportion to the reply");
}

// The isolated child's entry points. Nothing is started: the stand-ins used
// here answer from the records alone.
const mq::ChildFunctionTable& standIns() {
    static mq::IsolatedChild child("");
    return child.functions();
}

std::string readText(const mq::ChildFunctionTable& f, QUELLAN2_STRING string) {
    uint32_t length = 0;
    f.stringCopy(string, nullptr, &length);
    std::string text(length, '\0');
    f.stringCopy(string, text.data(), &length);
    expect(length == text.size(), "a string's length changed");
    f.stringFree(string);
    // Up to the first zero byte, as a reader of a C string takes it.
    return text.c_str();
}

// What the proxy does with a delivered vector: every element asked for, as
// far as the vector says it goes, and a little past. Then a vector of as many
// elements is made here, set, and lent: it must decode as the surrogate
// decodes it.
void useVector(mq::surrogate::VectorRecord record) {
    const mq::ChildFunctionTable& f = standIns();
    QUELLAN2_VECTOR vector = mq::toHandle(std::make_unique<mq::MirrorVector>(mq::MirrorVector{std::move(record)}));
    uint32_t length = 0;
    f.vectorGetLength(vector, &length);
    const uint32_t asked = std::min<uint32_t>(length, uint32_t(mq::mirrorOf(vector)->record.elements.size())) + 2;
    QUELLAN2_VECTOR lent = nullptr;
    expect(f.vectorCreate(asked, &lent) == QUELLAN2_STATUS_OK, "vectorCreate");
    for (uint32_t k = 0; k < asked; ++k) {
        uint32_t type = QUELLAN2_TYPE_NULL;
        float value = 0;
        QUELLAN2_STRING string = nullptr;
        f.vectorGetType(vector, k, &type);
        if (f.vectorGetFloat(vector, k, &value) == QUELLAN2_STATUS_OK) f.vectorSetFloat(lent, k, value);
        f.vectorGetString(vector, k, &string);
        if (string) {
            const std::string text = readText(f, string);
            f.vectorSetString(lent, k, text.c_str());
        }
        if (k % 3 == 2) f.vectorSetNull(lent, k);
    }
    f.vectorFree(vector);
    mq::surrogate::Encoder message;
    mq::surrogate::encodeLent(message, &mq::mirrorOf(lent)->record);
    Decoder back(message.body());
    const std::optional<mq::surrogate::VectorRecord> decoded = mq::surrogate::decodeLent(back);
    expect(decoded && back.atEnd() && decoded->elements.size() == asked, "a lent vector does not decode");
    f.vectorFree(lent);
}

// The browse a host makes over the tree: every name, every sub-node and tag.
void walk(QUELLAN2_NODE node, int depth) {
    const mq::ChildFunctionTable& f = standIns();
    QUELLAN2_STRING name = nullptr;
    if (f.nodeGetName(node, &name) == QUELLAN2_STATUS_OK) readText(f, name);
    uint32_t subNodes = 0, tags = 0;
    f.nodeGetNumNodes(node, &subNodes);
    expect(depth < mq::QuellanProxy::Node::MAX_DEPTH || subNodes == 0, "a tree deeper than the reader reads");
    for (uint32_t k = 0; k <= subNodes; ++k) {
        QUELLAN2_NODE subNode = nullptr;
        if (f.nodeGetNode(node, k, &subNode) == QUELLAN2_STATUS_OK) walk(subNode, depth + 1);
    }
    f.nodeGetNumTags(node, &tags);
    for (uint32_t k = 0; k <= tags; ++k) {
        QUELLAN2_TAG tag = nullptr;
        if (f.nodeGetTag(node, k, &tag) != QUELLAN2_STATUS_OK) continue;
        if (f.tagGetName(tag, &name) == QUELLAN2_STATUS_OK) readText(f, name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    __sanitizer_install_malloc_and_free_hooks(onAllocate, onFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t which = input.byte() % 3;
    const uint32_t maxElements = which == 1 ? uint32_t(input.byte()) | uint32_t(input.byte()) << 8 : 0;
    // Its own allocation of exactly its size, so that a read past the reply
    // is a read past that.
    const std::string rest = input.rest();
    const std::vector<char> reply(rest.begin(), rest.end());
    Decoder in(reply.data(), reply.size());
    switch (which) {
    case 0:
        bounded(reply.size(), [&] { mq::surrogate::decodeAnswer(in); });
        break;
    case 1: {
        std::optional<mq::surrogate::VectorRecord> slot;
        bounded(reply.size(), [&] { slot = mq::surrogate::decodeSlot(in, maxElements); });
        expect(!slot || slot->elements.size() <= maxElements, "a slot of more elements than asked for");
        if (slot) useVector(std::move(*slot));
        break;
    }
    default: {
        std::vector<mq::surrogate::NodeRecord> top;
        bool decoded = false;
        bounded(reply.size(), [&] { decoded = mq::surrogate::decodeTree(in, mq::QuellanProxy::Node::MAX_DEPTH, top); });
        expect(decoded || top.empty(), "a tree that failed to decode was kept");
        for (const mq::IsolatedNode& node : mq::handlesFor(top, nullptr))
            walk(reinterpret_cast<QUELLAN2_NODE>(const_cast<mq::IsolatedNode*>(&node)), 1);
        break;
    }
    }
    return 0;
}
