// The frame around every exported function: the test controls before the
// work, the journal line after it, and no exception leaving by accident.
#pragma once

#include "quellan2.h"
#include "samples/simquellan/Behaviour.h"
#include "samples/simquellan/Objects.h"

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace simquellan {

class Call {
public:
    // `describe` is the readable arguments, or a function that makes them
    // from values it took when the call began: they are made only for a line
    // that is written, since making them costs more than many a call (a
    // vector's element, say). It lives as long as the call.
    template <class Describe>
    Call(const char* function, const Describe& describe)
        : function(function), describeWith(&describeThunk<Describe>), describeContext(&describe) {}

    const char* const function;
    Intercept intercept;

    std::string arguments() const { return describeWith(describeContext); }

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

private:
    template <class Describe>
    static std::string describeThunk(const void* context) {
        const Describe& describe = *static_cast<const Describe*>(context);
        if constexpr (std::is_invocable_v<const Describe&>)
            return std::string(describe());
        else
            return std::string(describe);
    }

    std::string (*const describeWith)(const void*);
    const void* const describeContext;
};

// Applies the controls: sleeps, then raises a requested fault (which may
// leave the function), after journaling it.
void beginCall(Call& call);
QUELLAN2_STATUS endCall(const Call& call, QUELLAN2_STATUS status);

template <class Describe, class Work>
QUELLAN2_STATUS serve(const char* function, const Describe& arguments, Work&& work) {
    Call call(function, arguments);
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
