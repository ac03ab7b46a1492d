// The exported string functions.
#include "interface/ExportGuard.h"
#include "interface/StringObject.h"

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
        return copyText(fromHandle(string)->text, buffer, length);
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringFree(QUELLAN2_STRING string) {
    return guardExport([&] {
        std::unique_ptr<StringObject> released(fromHandle(string));
        return QUELLAN2_STATUS_OK;
    });
}

}  // extern "C"
