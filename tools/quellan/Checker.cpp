// The checker's harness: the stages in order, the findings, the probe's reports and the table of results.
#include "Checker.h"

#include "Status.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace quellan::check {

std::string returned(const char* function, QUELLAN2_STATUS status) {
    return std::string(function) + " returned " + statusName(status) + " (" + std::to_string(status) + ")";
}

bool sameValue(const Value& a, const Value& b) {
    if (a.index() != b.index()) return false;
    if (const float* x = std::get_if<float>(&a)) return std::memcmp(x, &std::get<float>(b), sizeof(float)) == 0;
    return a == b;
}

std::string shown(const Value& value) {
    if (const float* x = std::get_if<float>(&value)) return formatFloat(*x);
    if (const std::string* text = std::get_if<std::string>(&value)) return "\"" + *text + "\"";
    return "null";
}

// One stage of the run: the rules judged from it on, the rules its calls are
// about, and the rule group that makes them. In the order they run.
struct Checker::Stage {
    std::vector<Rule> judged;
    std::vector<Rule> begun;
    bool (Checker::*check)();
};

const Checker::Stage Checker::CHECK_STAGES[] = {
    {{Rule::EXPORTS}, {Rule::EXPORTS}, &Checker::checkExports},
    {{Rule::START_UP, Rule::SHUT_DOWN, Rule::NO_FAULTS, Rule::PROMPT_ANSWERS},
     {Rule::START_UP},
     &Checker::checkStartUp},
    {{Rule::NULL_ARGUMENTS, Rule::STRINGS, Rule::VECTORS, Rule::OUT_VALUES, Rule::TREE_COUNTS, Rule::NAMES,
      Rule::CURRENT_DATA, Rule::HISTORICAL_DATA, Rule::BATCHES, Rule::TIMES},
     {Rule::STRINGS},
     &Checker::checkStrings},
    {{}, {Rule::VECTORS}, &Checker::checkVectors},
    {{}, {Rule::TREE_COUNTS, Rule::NAMES}, &Checker::walkTree},
    {{}, {Rule::NULL_ARGUMENTS}, &Checker::checkNullArguments},
    {{}, {Rule::CURRENT_DATA}, &Checker::checkCurrentData},
    {{}, {Rule::HISTORICAL_DATA}, &Checker::checkHistoricalData},
    {{}, {Rule::BATCHES}, &Checker::checkBatches},
    {{}, {Rule::TIMES}, &Checker::checkTimes},
    {{}, {Rule::SHUT_DOWN}, &Checker::shutDown},
};

void Checker::run() {
    for (const Stage& stage : CHECK_STAGES) {
        if (!stage.judged.empty()) markChecked(stage.judged);
        begin(stage.begun);
        if (!(this->*stage.check)()) break;
    }
    reportUnmadeCalls();
    library.reset();
}

void Checker::unmade(Rule rule, const std::string& why, const std::string& lacking,
                     const std::vector<const char*>& functions) {
    add(rule, {Kind::UNMADE, why});
    if (functions.empty()) return;
    auto group = std::find_if(unmadeCalls.begin(), unmadeCalls.end(),
                              [&](const auto& known) { return known.first == lacking; });
    if (group == unmadeCalls.end()) group = unmadeCalls.insert(unmadeCalls.end(), {lacking, {}});
    for (const char* function : functions)
        if (std::find(group->second.begin(), group->second.end(), function) == group->second.end())
            group->second.emplace_back(function);
}

void Checker::reportUnmadeCalls() {
    if (unmadeCalls.empty()) return;
    std::string text;
    for (std::size_t k = 0; k < unmadeCalls.size(); ++k) {
        const auto& [lacking, functions] = unmadeCalls[k];
        text += (k ? "; " : "") + lacking + ", so never called: ";
        for (std::size_t f = 0; f < functions.size(); ++f) text += (f ? ", " : "") + functions[f];
    }
    for (Rule rule : EVERY_CALL_RULES) add(rule, {Kind::UNMADE, text});
}

void Checker::apply(const ProbeMessage& message) {
    const std::string& what = message.at(0);
    if (what == FINDING) {
        const int kind = std::stoi(message.at(2));
        if (kind < 0 || kind > static_cast<int>(Kind::UNMADE))
            throw std::out_of_range("no finding kind " + message.at(2));
        add(ruleAt(message.at(1)), {static_cast<Kind>(kind), message.at(3)});
    } else if (what == CHECKED) {
        for (std::size_t k = 1; k < message.size(); ++k) checked[index(ruleAt(message[k]))] = true;
    } else if (what == BEGUN) {
        begun.emplace_back();
        for (std::size_t k = 1; k < message.size(); ++k) begun.back().push_back(ruleAt(message[k]));
    } else if (what == EXERCISED) {
        for (std::size_t k = 1; k < message.size(); ++k) exercised[index(ruleAt(message[k]))] = true;
    } else if (what == UNLOADABLE) {
        unloadable = message.at(1);
    } else if (what == DONE) {
        done = true;
    }
}

void Checker::ended(const std::string& how) {
    const std::vector<Rule> underWay = begun.empty() ? std::vector<Rule>{Rule::EXPORTS} : begun.back();
    const std::string text = "the plug-in ended the process it ran in (" + how + ") during these calls";
    checked[index(underWay.front())] = checked[index(Rule::NO_FAULTS)] = true;
    fail(underWay.front(), text);
    fail(Rule::NO_FAULTS, text);
    // Only the rules whose calls were all made are judged; the others were
    // not checked, unless something already failed or warned in them.
    for (const RuleText& rule : CONFORMANCE_RULES) {
        bool completed = false;
        for (std::size_t k = 0; k + 1 < begun.size(); ++k)
            completed = completed || std::find(begun[k].begin(), begun[k].end(), rule.rule) != begun[k].end();
        if (!completed && findings[index(rule.rule)].empty()) checked[index(rule.rule)] = false;
    }
}

Table Checker::table() const {
    Table table{{"rule", "result", "details"}, {}};
    for (const RuleText& text : CONFORMANCE_RULES) {
        const std::vector<Finding>& found = findings[index(text.rule)];
        const auto any = [&found](Kind kind) {
            return std::any_of(found.begin(), found.end(), [kind](const Finding& f) { return f.kind == kind; });
        };
        const bool failed = any(Kind::FAILURE);
        const bool unmadeCalls = any(Kind::UNMADE);
        // A rule that could make none of its calls has nothing to pass.
        const bool nothingMade = unmadeCalls && !exercised[index(text.rule)];
        std::string result = !checked[index(text.rule)] ? "SKIP"
                             : failed                  ? "FAIL"
                             : nothingMade             ? "SKIP"
                             : found.empty()           ? "PASS"
                                                       : "WARN";
        // The first few findings; a plug-in that fails a rule often fails it at every tag.
        constexpr std::size_t SHOWN = 3;
        std::string details;
        for (std::size_t k = 0; k < found.size() && k < SHOWN; ++k) details += (k ? "; " : "") + found[k].text;
        if (found.size() > SHOWN) details += "; and " + std::to_string(found.size() - SHOWN) + " more";
        if (!checked[index(text.rule)]) details = "not checked after an earlier failure";
        table.rows.push_back({std::string(text.name), result, details});
    }
    return table;
}

bool Checker::anyFailure() const {
    for (const std::vector<Finding>& found : findings)
        for (const Finding& finding : found)
            if (finding.kind == Kind::FAILURE) return true;
    return false;
}

bool Checker::offeredNothing() const {
    for (Rule rule : DATA_RULES) {
        const std::vector<Finding>& found = findings[index(rule)];
        if (!checked[index(rule)] ||
            std::none_of(found.begin(), found.end(), [](const Finding& f) { return f.kind == Kind::UNMADE; }))
            return false;
    }
    return true;
}

}  // namespace quellan::check
