// The vectors and strings of an isolated child as this process holds them: whole copies, read without a round trip.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/isolation/SurrogateProtocol.h"
#include "quellan2.h"

#include <string>

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

inline QUELLAN2_VECTOR toHandle(MirrorVector* vector) {
    return reinterpret_cast<QUELLAN2_VECTOR>(vector);
}
inline MirrorVector* mirrorOf(QUELLAN2_VECTOR vector) {
    return reinterpret_cast<MirrorVector*>(vector);
}
inline QUELLAN2_STRING toHandle(MirrorString* string) {
    return reinterpret_cast<QUELLAN2_STRING>(string);
}

// Sets the vector and string entries of `table` to the mirrors' functions.
void useMirrorValues(ChildFunctionTable& table);

}  // namespace mq
