// The rules that `quellan check` holds a plug-in to: one table, shown by the tool and quoted by the README.
#pragma once

#include <cstddef>

namespace quellan {

enum class Rule {
    EXPORTS,
    START_UP,
    NULL_ARGUMENTS,
    STRINGS,
    VECTORS,
    OUT_VALUES,
    TREE_COUNTS,
    NAMES,
    CURRENT_DATA,
    HISTORICAL_DATA,
    BATCHES,
    TIMES,
    NO_FAULTS,
    PROMPT_ANSWERS,
    SHUT_DOWN,
};

struct RuleText {
    Rule rule;
    const char* name;
    const char* checks;
};

// In the order they are reported.
inline constexpr RuleText CONFORMANCE_RULES[] = {
    {Rule::EXPORTS, "exports",
     "every required function is exported (a missing optional one is a warning)"},
    {Rule::START_UP, "start-up",
     "quellan2_initialize, quellan2_getIdentity and quellan2_connectionOpen answer OK on one worker thread"},
    {Rule::NULL_ARGUMENTS, "null-arguments",
     "every function refuses a null handle, out pointer or text with a failing status, without a fault"},
    {Rule::STRINGS, "strings",
     "a null buffer asks the size (INSUFFICIENT_BUFFER and the length), a buffer that size gets the text, "
     "one byte short is refused, quellan2_stringFree answers OK"},
    {Rule::VECTORS, "vectors",
     "quellan2_vectorCreate gives the asked length of nulls; floats, texts and nulls set read back; "
     "an index past the end is refused"},
    {Rule::OUT_VALUES, "out-values",
     "a call that answers OK has written every out value (each is preset to a sentinel)"},
    {Rule::TREE_COUNTS, "tree-counts",
     "node, sub-node and tag counts agree with enumeration; the index after the last is refused"},
    {Rule::NAMES, "names", "every node and tag name is delivered and readable"},
    {Rule::CURRENT_DATA, "current-data",
     "quellan2_connectionReadCurrentData gives one readable element of a known type per tag"},
    {Rule::HISTORICAL_DATA, "historical-data",
     "quellan2_connectionReadHistoricalDataEx gives one vector per sample, one element per tag, and sample k "
     "equals quellan2_connectionReadHistoricalData at start + k x interval"},
    {Rule::BATCHES, "batches",
     "quellan2_nodeGetActiveBatches gives texts; quellan2_nodeGetBatchTimes answers each with start <= end; "
     "quellan2_connectionReadBatchData(Ex) give one element per tag"},
    {Rule::TIMES, "times", "quellan2_tagGetUpdateTime answers for every tag, quellan2_connectionGetCurrentTime once"},
    {Rule::NO_FAULTS, "no-faults", "no call faults or lets an exception out"},
    {Rule::PROMPT_ANSWERS, "prompt-answers", "every call returns within 2 seconds"},
    {Rule::SHUT_DOWN, "shut-down", "quellan2_connectionClose and quellan2_uninitialize answer OK"},
};

inline constexpr std::size_t RULE_COUNT = sizeof(CONFORMANCE_RULES) / sizeof(CONFORMANCE_RULES[0]);

// A rule's number is its row: the checker keeps its findings by number.
constexpr bool rowsFollowRules() {
    for (std::size_t k = 0; k < RULE_COUNT; ++k)
        if (static_cast<std::size_t>(CONFORMANCE_RULES[k].rule) != k) return false;
    return true;
}
static_assert(rowsFollowRules(), "CONFORMANCE_RULES lists every rule once, in the order of enum Rule");
static_assert(static_cast<std::size_t>(Rule::SHUT_DOWN) + 1 == RULE_COUNT, "every rule has a row");

}  // namespace quellan
