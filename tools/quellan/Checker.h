// The checker behind quellan check: the harness the rule groups use (findings, reports, guarded calls).
#pragma once

#include "ConformanceRules.h"
#include "ProbeProcess.h"
#include "Table.h"
#include "Value.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/GuardedCall.h"
#include "hosting/LibraryHandle.h"
#include "hosting/QuellanMessage.h"
#include "hosting/QuellanProxy.h"
#include "interface/OutValues.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quellan::check {

// The entry's name and the child's function, for the rule groups' calls.
#define CHILD(entry) MQ_CHILD_FUNCTION_NAME(entry), exports.entry

using Clock = std::chrono::steady_clock;

// A call slower than this fails prompt-answers: a host's screen waits on it,
// and MultiQuellan's caller wakes after this long to look at it.
inline constexpr std::chrono::seconds PROMPT{2};
// How much of a large tree is walked, and how many tags the data calls read.
inline constexpr std::size_t MOST_NODES = 1000;
inline constexpr std::size_t MOST_DATA_TAGS = 16;
inline constexpr int MOST_DEPTH = 16;
// Historical reads: samples at start + k x interval.
inline constexpr std::int32_t HISTORY_INTERVAL = 60;
inline constexpr std::uint32_t HISTORY_SAMPLES = 3;
inline const char* const CHECK_TEXT = "Quellan check \xC2\xB5";

// One call of the child on the worker, with the fault guard's verdict.
class GuardedMessage : public mq::QuellanMessage {
public:
    GuardedMessage(const char* name, std::function<mq::GuardedOutcome()> body) : name(name), body(std::move(body)) {}
    const char* callName() const override { return name; }
    QUELLAN2_STATUS execute(mq::QuellanProxy&) override {
        outcome = body();
        return outcome.status;
    }

    mq::GuardedOutcome outcome{QUELLAN2_STATUS_ERROR, mq::platform::Fault::NONE};

private:
    const char* name;
    std::function<mq::GuardedOutcome()> body;
};

// "quellan2_x returned NAME (n)", for the findings.
std::string returned(const char* function, QUELLAN2_STATUS status);
// The same element: floats bit for bit.
bool sameValue(const Value& a, const Value& b);
// An element as a finding quotes it.
std::string shown(const Value& value);

// What the probe process reports: a rule's findings, that it is checked, and
// which rules the calls under way are about.
inline constexpr const char* FINDING = "finding";
inline constexpr const char* CHECKED = "checked";
inline constexpr const char* BEGUN = "begun";
inline constexpr const char* DONE = "done";
// The library could not be loaded at all, with the platform's reason.
inline constexpr const char* UNLOADABLE = "unloadable";
// A rule made its first call.
inline constexpr const char* EXERCISED = "exercised";

// The rules about the plug-in's data: when none of them could make its calls,
// the plug-in offered nothing to check and the run fails.
inline constexpr Rule DATA_RULES[] = {Rule::CURRENT_DATA, Rule::HISTORICAL_DATA, Rule::BATCHES, Rule::TIMES};
// The rules about every call: calls that could not be made are not covered by them.
inline constexpr Rule EVERY_CALL_RULES[] = {Rule::OUT_VALUES, Rule::NO_FAULTS, Rule::PROMPT_ANSWERS};

class Checker {
public:
    // `report`, when given, hears every finding and every change of the rules' state as it happens.
    explicit Checker(std::string path, std::function<void(const ProbeMessage&)> report = {})
        : path(std::move(path)), report(std::move(report)) {}

    // Runs every stage of CHECK_STAGES in order, up to the first that leaves nothing more to check.
    void run();
    Table table() const;
    bool anyFailure() const;
    // No data rule could make its calls (DATA_RULES): the plug-in had no tag or batch to check them on.
    bool offeredNothing() const;

    // In the tool: takes in one report of the probe process that ran the checker.
    void apply(const ProbeMessage& message);
    // Whether the probe's run got to its end.
    bool finished() const { return done; }
    // The probe process ended before the end of the run, as `how` says.
    void ended(const std::string& how);
    // The platform's reason when the library could not be loaded at all.
    const std::optional<std::string>& loadFailure() const { return unloadable; }

private:
    // UNMADE: calls the rule could not make, and why; a rule is never passed on
    // calls it did not make (SKIP when it made none, otherwise WARN).
    enum class Kind { FAILURE, WARNING, UNMADE };
    struct Finding {
        Kind kind;
        std::string text;
    };

    void fail(Rule rule, const std::string& text) { add(rule, {Kind::FAILURE, text}); }
    void warn(Rule rule, const std::string& text) { add(rule, {Kind::WARNING, text}); }
    // The rule could not make the calls of `functions`, as `why` says, for
    // lack of `lacking` ("no tag"); the rules about every call hear of them at the end.
    void unmade(Rule rule, const std::string& why, const std::string& lacking,
                const std::vector<const char*>& functions);
    // Tells the rules about every call which calls were never made.
    void reportUnmadeCalls();
    // A finding is kept once: a plug-in that fails at one call often fails at every such call.
    void add(Rule rule, Finding finding) {
        std::vector<Finding>& found = findings[index(rule)];
        for (const Finding& known : found)
            if (known.text == finding.text) return;
        if (report)
            report({FINDING, std::to_string(index(rule)), std::to_string(static_cast<int>(finding.kind)),
                    finding.text});
        found.push_back(std::move(finding));
    }
    // The rule made a call, and so did the rules about every call.
    void exercise(Rule rule) {
        if (exercised[index(rule)]) return;
        std::vector<Rule> first{rule};
        for (Rule every : EVERY_CALL_RULES)
            if (!exercised[index(every)]) first.push_back(every);
        tell(EXERCISED, first);
    }
    static std::size_t index(Rule rule) { return static_cast<std::size_t>(rule); }
    static Rule ruleAt(const std::string& word) {
        const std::size_t k = std::stoul(word);
        if (k >= RULE_COUNT) throw std::out_of_range("no rule " + word);
        return static_cast<Rule>(k);
    }

    // The rules will be judged; and the calls that follow are about these.
    void markChecked(const std::vector<Rule>& rules) { tell(CHECKED, rules); }
    void begin(const std::vector<Rule>& rules) { tell(BEGUN, rules); }
    void tell(const char* what, const std::vector<Rule>& rules) {
        ProbeMessage message{what};
        for (Rule rule : rules) message.push_back(std::to_string(index(rule)));
        apply(message);
        if (report) report(message);
    }

    // Every call goes through the fault guard and is timed; a fault fails
    // both the rule being checked and no-faults.
    void judge(Rule rule, const char* function, const mq::GuardedOutcome& outcome, Clock::duration took) {
        exercise(rule);
        if (outcome.faulted()) {
            const std::string fault = std::string(function) + " faulted: " + mq::platform::describe(outcome.fault);
            fail(rule, fault);
            if (rule != Rule::NO_FAULTS) fail(Rule::NO_FAULTS, fault);
        }
        if (took > PROMPT)
            fail(Rule::PROMPT_ANSWERS,
                 std::string(function) + " took " +
                     std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) + " ms");
    }

    // A call on this thread: strings and vectors, as a host makes them.
    template <typename Function, typename... Arguments>
    QUELLAN2_STATUS here(Rule rule, const char* name, Function function, Arguments... arguments) {
        const Clock::time_point start = Clock::now();
        const mq::GuardedOutcome outcome = mq::guardedCallOutcome(function, arguments...);
        judge(rule, name, outcome, Clock::now() - start);
        return outcome.status;
    }

    // A call on the child's worker, through the proxy, as MultiQuellan makes
    // every call on the connection, its nodes and tags.
    template <typename Function, typename... Arguments>
    QUELLAN2_STATUS onWorker(Rule rule, const char* name, Function function, Arguments... arguments) {
        // The checker's proxy has no timeout: the call has ended when call()
        // returns, so the message may refer to this frame's arguments.
        auto message =
            std::make_shared<GuardedMessage>(name, [&] { return mq::guardedCallOutcome(function, arguments...); });
        const Clock::time_point start = Clock::now();
        proxy->call(message);
        judge(rule, name, message->outcome, Clock::now() - start);
        return message->outcome.status;
    }

    // A call that must be refused: any status but OK, and no fault.
    template <typename Function, typename... Arguments>
    void expectRefusal(bool onWorkerThread, const char* name, Function function, const char* what,
                       Arguments... arguments) {
        const QUELLAN2_STATUS status = onWorkerThread ? onWorker(Rule::NULL_ARGUMENTS, name, function, arguments...)
                                                      : here(Rule::NULL_ARGUMENTS, name, function, arguments...);
        if (status == QUELLAN2_STATUS_OK) fail(Rule::NULL_ARGUMENTS, std::string(name) + " accepted " + what);
    }

    // The rule groups, one per stage of CHECK_STAGES. Each answers false
    // when what follows cannot be checked.
    // CheckStartUp.cpp
    bool checkExports();
    bool checkStartUp();
    bool shutDown();
    // CheckValues.cpp
    bool checkStrings();
    bool checkVectors();
    // CheckTree.cpp
    bool walkTree();
    void walkNode(QUELLAN2_NODE node, int depth);
    bool checkNullArguments();
    // CheckData.cpp
    bool checkCurrentData();
    bool checkHistoricalData();
    bool checkBatches();
    bool checkTimes();

    struct Stage;
    static const Stage CHECK_STAGES[];

    // The text of a string the child delivered, which is then freed; nothing
    // when the string protocol fails on it.
    std::optional<std::string> readString(Rule rule, QUELLAN2_STRING string, const std::string& whose);
    // The elements of a delivered vector, which is then freed; nothing when
    // it cannot be read. `length` is the length it must have, if known.
    std::optional<std::vector<Value>> readVector(Rule rule, const char* producer, QUELLAN2_VECTOR vector,
                                                 std::optional<std::uint32_t> length);
    std::uint32_t currentTime();

    std::string path;
    std::function<void(const ProbeMessage&)> report;
    // Loaded by the exports check and held for the whole run.
    std::optional<mq::LibraryHandle> library;
    // The rules of each stretch of calls begun, in order: the last is under way.
    std::vector<std::vector<Rule>> begun;
    bool done = false;
    std::optional<std::string> unloadable;
    // Every function of the child, looked up by the exports check. The proxy
    // loads the same module, so these are the entries its worker calls.
    mq::ChildExports exports;
    std::unique_ptr<mq::QuellanProxy> proxy;
    std::vector<QUELLAN2_NODE> nodes;
    std::vector<QUELLAN2_TAG> tags;
    std::array<std::vector<Finding>, RULE_COUNT> findings;
    std::array<bool, RULE_COUNT> checked{};
    std::array<bool, RULE_COUNT> exercised{};
    // The calls never made, by what was lacking ("no tag"), in the order found.
    std::vector<std::pair<std::string, std::vector<std::string>>> unmadeCalls;
};

}  // namespace quellan::check
