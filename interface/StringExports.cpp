// The exported string functions.
#include "interface/ExportGuard.h"
#include "interface/StringObject.h"

#include <cstring>
#include <memory>

using namespace mq;

extern "C" {

QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringCreate(const char* text, QUELLAN2_STRING* string) {
    if (!text || !string) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        *string = newStringHandle(text);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringCopy(QUELLAN2_STRING string, char* buffer, uint32_t* length) {
    if (!string || !length) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        const std::string& text = fromHandle(string)->text;
        const uint32_t bufferSize = *length;
        // The length is reported whatever the result, so a caller can size its buffer.
        *length = static_cast<uint32_t>(text.size());
        if (text.size() > bufferSize) return QUELLAN2_STATUS_INSUFFICIENT_BUFFER;
        if (text.empty()) return QUELLAN2_STATUS_OK;
        if (!buffer) return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::memcpy(buffer, text.data(), text.size());
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringFree(QUELLAN2_STRING string) {
    return guardExport([&] {
        std::unique_ptr<StringObject> released(fromHandle(string));
        return QUELLAN2_STATUS_OK;
    });
}

}  // extern "C"
