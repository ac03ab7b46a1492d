// The string and vector functions. Hosts call these on their own thread
// while a worker calls the rest, so they touch no plant state.
#include "quellan2.h"
#include "samples/simquellan/Call.h"

#include <cstring>

using namespace simquellan;

namespace {

Element* elementAt(QUELLAN2_VECTOR vector, uint32_t index) {
    SimVector* object = objectOf(vector);
    return object && index < object->elements.size() ? &object->elements[index] : nullptr;
}

Arguments vectorArguments(QUELLAN2_VECTOR vector, uint32_t index) {
    Arguments arguments;
    arguments.handle("vector", vector).number("index", index);
    return arguments;
}

}  // namespace

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorCreate(uint32_t length, QUELLAN2_VECTOR* vector) {
    return serve("vectorCreate", [=] { return Arguments().number("length", length); }, [&](Call& call) {
        if (!length || !vector) return QUELLAN2_STATUS_INVALID_PARAMETER;
        auto created = std::make_unique<SimVector>();
        created->elements.resize(length);
        call.store(vector, std::move(created));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorFree(QUELLAN2_VECTOR vector) {
    return serve("vectorFree", [=] { return Arguments().handle("vector", vector); }, [&](Call&) {
        adopt(vector);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetLength(QUELLAN2_VECTOR vector, uint32_t* length) {
    return serve("vectorGetLength", [=] { return Arguments().handle("vector", vector); }, [&](Call& call) {
        if (!vector || !length) return QUELLAN2_STATUS_INVALID_PARAMETER;
        call.store(length, static_cast<uint32_t>(objectOf(vector)->elements.size()));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetType(QUELLAN2_VECTOR vector, uint32_t index, uint32_t* type) {
    return serve("vectorGetType", [=] { return vectorArguments(vector, index); }, [&](Call& call) {
        const Element* element = elementAt(vector, index);
        if (!element || !type) return QUELLAN2_STATUS_INVALID_PARAMETER;
        call.store(type, typeCode(*element));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetNull(QUELLAN2_VECTOR vector, uint32_t index) {
    return serve("vectorSetNull", [=] { return vectorArguments(vector, index); }, [&](Call&) {
        Element* element = elementAt(vector, index);
        if (!element) return QUELLAN2_STATUS_INVALID_PARAMETER;
        *element = Element();
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetString(QUELLAN2_VECTOR vector, uint32_t index,
                                                       QUELLAN2_STRING* value) {
    return serve("vectorGetString", [=] { return vectorArguments(vector, index); }, [&](Call& call) {
        if (!vector || !value) return QUELLAN2_STATUS_INVALID_PARAMETER;
        const Element* element = elementAt(vector, index);
        if (!element) return QUELLAN2_STATUS_INVALID_PARAMETER;
        const auto* text = std::get_if<std::string>(&element->value);
        if (!text || element->getterFails) return QUELLAN2_STATUS_ERROR;
        // Cut at a zero byte, as a zero-terminated text would be.
        call.store(value, std::make_unique<SimString>(SimString{std::string(text->c_str())}));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetString(QUELLAN2_VECTOR vector, uint32_t index, const char* value) {
    Arguments arguments = vectorArguments(vector, index);
    arguments.text("value", value);
    return serve("vectorSetString", arguments, [&](Call&) {
        Element* element = elementAt(vector, index);
        if (!element || !value) return QUELLAN2_STATUS_INVALID_PARAMETER;
        Element replacement;
        replacement.value = std::string(value);
        *element = std::move(replacement);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetFloat(QUELLAN2_VECTOR vector, uint32_t index, float* value) {
    return serve("vectorGetFloat", [=] { return vectorArguments(vector, index); }, [&](Call& call) {
        if (!vector || !value) return QUELLAN2_STATUS_INVALID_PARAMETER;
        const Element* element = elementAt(vector, index);
        if (!element) return QUELLAN2_STATUS_INVALID_PARAMETER;
        const float* number = std::get_if<float>(&element->value);
        if (!number || element->getterFails) return QUELLAN2_STATUS_ERROR;
        call.store(value, *number);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetFloat(QUELLAN2_VECTOR vector, uint32_t index, float value) {
    Arguments arguments = vectorArguments(vector, index);
    arguments.floating("value", value);
    return serve("vectorSetFloat", arguments, [&](Call&) {
        Element* element = elementAt(vector, index);
        if (!element) return QUELLAN2_STATUS_INVALID_PARAMETER;
        Element replacement;
        replacement.value = value;
        *element = replacement;
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringCreate(const char* text, QUELLAN2_STRING* string) {
    return serve("stringCreate", [=] { return Arguments().text("text", text); }, [&](Call& call) {
        if (!text || !string) return QUELLAN2_STATUS_INVALID_PARAMETER;
        call.store(string, std::make_unique<SimString>(SimString{text}));
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringFree(QUELLAN2_STRING string) {
    return serve("stringFree", [=] { return Arguments().handle("string", string); }, [&](Call&) {
        adopt(string);
        return QUELLAN2_STATUS_OK;
    });
}

#ifndef SIMQUELLAN_OMIT_STRING_COPY
QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringCopy(QUELLAN2_STRING string, char* buffer, uint32_t* length) {
    Arguments arguments;
    arguments.handle("string", string).handle("buffer", buffer).number("size", length ? *length : 0);
    return serve("stringCopy", arguments, [&](Call& call) {
        if (!string || !length) return QUELLAN2_STATUS_INVALID_PARAMETER;
        const std::string& text = objectOf(string)->text;
        uint32_t size = *length;
        call.store(length, static_cast<uint32_t>(text.size()));
        if (text.size() > size) return QUELLAN2_STATUS_INSUFFICIENT_BUFFER;
        if (text.empty()) return QUELLAN2_STATUS_OK;
        if (!buffer) return QUELLAN2_STATUS_INVALID_PARAMETER;
        if (!call.intercept.unwritten) std::memcpy(buffer, text.data(), text.size());
        return QUELLAN2_STATUS_OK;
    });
}
#endif
