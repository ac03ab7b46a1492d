// The behaviour script: test controls that make interface functions fail,
// fault, sleep, leave their results unwritten or deliver odd vectors.
#pragma once

#include "samples/simquellan/Fault.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simquellan {

// How a result vector is spoilt.
struct VectorQuirk {
    bool none = false;
    std::uint32_t shorter = 0;
    std::optional<std::uint32_t> unknownTypeAt;
    std::optional<std::uint32_t> failingGetAt;
    // Set by a script (Script.h) only.
    std::uint32_t longer = 0;
    std::optional<std::uint32_t> reportedTypeAt;
    std::uint32_t reportedType = 0;
};

// What the controls ask of one call.
struct Intercept {
    std::optional<std::uint32_t> fail;
    Fault fault = Fault::NONE;
    std::uint32_t sleepMilliseconds = 0;
    bool unwritten = false;
    VectorQuirk vector;
};

class Behaviour {
public:
    // Takes a control line split into words; false with `error` for a line
    // that is not a control. `known` is false for words of other kinds.
    bool addRule(const std::vector<std::string>& words, bool& known, std::string& error);

    // Counts the call of `function` and merges the rules that apply to it.
    void intercept(const std::string& function, Intercept& result);

    // True when a refuse rule names this function and subject
    // ("2", "Line1 0", "Line1 TT-101").
    bool refuses(const std::string& function, const std::string& subject) const;

    void clear() { rules.clear(); }

    static bool isFunctionName(const std::string& name);

private:
    enum class Kind { FAIL, FAULT, SLEEP, UNWRITTEN, VECTOR, REFUSE };
    struct Rule {
        Kind kind = Kind::FAIL;
        std::string function;
        std::uint32_t status = 1;
        Fault fault = Fault::NONE;
        std::uint32_t milliseconds = 0;
        VectorQuirk vector;
        std::string subject;
        std::uint64_t after = 0;
        std::optional<std::uint64_t> times;
        std::uint64_t seen = 0;
        std::uint64_t applied = 0;
    };
    std::vector<Rule> rules;
};

}  // namespace simquellan
