// Reading a child's string through its own functions.
#include "hosting/ChildText.h"

#include "hosting/GuardedCall.h"

#include <cstring>

namespace mq {

std::string childText(const ChildFunctionTable& functions, QUELLAN2_STRING string) {
    uint32_t length = 0;
    QUELLAN2_STATUS status = guardedCall(functions.stringCopy, string, static_cast<char*>(nullptr), &length);
    if (status == QUELLAN2_STATUS_OK) {
        // An empty text: nothing to copy, but the string is the child's to free.
        guardedCall(functions.stringFree, string);
        return {};
    }
    if (status != QUELLAN2_STATUS_INSUFFICIENT_BUFFER) {
        // A child that will not tell the length has still handed the string
        // over; keeping it would leak the child's memory at every such call.
        if (string) guardedCall(functions.stringFree, string);
        return {};
    }
    std::string buffer(length, '\0');
    guardedCall(functions.stringCopy, string, buffer.data(), &length);
    guardedCall(functions.stringFree, string);
    // A child need not terminate its text, and may terminate it early.
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

}  // namespace mq
