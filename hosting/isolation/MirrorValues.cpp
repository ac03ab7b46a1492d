// The vector and string functions of an isolated child, answered from the copies held in this process.
#include "hosting/isolation/MirrorValues.h"

#include "interface/StringObject.h"

#include <cstring>
#include <new>

namespace mq {

namespace {

using surrogate::Answer;
using surrogate::ElementRecord;

MirrorString* stringOf(QUELLAN2_STRING string) {
    return reinterpret_cast<MirrorString*>(string);
}

// A new copy of `text`, or null when memory runs out.
MirrorString* newString(const char* text, std::size_t size) noexcept {
    try {
        return new MirrorString{std::string(text, size)};
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Gives the child's answer: its status, and its value only if it wrote one.
template <typename Value, typename Out>
QUELLAN2_STATUS replay(const Answer<Value>& answer, Out* out) {
    if (answer.written) std::memcpy(out, &answer.value, sizeof *out);
    return answer.status;
}

// The element a query names, or null past the elements the child described.
ElementRecord* elementAt(QUELLAN2_VECTOR vector, uint32_t index) {
    MirrorVector* mirror = mirrorOf(vector);
    if (!mirror || index >= mirror->record.elements.size()) return nullptr;
    return &mirror->record.elements[index];
}

QUELLAN2_STATUS QUELLAN2_CALL vectorCreate(uint32_t length, QUELLAN2_VECTOR* vector) {
    if (!vector) return QUELLAN2_STATUS_INVALID_PARAMETER;
    auto* mirror = new (std::nothrow) MirrorVector;
    if (!mirror) return QUELLAN2_STATUS_ERROR;
    try {
        mirror->record.length = {QUELLAN2_STATUS_OK, true, length};
        mirror->record.elements.resize(length);
        for (ElementRecord& element : mirror->record.elements)
            element.type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_NULL};
    } catch (const std::bad_alloc&) {
        delete mirror;
        return QUELLAN2_STATUS_ERROR;
    }
    *vector = toHandle(mirror);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL vectorFree(QUELLAN2_VECTOR vector) {
    if (!vector) return QUELLAN2_STATUS_INVALID_PARAMETER;
    delete mirrorOf(vector);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL vectorGetLength(QUELLAN2_VECTOR vector, uint32_t* length) {
    if (!vector || !length) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return replay(mirrorOf(vector)->record.length, length);
}

QUELLAN2_STATUS QUELLAN2_CALL vectorGetType(QUELLAN2_VECTOR vector, uint32_t index, uint32_t* type) {
    const ElementRecord* element = elementAt(vector, index);
    if (!element || !type) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return replay(element->type, type);
}

QUELLAN2_STATUS QUELLAN2_CALL vectorGetFloat(QUELLAN2_VECTOR vector, uint32_t index, float* value) {
    const ElementRecord* element = elementAt(vector, index);
    if (!element || !value || element->type.value != QUELLAN2_TYPE_FLOAT) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return replay(element->floatBits, value);
}

QUELLAN2_STATUS QUELLAN2_CALL vectorGetString(QUELLAN2_VECTOR vector, uint32_t index, QUELLAN2_STRING* string) {
    const ElementRecord* element = elementAt(vector, index);
    if (!element || !string || element->type.value != QUELLAN2_TYPE_STRING) return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (element->text) {
        MirrorString* copy = newString(element->text->data(), element->text->size());
        if (!copy) return QUELLAN2_STATUS_ERROR;
        *string = toHandle(copy);
    }
    return element->stringStatus;
}

QUELLAN2_STATUS QUELLAN2_CALL vectorSetNull(QUELLAN2_VECTOR vector, uint32_t index) {
    ElementRecord* element = elementAt(vector, index);
    if (!element) return QUELLAN2_STATUS_INVALID_PARAMETER;
    element->type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_NULL};
    element->floatBits = {};
    element->stringStatus = QUELLAN2_STATUS_ERROR;
    element->text.reset();
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL vectorSetString(QUELLAN2_VECTOR vector, uint32_t index, const char* text) {
    ElementRecord* element = elementAt(vector, index);
    if (!element || !text) return QUELLAN2_STATUS_INVALID_PARAMETER;
    try {
        element->text = std::string(text);
    } catch (const std::bad_alloc&) {
        return QUELLAN2_STATUS_ERROR;
    }
    element->type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_STRING};
    element->stringStatus = QUELLAN2_STATUS_OK;
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL vectorSetFloat(QUELLAN2_VECTOR vector, uint32_t index, float value) {
    ElementRecord* element = elementAt(vector, index);
    if (!element) return QUELLAN2_STATUS_INVALID_PARAMETER;
    element->type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_FLOAT};
    element->floatBits.status = QUELLAN2_STATUS_OK;
    element->floatBits.written = true;
    std::memcpy(&element->floatBits.value, &value, sizeof value);
    element->text.reset();
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL stringCreate(const char* text, QUELLAN2_STRING* string) {
    if (!text || !string) return QUELLAN2_STATUS_INVALID_PARAMETER;
    MirrorString* copy = newString(text, std::strlen(text));
    if (!copy) return QUELLAN2_STATUS_ERROR;
    *string = toHandle(copy);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL stringFree(QUELLAN2_STRING string) {
    if (!string) return QUELLAN2_STATUS_INVALID_PARAMETER;
    delete stringOf(string);
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL stringCopy(QUELLAN2_STRING string, char* buffer, uint32_t* length) {
    if (!string || !length) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return copyText(stringOf(string)->text, buffer, length);
}

}  // namespace

void useMirrorValues(ChildFunctionTable& table) {
    table.vectorCreate = vectorCreate;
    table.vectorFree = vectorFree;
    table.vectorGetLength = vectorGetLength;
    table.vectorGetType = vectorGetType;
    table.vectorSetNull = vectorSetNull;
    table.vectorGetString = vectorGetString;
    table.vectorSetString = vectorSetString;
    table.vectorGetFloat = vectorGetFloat;
    table.vectorSetFloat = vectorSetFloat;
    table.stringCreate = stringCreate;
    table.stringFree = stringFree;
    table.stringCopy = stringCopy;
}

}  // namespace mq
