// The vector and string functions of an isolated child, answered from the copies held in this process.
#include "hosting/isolation/MirrorValues.h"

#include "interface/StringObject.h"

#include <cstring>
#include <memory>
#include <new>

namespace mq {

namespace surrogate {

namespace {

// What a lent element holds.
enum LentValue : std::uint8_t { UNSET = 0, FLOAT_VALUE = 1, STRING_VALUE = 2 };

// The smallest encodings, for counts that must fit the bytes that follow.
constexpr std::size_t ANSWER_BYTES = 5;
constexpr std::size_t ELEMENT_BYTES = ANSWER_BYTES;
constexpr std::size_t LENT_ELEMENT_BYTES = 1;

}  // namespace

void encode(Encoder& out, const Answer<std::uint32_t>& answer) {
    out.u32(answer.status);
    out.u8(answer.written ? 1 : 0);
    if (answer.written) out.u32(answer.value);
}

Answer<std::uint32_t> decodeAnswer(Decoder& in) {
    Answer<std::uint32_t> answer;
    answer.status = in.u32();
    const std::uint8_t written = in.u8();
    if (written > 1) in.fail();
    answer.written = written == 1;
    if (answer.written) answer.value = in.u32();
    return answer;
}

void encodeSlot(Encoder& out, const VectorRecord* vector) {
    out.u8(vector ? 1 : 0);
    if (!vector) return;
    encode(out, vector->length);
    out.u32(static_cast<std::uint32_t>(vector->elements.size()));
    for (const ElementRecord& element : vector->elements) {
        encode(out, element.type);
        if (!element.type.written) continue;
        if (element.type.value == QUELLAN2_TYPE_FLOAT) {
            encode(out, element.floatBits);
        } else if (element.type.value == QUELLAN2_TYPE_STRING) {
            out.u32(element.stringStatus);
            out.optionalText(element.text);
        }
    }
}

std::optional<VectorRecord> decodeSlot(Decoder& in, std::uint32_t maxElements) {
    const std::uint8_t present = in.u8();
    if (present > 1) in.fail();
    if (present != 1 || !in.ok()) return std::nullopt;
    VectorRecord vector;
    vector.length = decodeAnswer(in);
    const std::uint32_t elements = in.count(ELEMENT_BYTES);
    if (elements > maxElements) in.fail();
    vector.elements.resize(in.ok() ? elements : 0);
    for (ElementRecord& element : vector.elements) {
        element.type = decodeAnswer(in);
        if (!element.type.written) continue;
        if (element.type.value == QUELLAN2_TYPE_FLOAT) {
            element.floatBits = decodeAnswer(in);
        } else if (element.type.value == QUELLAN2_TYPE_STRING) {
            element.stringStatus = in.u32();
            element.text = in.optionalText();
        }
    }
    if (!in.ok()) return std::nullopt;
    return vector;
}

void encodeLent(Encoder& out, const VectorRecord* vector) {
    out.u8(vector ? 1 : 0);
    if (!vector) return;
    const std::uint32_t length = vector->length.written ? vector->length.value : 0;
    out.u32(length);
    for (std::uint32_t k = 0; k < length; ++k) {
        const ElementRecord* element = k < vector->elements.size() ? &vector->elements[k] : nullptr;
        if (element && element->type.value == QUELLAN2_TYPE_FLOAT && element->floatBits.written) {
            out.u8(FLOAT_VALUE);
            out.u32(element->floatBits.value);
        } else if (element && element->type.value == QUELLAN2_TYPE_STRING && element->text) {
            out.u8(STRING_VALUE);
            out.text(*element->text);
        } else {
            out.u8(UNSET);
        }
    }
}

std::optional<VectorRecord> decodeLent(Decoder& in) {
    const std::uint8_t present = in.u8();
    if (present > 1) in.fail();
    if (present != 1 || !in.ok()) return std::nullopt;
    VectorRecord vector;
    const std::uint32_t length = in.count(LENT_ELEMENT_BYTES);
    vector.length = {QUELLAN2_STATUS_OK, true, length};
    vector.elements.resize(length);
    for (ElementRecord& element : vector.elements) {
        const std::uint8_t kind = in.u8();
        if (kind == FLOAT_VALUE) {
            element.type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_FLOAT};
            element.floatBits = {QUELLAN2_STATUS_OK, true, in.u32()};
        } else if (kind == STRING_VALUE) {
            element.type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_STRING};
            element.stringStatus = QUELLAN2_STATUS_OK;
            element.text = in.text();
        } else if (kind == UNSET) {
            element.type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_NULL};
        } else {
            in.fail();
        }
    }
    if (!in.ok()) return std::nullopt;
    return vector;
}

}  // namespace surrogate

namespace {

using surrogate::Answer;
using surrogate::ElementRecord;

MirrorString* stringOf(QUELLAN2_STRING string) {
    return reinterpret_cast<MirrorString*>(string);
}

// A new copy of `text`, or null when memory runs out.
std::unique_ptr<MirrorString> newString(const char* text, std::size_t size) noexcept {
    try {
        return std::make_unique<MirrorString>(MirrorString{std::string(text, size)});
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
    std::unique_ptr<MirrorVector> mirror;
    try {
        mirror = std::make_unique<MirrorVector>();
        mirror->record.length = {QUELLAN2_STATUS_OK, true, length};
        mirror->record.elements.resize(length);
        for (ElementRecord& element : mirror->record.elements)
            element.type = {QUELLAN2_STATUS_OK, true, QUELLAN2_TYPE_NULL};
    } catch (const std::bad_alloc&) {
        return QUELLAN2_STATUS_ERROR;
    }
    *vector = toHandle(std::move(mirror));
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL vectorFree(QUELLAN2_VECTOR vector) {
    if (!vector) return QUELLAN2_STATUS_INVALID_PARAMETER;
    takeBack(vector);
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
        std::unique_ptr<MirrorString> copy = newString(element->text->data(), element->text->size());
        if (!copy) return QUELLAN2_STATUS_ERROR;
        *string = toHandle(std::move(copy));
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
    std::unique_ptr<MirrorString> copy = newString(text, std::strlen(text));
    if (!copy) return QUELLAN2_STATUS_ERROR;
    *string = toHandle(std::move(copy));
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS QUELLAN2_CALL stringFree(QUELLAN2_STRING string) {
    if (!string) return QUELLAN2_STATUS_INVALID_PARAMETER;
    takeBack(string);
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
