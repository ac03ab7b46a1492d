// The rules that `quellan check` holds a plug-in to: one table, shown by the tool and quoted by the README.
#pragma once

#include <cstddef>

namespace quellan {

// One row per rule, in the order they are reported: its enumerator, the name
// users see and what it checks. Expanded into `Rule` and `CONFORMANCE_RULES`.
#define QUELLAN_CONFORMANCE_RULES(RULE) \
    RULE(EXPORTS, "exports", "every required function is exported (a missing optional one is a warning)") \
    RULE(START_UP, "start-up", \
         "quellan2_initialize, quellan2_getIdentity and quellan2_connectionOpen answer OK on one worker thread") \
    RULE(NULL_ARGUMENTS, "null-arguments", \
         "every function refuses a null handle, out pointer or text with a failing status, without a fault") \
    RULE(STRINGS, "strings", \
         "a null buffer asks the size (INSUFFICIENT_BUFFER and the length), a buffer that size gets the text, " \
         "one byte short is refused, quellan2_stringFree answers OK") \
    RULE(VECTORS, "vectors", \
         "quellan2_vectorCreate gives the asked length of nulls; floats, texts and nulls set read back; an " \
         "index past the end is refused") \
    RULE(OUT_VALUES, "out-values", \
         "a call that answers OK has written every out value (each is preset to a sentinel)") \
    RULE(TREE_COUNTS, "tree-counts", \
         "node, sub-node and tag counts agree with enumeration; the index after the last is refused") \
    RULE(NAMES, "names", "every node and tag name is delivered and readable") \
    RULE(CURRENT_DATA, "current-data", \
         "quellan2_connectionReadCurrentData gives one readable element of a known type per tag") \
    RULE(HISTORICAL_DATA, "historical-data", \
         "quellan2_connectionReadHistoricalDataEx gives one vector per sample, one element per tag, and sample" \
         " k equals quellan2_connectionReadHistoricalData at start + k x interval") \
    RULE(BATCHES, "batches", \
         "quellan2_nodeGetActiveBatches gives texts; quellan2_nodeGetBatchTimes answers each with start <= " \
         "end; quellan2_connectionReadBatchData(Ex) give one element per tag") \
    RULE(TIMES, "times", "quellan2_tagGetUpdateTime answers for every tag, quellan2_connectionGetCurrentTime once") \
    RULE(NO_FAULTS, "no-faults", "no call faults or lets an exception out") \
    RULE(PROMPT_ANSWERS, "prompt-answers", "every call returns within 2 seconds") \
    RULE(SHUT_DOWN, "shut-down", "quellan2_connectionClose and quellan2_uninitialize answer OK")

enum class Rule {
#define QUELLAN_RULE_ENUMERATOR(rule, name, checks) rule,
    QUELLAN_CONFORMANCE_RULES(QUELLAN_RULE_ENUMERATOR)
#undef QUELLAN_RULE_ENUMERATOR
};

struct RuleText {
    Rule rule;
    const char* name;
    const char* checks;
};

inline constexpr RuleText CONFORMANCE_RULES[] = {
#define QUELLAN_RULE_ROW(rule, name, checks) {Rule::rule, name, checks},
    QUELLAN_CONFORMANCE_RULES(QUELLAN_RULE_ROW)
#undef QUELLAN_RULE_ROW
};

inline constexpr std::size_t RULE_COUNT = sizeof(CONFORMANCE_RULES) / sizeof(CONFORMANCE_RULES[0]);

}  // namespace quellan

