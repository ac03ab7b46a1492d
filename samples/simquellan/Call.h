// The frame around every exported function: the test controls before the
// work, the journal line after it, and no exception leaving by accident.
#pragma once

#include "quellan2.h"
#include "samples/simquellan/Behaviour.h"
#include "samples/simquellan/Objects.h"

#include <cstdint>
#include <memory>
#include <string>

namespace simquellan {

class Call {
public:
    Call(const char* function, std::string arguments) : function(function), arguments(std::move(arguments)) {}

    const char* const function;
    const std::string arguments;
    Intercept intercept;

    // Out values go through here, so that an "unwritten" control can keep them back.
    template <class T>
    void store(T* out, T value) const {
        if (!intercept.unwritten) *out = value;
    }
    void store(QUELLAN2_STRING* out, std::unique_ptr<SimString> string) const {
        if (!intercept.unwritten) *out = handleOf(std::move(string));
    }
    void store(QUELLAN2_VECTOR* out, std::unique_ptr<SimVector> vector) const {
        if (!intercept.unwritten) *out = handleOf(std::move(vector));
    }
};

// Applies the controls: sleeps, then raises a requested fault (which may
// leave the function), after journaling it.
void beginCall(Call& call);
QUELLAN2_STATUS endCall(const Call& call, QUELLAN2_STATUS status);

template <class Work>
QUELLAN2_STATUS serve(const char* function, std::string arguments, Work&& work) {
    Call call(function, std::move(arguments));
    beginCall(call);
    if (call.intercept.fail) return endCall(call, *call.intercept.fail);
    QUELLAN2_STATUS status = QUELLAN2_STATUS_ERROR;
    try {
        status = work(call);
    } catch (...) {
        status = QUELLAN2_STATUS_ERROR;
    }
    if (call.intercept.unwritten) status = QUELLAN2_STATUS_OK;
    return endCall(call, status);
}

// Readable arguments for the journal: "connection=1 tags=3,4 time=1000".
class Arguments {
public:
    Arguments& number(const char* name, std::int64_t value);
    Arguments& handle(const char* name, const void* value);
    Arguments& text(const char* name, const char* value);
    Arguments& tags(const QUELLAN2_TAG* tags, std::uint32_t count);
    // The text and the address, so that tests can see the same pointer reach every child.
    Arguments& batch(const char* value);
    Arguments& vector(const char* name, QUELLAN2_VECTOR value);
    Arguments& vectors(const char* name, const QUELLAN2_VECTOR* values, std::uint32_t count);
    Arguments& floating(const char* name, float value);
    operator std::string() const { return result; }

private:
    Arguments& add(const char* name, const std::string& value);
    std::string result;
};

}  // namespace simquellan
