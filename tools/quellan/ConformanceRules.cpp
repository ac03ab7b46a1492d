// Finding a rule's row in the table of conformance rules.
#include "ConformanceRules.h"

namespace quellan {

const RuleText& ruleText(Rule rule) {
    for (const RuleText& text : CONFORMANCE_RULES)
        if (text.rule == rule) return text;
    return CONFORMANCE_RULES[0];
}

}  // namespace quellan
