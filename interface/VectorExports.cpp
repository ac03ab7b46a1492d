// The exported value-vector functions.
#include "interface/ExportGuard.h"
#include "interface/StringObject.h"
#include "interface/ValueVector.h"

#include <memory>

using namespace mq;

extern "C" {

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorCreate(uint32_t length, QUELLAN2_VECTOR* vector) {
    if (length == 0 || !vector) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        *vector = toHandle(std::make_unique<ValueVector>(length).release());
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorFree(QUELLAN2_VECTOR vector) {
    return guardExport([&] {
        std::unique_ptr<ValueVector> released(fromHandle(vector));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetLength(QUELLAN2_VECTOR vector, uint32_t* length) {
    if (!vector || !length) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        *length = fromHandle(vector)->length();
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetType(QUELLAN2_VECTOR vector, uint32_t index, uint32_t* type) {
    if (!vector || !type || !fromHandle(vector)->contains(index)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        *type = fromHandle(vector)->type(index);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetNull(QUELLAN2_VECTOR vector, uint32_t index) {
    if (!vector || !fromHandle(vector)->contains(index)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        fromHandle(vector)->setNull(index);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetFloat(QUELLAN2_VECTOR vector, uint32_t index, float* value) {
    if (!vector || !value || !fromHandle(vector)->contains(index)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        const float* element = fromHandle(vector)->floatAt(index);
        if (!element) return QUELLAN2_STATUS_ERROR;
        *value = *element;
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetFloat(QUELLAN2_VECTOR vector, uint32_t index, float value) {
    if (!vector || !fromHandle(vector)->contains(index)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        fromHandle(vector)->setFloat(index, value);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetString(QUELLAN2_VECTOR vector, uint32_t index,
                                                       QUELLAN2_STRING* value) {
    if (!vector || !value || !fromHandle(vector)->contains(index)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        const std::string* element = fromHandle(vector)->stringAt(index);
        if (!element) return QUELLAN2_STATUS_ERROR;
        // An element text with an embedded zero comes back cut there, as if it
        // had been handed over as a zero-terminated text.
        *value = newStringHandle(element->c_str());
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetString(QUELLAN2_VECTOR vector, uint32_t index, const char* value) {
    if (!vector || !value || !fromHandle(vector)->contains(index)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        fromHandle(vector)->setString(index, value);
        return QUELLAN2_STATUS_OK;
    });
}

}  // extern "C"
