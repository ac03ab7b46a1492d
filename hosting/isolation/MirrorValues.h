// An isolated child's vectors and strings: the child's answers about them, their encoding, and the copies held here.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/isolation/SurrogateProtocol.h"
#include "quellan2.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mq::surrogate {

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

}  // namespace mq::surrogate

namespace mq {

// A vector crosses from the surrogate whole, with every answer the child gave
// about it, so that reading it element by element costs no round trip; a
// string crosses as its text. Their handles in this process are these
// objects, and the vector and string entries of an isolated child's function
// table work on them here, on any thread, answering exactly as the child did.
// A vector made here to lend to the child answers as its values were set, and
// crosses to the surrogate with the call that lends it.
struct MirrorVector {
    surrogate::VectorRecord record;
};

struct MirrorString {
    std::string text;
};

// A handle given out owns its mirror until the vector or string is freed
// through the table, which takes it back.
inline QUELLAN2_VECTOR toHandle(std::unique_ptr<MirrorVector> vector) {
    return reinterpret_cast<QUELLAN2_VECTOR>(vector.release());
}
inline MirrorVector* mirrorOf(QUELLAN2_VECTOR vector) {
    return reinterpret_cast<MirrorVector*>(vector);
}
inline std::unique_ptr<MirrorVector> takeBack(QUELLAN2_VECTOR vector) {
    return std::unique_ptr<MirrorVector>(mirrorOf(vector));
}
inline QUELLAN2_STRING toHandle(std::unique_ptr<MirrorString> string) {
    return reinterpret_cast<QUELLAN2_STRING>(string.release());
}
inline std::unique_ptr<MirrorString> takeBack(QUELLAN2_STRING string) {
    return std::unique_ptr<MirrorString>(reinterpret_cast<MirrorString*>(string));
}

// Sets the vector and string entries of `table` to the mirrors' functions.
void useMirrorValues(ChildFunctionTable& table);

}  // namespace mq
