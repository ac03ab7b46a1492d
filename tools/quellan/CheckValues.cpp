// Rule groups of quellan check: strings and vectors, and reading those the plug-in delivers.
#include "Checker.h"

#include "platform/ScopeExit.h"

#include <cstring>

namespace quellan::check {

std::optional<std::string> Checker::readString(Rule rule, QUELLAN2_STRING string, const std::string& whose) {
    std::uint32_t length = 0;
    const QUELLAN2_STATUS asked = here(rule, CHILD(stringCopy), string, static_cast<char*>(nullptr), &length);
    std::string text;
    if (asked == QUELLAN2_STATUS_INSUFFICIENT_BUFFER) {
        text.assign(length, '\0');
        const QUELLAN2_STATUS copied = here(rule, CHILD(stringCopy), string, text.data(), &length);
        if (copied != QUELLAN2_STATUS_OK) {
            fail(rule, whose + ": " + returned("quellan2_stringCopy", copied) + " for a buffer of the size it asked");
            here(rule, CHILD(stringFree), string);
            return std::nullopt;
        }
    } else if (asked != QUELLAN2_STATUS_OK || length != 0) {
        fail(rule, whose + ": the size query " + returned("quellan2_stringCopy", asked) + " with length " +
                       std::to_string(length) + ", expected QUELLAN2_STATUS_INSUFFICIENT_BUFFER");
        here(rule, CHILD(stringFree), string);
        return std::nullopt;
    }
    const QUELLAN2_STATUS freed = here(rule, CHILD(stringFree), string);
    if (freed != QUELLAN2_STATUS_OK) fail(Rule::STRINGS, whose + ": " + returned("quellan2_stringFree", freed));
    return text;
}

bool Checker::checkStrings() {
    QUELLAN2_STRING string = nullptr;
    QUELLAN2_STATUS status = here(Rule::STRINGS, CHILD(stringCreate), CHECK_TEXT, &string);
    if (status != QUELLAN2_STATUS_OK || !string) {
        fail(Rule::STRINGS, returned("quellan2_stringCreate", status) + (string ? "" : " and no string"));
        return true;
    }
    const std::uint32_t expected = static_cast<std::uint32_t>(std::strlen(CHECK_TEXT));
    std::uint32_t length = 0;
    status = here(Rule::STRINGS, CHILD(stringCopy), string, static_cast<char*>(nullptr), &length);
    if (status != QUELLAN2_STATUS_INSUFFICIENT_BUFFER || length != expected)
        fail(Rule::STRINGS, "the size query (null buffer, length 0) " + returned("quellan2_stringCopy", status) +
                                " with length " + std::to_string(length) +
                                ", expected QUELLAN2_STATUS_INSUFFICIENT_BUFFER with " + std::to_string(expected));
    // One byte more than the text, preset: the copy writes no terminator.
    std::string buffer(expected + 1, '\x7F');
    length = expected - 1;
    status = here(Rule::STRINGS, CHILD(stringCopy), string, buffer.data(), &length);
    if (status == QUELLAN2_STATUS_OK) fail(Rule::STRINGS, "a buffer one byte short was accepted");
    length = expected;
    status = here(Rule::STRINGS, CHILD(stringCopy), string, buffer.data(), &length);
    if (status != QUELLAN2_STATUS_OK)
        fail(Rule::STRINGS, returned("quellan2_stringCopy", status) + " for a buffer of the text's size");
    else if (buffer.compare(0, expected, CHECK_TEXT) != 0)
        fail(buffer.compare(0, expected, std::string(expected, '\x7F')) == 0 ? Rule::OUT_VALUES : Rule::STRINGS,
             "quellan2_stringCopy answered OK but the buffer does not hold the text given to quellan2_stringCreate");
    else if (buffer[expected] != '\x7F')
        fail(Rule::STRINGS, "quellan2_stringCopy wrote past the text's length");
    status = here(Rule::STRINGS, CHILD(stringFree), string);
    if (status != QUELLAN2_STATUS_OK) fail(Rule::STRINGS, returned("quellan2_stringFree", status));
    return true;
}

std::optional<std::vector<Value>> Checker::readVector(Rule rule, const char* producer, QUELLAN2_VECTOR vector,
                                                      std::optional<std::uint32_t> length) {
    const std::string from = std::string("the vector of ") + producer;
    if (!vector) {
        fail(rule, std::string(producer) + " answered OK without a vector");
        return std::nullopt;
    }
    // Freed on every way out: the host owns what it was handed.
    auto release = mq::platform::ScopeExit([this, vector] { here(Rule::VECTORS, CHILD(vectorFree), vector); });
    std::uint32_t count = mq::UNWRITTEN_NUMBER;
    QUELLAN2_STATUS status = here(rule, CHILD(vectorGetLength), vector, &count);
    if (status != QUELLAN2_STATUS_OK) {
        fail(rule, from + ": " + returned("quellan2_vectorGetLength", status));
        return std::nullopt;
    }
    if (count == mq::UNWRITTEN_NUMBER) {
        fail(Rule::OUT_VALUES, "quellan2_vectorGetLength answered OK without writing the length");
        return std::nullopt;
    }
    if (length && count != *length) {
        fail(rule, from + " has " + std::to_string(count) + " element(s), expected " + std::to_string(*length));
        return std::nullopt;
    }
    std::vector<Value> values;
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::string element = from + ", element " + std::to_string(k);
        std::uint32_t type = mq::UNWRITTEN_NUMBER;
        status = here(rule, CHILD(vectorGetType), vector, k, &type);
        if (status != QUELLAN2_STATUS_OK) {
            fail(rule, element + ": " + returned("quellan2_vectorGetType", status));
            return std::nullopt;
        }
        if (type == QUELLAN2_TYPE_NULL) {
            values.emplace_back();
        } else if (type == QUELLAN2_TYPE_FLOAT) {
            float value = 0;
            status = here(rule, CHILD(vectorGetFloat), vector, k, &value);
            if (status != QUELLAN2_STATUS_OK) {
                fail(rule, element + " is a float but " + returned("quellan2_vectorGetFloat", status));
                return std::nullopt;
            }
            values.emplace_back(value);
        } else if (type == QUELLAN2_TYPE_STRING) {
            QUELLAN2_STRING text = nullptr;
            status = here(rule, CHILD(vectorGetString), vector, k, &text);
            if (status != QUELLAN2_STATUS_OK || !text) {
                fail(rule, element + " is a string but " + returned("quellan2_vectorGetString", status));
                return std::nullopt;
            }
            std::optional<std::string> read = readString(rule, text, element);
            if (!read) return std::nullopt;
            values.emplace_back(*read);
        } else {
            fail(rule, element + " has the unknown type " +
                           (type == mq::UNWRITTEN_NUMBER ? std::string("(none written)") : std::to_string(type)));
            return std::nullopt;
        }
    }
    return values;
}

bool Checker::checkVectors() {
    QUELLAN2_VECTOR vector = nullptr;
    QUELLAN2_STATUS status = here(Rule::VECTORS, CHILD(vectorCreate), 3u, &vector);
    if (status != QUELLAN2_STATUS_OK || !vector) {
        fail(Rule::VECTORS, returned("quellan2_vectorCreate", status) + (vector ? "" : " and no vector"));
        return true;
    }
    std::uint32_t type = mq::UNWRITTEN_NUMBER;
    status = here(Rule::VECTORS, CHILD(vectorGetType), vector, 0u, &type);
    if (status != QUELLAN2_STATUS_OK || type != QUELLAN2_TYPE_NULL)
        fail(Rule::VECTORS, "element 0 of a new vector: " + returned("quellan2_vectorGetType", status) +
                                " with type " + std::to_string(type) + ", expected null (0)");
    status = here(Rule::VECTORS, CHILD(vectorGetType), vector, 3u, &type);
    if (status == QUELLAN2_STATUS_OK) fail(Rule::VECTORS, "quellan2_vectorGetType accepted index 3 of 3 elements");
    here(Rule::VECTORS, CHILD(vectorSetFloat), vector, 0u, 1.5f);
    here(Rule::VECTORS, CHILD(vectorSetString), vector, 1u, CHECK_TEXT);
    here(Rule::VECTORS, CHILD(vectorSetNull), vector, 2u);
    // readVector frees it.
    std::optional<std::vector<Value>> values = readVector(Rule::VECTORS, "quellan2_vectorCreate", vector, 3u);
    const std::vector<Value> expected{1.5f, std::string(CHECK_TEXT), std::monostate()};
    if (values)
        for (std::size_t k = 0; k < expected.size(); ++k)
            if (!sameValue((*values)[k], expected[k]))
                fail(Rule::VECTORS, "element " + std::to_string(k) + " was set to " + shown(expected[k]) +
                                        " and reads back as " + shown((*values)[k]));
    return true;
}

}  // namespace quellan::check
