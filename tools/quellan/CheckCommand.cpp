// quellan check: driving a plug-in through every rule, on the threads MultiQuellan uses.
#include "CheckCommand.h"

#include "ConformanceRules.h"
#include "StartUpProbe.h"
#include "Status.h"
#include "ToolError.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/GuardedCall.h"
#include "hosting/LibraryHandle.h"
#include "hosting/QuellanMessage.h"
#include "hosting/QuellanProxy.h"
#include "interface/Exception.h"
#include "platform/ScopeExit.h"
#include "Value.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

namespace quellan {

namespace {

// The entry's name and its address in the child's table, for the calls below.
#define CHILD(entry) MQ_CHILD_FUNCTION_NAME(entry), child->entry

using Clock = std::chrono::steady_clock;

// A call slower than this fails prompt-answers: a host's screen waits on it,
// and MultiQuellan's caller wakes after this long to look at it.
constexpr std::chrono::seconds PROMPT{2};
// How much of a large tree is walked, and how many tags the data calls read.
constexpr std::size_t MOST_NODES = 1000;
constexpr std::size_t MOST_DATA_TAGS = 16;
constexpr int MOST_DEPTH = 16;
// Historical reads: samples at start + k x interval.
constexpr std::int32_t HISTORY_INTERVAL = 60;
constexpr std::uint32_t HISTORY_SAMPLES = 3;
// Out values are preset to these; a call that answers OK must change them.
constexpr std::uint32_t NUMBER_SENTINEL = 0xDEADBEEFu;
const char* const CHECK_TEXT = "Quellan check \xC2\xB5";

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

// What the probe process reports: a rule's findings, that it is checked, and
// which rules the calls under way are about.
const char* const FINDING = "finding";
const char* const CHECKED = "checked";
const char* const BEGUN = "begun";
const char* const DONE = "done";

class Checker {
public:
    // `report`, when given, hears every finding and every change of the rules' state as it happens.
    explicit Checker(std::string path, std::function<void(const ProbeMessage&)> report = {})
        : path(std::move(path)), report(std::move(report)) {}

    void run();
    Table table() const;
    bool anyFailure() const;

    // In the tool: takes in one report of the probe process that ran the checker.
    void apply(const ProbeMessage& message);
    // Whether the probe's run got to its end.
    bool finished() const { return done; }
    // The probe process ended before the end of the run, as `how` says.
    void ended(const std::string& how);

private:
    struct Finding {
        bool failure;
        std::string text;
    };

    void fail(Rule rule, const std::string& text) { add(rule, {true, text}); }
    void warn(Rule rule, const std::string& text) { add(rule, {false, text}); }
    // A finding is kept once: a plug-in that fails at one call often fails at every such call.
    void add(Rule rule, Finding finding) {
        std::vector<Finding>& found = findings[index(rule)];
        for (const Finding& known : found)
            if (known.text == finding.text) return;
        if (report) report({FINDING, std::to_string(index(rule)), finding.failure ? "1" : "0", finding.text});
        found.push_back(std::move(finding));
    }
    static std::size_t index(Rule rule) { return static_cast<std::size_t>(rule); }
    static Rule ruleAt(const std::string& word) {
        const std::size_t k = std::stoul(word);
        if (k >= RULE_COUNT) throw std::out_of_range("no rule " + word);
        return static_cast<Rule>(k);
    }

    // The rules will be judged; and the calls that follow are about these.
    void markChecked(std::initializer_list<Rule> rules) { tell(CHECKED, rules); }
    void begin(std::initializer_list<Rule> rules) { tell(BEGUN, rules); }
    void tell(const char* what, std::initializer_list<Rule> rules) {
        ProbeMessage message{what};
        for (Rule rule : rules) message.push_back(std::to_string(index(rule)));
        apply(message);
        if (report) report(message);
    }

    // Every call goes through the fault guard and is timed; a fault fails
    // both the rule being checked and no-faults.
    void judge(Rule rule, const char* function, const mq::GuardedOutcome& outcome, Clock::duration took) {
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

    bool checkExports(mq::LibraryHandle& library);
    bool checkStartUp();
    void checkStrings();
    void checkVectors();
    void walkTree();
    void walkNode(QUELLAN2_NODE node, int depth);
    void checkNullArguments();
    void checkCurrentData();
    void checkHistoricalData();
    void checkBatches();
    void checkTimes();

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
    // The rules of each stretch of calls begun, in order: the last is under way.
    std::vector<std::vector<Rule>> begun;
    bool done = false;
    const mq::ChildFunctionTable* child = nullptr;
    std::unique_ptr<mq::QuellanProxy> proxy;
    std::vector<QUELLAN2_NODE> nodes;
    std::vector<QUELLAN2_TAG> tags;
    std::array<std::vector<Finding>, RULE_COUNT> findings;
    std::array<bool, RULE_COUNT> checked{};
};

void Checker::run() {
    mq::LibraryHandle library;
    markChecked({Rule::EXPORTS});
    begin({Rule::EXPORTS});
    if (!checkExports(library)) return;
    markChecked({Rule::START_UP, Rule::SHUT_DOWN, Rule::NO_FAULTS, Rule::PROMPT_ANSWERS});
    begin({Rule::START_UP});
    if (!checkStartUp()) return;
    markChecked({Rule::NULL_ARGUMENTS, Rule::STRINGS, Rule::VECTORS, Rule::OUT_VALUES, Rule::TREE_COUNTS,
                 Rule::NAMES, Rule::CURRENT_DATA, Rule::HISTORICAL_DATA, Rule::BATCHES, Rule::TIMES});
    begin({Rule::STRINGS});
    checkStrings();
    begin({Rule::VECTORS});
    checkVectors();
    begin({Rule::TREE_COUNTS, Rule::NAMES});
    walkTree();
    begin({Rule::NULL_ARGUMENTS});
    checkNullArguments();
    begin({Rule::CURRENT_DATA});
    checkCurrentData();
    begin({Rule::HISTORICAL_DATA});
    checkHistoricalData();
    begin({Rule::BATCHES});
    checkBatches();
    begin({Rule::TIMES});
    checkTimes();
    // Stops the worker: it closes the connection and uninitialises the child.
    begin({Rule::SHUT_DOWN});
    proxy.reset();
}

void Checker::apply(const ProbeMessage& message) {
    const std::string& what = message.at(0);
    if (what == FINDING) {
        add(ruleAt(message.at(1)), {message.at(2) == "1", message.at(3)});
    } else if (what == CHECKED) {
        for (std::size_t k = 1; k < message.size(); ++k) checked[index(ruleAt(message[k]))] = true;
    } else if (what == BEGUN) {
        begun.emplace_back();
        for (std::size_t k = 1; k < message.size(); ++k) begun.back().push_back(ruleAt(message[k]));
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

bool Checker::checkExports(mq::LibraryHandle& library) {
    std::string reason;
    if (!library.tryLoad(path, reason)) {
        fail(Rule::EXPORTS, "not a loadable library (" + reason + ")");
        return false;
    }
    try {
        mq::ChildFunctionTable().resolve(library, path);
    } catch (const mq::Exception& missing) {
        fail(Rule::EXPORTS, missing.message());
        return false;
    }
    for (const mq::ChildFunction& function : mq::CHILD_FUNCTIONS)
        if (!function.required && !library.resolve(function.name))
            warn(Rule::EXPORTS, std::string(function.name) + " is not exported; MultiQuellan does without it");
    return true;
}

bool Checker::checkStartUp() {
    mq::LibraryHandle library;
    std::string reason;
    library.tryLoad(path, reason);
    mq::ChildFunctionTable functions;
    functions.lookUp(library);
    // Once step by step on a thread of its own, to see every status (the
    // library does not examine initialize's); then as the library starts it.
    for (const StartUpStep& step : probeStartUp(functions)) {
        const bool shutDown = std::strcmp(step.function, MQ_CHILD_FUNCTION_NAME(connectionClose)) == 0 ||
                              std::strcmp(step.function, MQ_CHILD_FUNCTION_NAME(uninitialize)) == 0;
        judge(shutDown ? Rule::SHUT_DOWN : Rule::START_UP, step.function, step.outcome, {});
        if (!step.succeeded() && !step.outcome.faulted())
            fail(shutDown ? Rule::SHUT_DOWN : Rule::START_UP, step.describe());
    }
    if (!findings[index(Rule::START_UP)].empty()) return false;
    try {
        proxy = std::make_unique<mq::QuellanProxy>(path, std::string());
    } catch (const mq::Exception& failure) {
        fail(Rule::START_UP, "started once, but not the second time: " + failure.message());
        return false;
    }
    child = &proxy->functions();
    QUELLAN2_STRING identity = nullptr;
    if (onWorker(Rule::START_UP, CHILD(getIdentity), &identity) == QUELLAN2_STATUS_OK) {
        if (!identity) fail(Rule::OUT_VALUES, "quellan2_getIdentity answered OK without a string");
        else readString(Rule::START_UP, identity, "the identity");
    }
    return true;
}

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

void Checker::checkStrings() {
    QUELLAN2_STRING string = nullptr;
    QUELLAN2_STATUS status = here(Rule::STRINGS, CHILD(stringCreate), CHECK_TEXT, &string);
    if (status != QUELLAN2_STATUS_OK || !string) {
        fail(Rule::STRINGS, returned("quellan2_stringCreate", status) + (string ? "" : " and no string"));
        return;
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
    std::uint32_t count = NUMBER_SENTINEL;
    QUELLAN2_STATUS status = here(rule, CHILD(vectorGetLength), vector, &count);
    if (status != QUELLAN2_STATUS_OK) {
        fail(rule, from + ": " + returned("quellan2_vectorGetLength", status));
        return std::nullopt;
    }
    if (count == NUMBER_SENTINEL) {
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
        std::uint32_t type = NUMBER_SENTINEL;
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
                           (type == NUMBER_SENTINEL ? std::string("(none written)") : std::to_string(type)));
            return std::nullopt;
        }
    }
    return values;
}

void Checker::checkVectors() {
    QUELLAN2_VECTOR vector = nullptr;
    QUELLAN2_STATUS status = here(Rule::VECTORS, CHILD(vectorCreate), 3u, &vector);
    if (status != QUELLAN2_STATUS_OK || !vector) {
        fail(Rule::VECTORS, returned("quellan2_vectorCreate", status) + (vector ? "" : " and no vector"));
        return;
    }
    std::uint32_t type = NUMBER_SENTINEL;
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
}

void Checker::walkTree() {
    const QUELLAN2_CONNECTION connection = proxy->childConnection();
    std::uint32_t count = NUMBER_SENTINEL;
    QUELLAN2_STATUS status = onWorker(Rule::TREE_COUNTS, CHILD(connectionGetNumNodes), connection, &count);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::TREE_COUNTS, returned("quellan2_connectionGetNumNodes", status));
        return;
    }
    if (count == NUMBER_SENTINEL) {
        fail(Rule::OUT_VALUES, "quellan2_connectionGetNumNodes answered OK without writing the count");
        return;
    }
    for (std::uint32_t k = 0; k <= count && nodes.size() < MOST_NODES; ++k) {
        QUELLAN2_NODE node = nullptr;
        status = onWorker(Rule::TREE_COUNTS, CHILD(connectionGetNode), connection, k, &node);
        if (k == count) {
            if (status == QUELLAN2_STATUS_OK)
                fail(Rule::TREE_COUNTS, "quellan2_connectionGetNode accepted index " + std::to_string(k) + " of " +
                                            std::to_string(count) + " nodes");
        } else if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::TREE_COUNTS, "top-level node " + std::to_string(k) + " of " + std::to_string(count) + ": " +
                                        returned("quellan2_connectionGetNode", status));
        } else {
            walkNode(node, 1);
        }
    }
}

void Checker::walkNode(QUELLAN2_NODE node, int depth) {
    nodes.push_back(node);
    const std::string where = "node " + std::to_string(reinterpret_cast<std::uintptr_t>(node));
    QUELLAN2_STRING name = nullptr;
    QUELLAN2_STATUS status = onWorker(Rule::NAMES, CHILD(nodeGetName), node, &name);
    if (status != QUELLAN2_STATUS_OK) fail(Rule::NAMES, where + ": " + returned("quellan2_nodeGetName", status));
    else if (!name) fail(Rule::OUT_VALUES, where + ": quellan2_nodeGetName answered OK without a string");
    else readString(Rule::NAMES, name, where + "'s name");

    std::uint32_t count = NUMBER_SENTINEL;
    if (child->nodeGetNumNodes && child->nodeGetNode && depth < MOST_DEPTH) {
        status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetNumNodes), node, &count);
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::TREE_COUNTS, where + ": " + returned("quellan2_nodeGetNumNodes", status));
        } else if (count == NUMBER_SENTINEL) {
            fail(Rule::OUT_VALUES, where + ": quellan2_nodeGetNumNodes answered OK without writing the count");
        } else {
            for (std::uint32_t k = 0; k <= count && nodes.size() < MOST_NODES; ++k) {
                QUELLAN2_NODE subNode = nullptr;
                status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetNode), node, k, &subNode);
                if (k == count && status == QUELLAN2_STATUS_OK)
                    fail(Rule::TREE_COUNTS, where + ": quellan2_nodeGetNode accepted index " + std::to_string(k) +
                                                " of " + std::to_string(count) + " sub-nodes");
                else if (k < count && status != QUELLAN2_STATUS_OK)
                    fail(Rule::TREE_COUNTS, where + ", sub-node " + std::to_string(k) + " of " +
                                                std::to_string(count) + ": " + returned("quellan2_nodeGetNode", status));
                else if (k < count)
                    walkNode(subNode, depth + 1);
            }
        }
    }

    count = NUMBER_SENTINEL;
    status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetNumTags), node, &count);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::TREE_COUNTS, where + ": " + returned("quellan2_nodeGetNumTags", status));
        return;
    }
    if (count == NUMBER_SENTINEL) {
        fail(Rule::OUT_VALUES, where + ": quellan2_nodeGetNumTags answered OK without writing the count");
        return;
    }
    for (std::uint32_t k = 0; k <= count && k <= MOST_NODES; ++k) {
        QUELLAN2_TAG tag = nullptr;
        status = onWorker(Rule::TREE_COUNTS, CHILD(nodeGetTag), node, k, &tag);
        if (k == count) {
            if (status == QUELLAN2_STATUS_OK)
                fail(Rule::TREE_COUNTS, where + ": quellan2_nodeGetTag accepted index " + std::to_string(k) + " of " +
                                            std::to_string(count) + " tags");
            continue;
        }
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::TREE_COUNTS, where + ", tag " + std::to_string(k) + " of " + std::to_string(count) + ": " +
                                        returned("quellan2_nodeGetTag", status));
            continue;
        }
        const std::string tagWhere = where + ", tag " + std::to_string(k);
        QUELLAN2_STRING tagName = nullptr;
        status = onWorker(Rule::NAMES, CHILD(tagGetName), tag, &tagName);
        if (status != QUELLAN2_STATUS_OK) fail(Rule::NAMES, tagWhere + ": " + returned("quellan2_tagGetName", status));
        else if (!tagName) fail(Rule::OUT_VALUES, tagWhere + ": quellan2_tagGetName answered OK without a string");
        else readString(Rule::NAMES, tagName, tagWhere + "'s name");
        if (tags.size() < MOST_DATA_TAGS) tags.push_back(tag);
    }
}

void Checker::checkNullArguments() {
    const QUELLAN2_CONNECTION connection = proxy->childConnection();
    const bool worker = true;
    std::uint32_t number = 0;
    QUELLAN2_STRING string = nullptr;
    QUELLAN2_VECTOR vector = nullptr;
    const std::nullptr_t none = nullptr;
    expectRefusal(worker, CHILD(getIdentity), "a null out pointer", static_cast<QUELLAN2_STRING*>(none));
    expectRefusal(worker, CHILD(connectionGetNumNodes), "a null out pointer", connection,
                  static_cast<std::uint32_t*>(none));
    expectRefusal(worker, CHILD(connectionGetNode), "a null out pointer", connection, 0u,
                  static_cast<QUELLAN2_NODE*>(none));
    expectRefusal(worker, CHILD(connectionGetCurrentTime), "a null out pointer", connection,
                  static_cast<std::uint32_t*>(none));
    expectRefusal(worker, CHILD(connectionReadCurrentData), "a null tag list", connection,
                  static_cast<const QUELLAN2_TAG*>(none), 1u, &vector);
    if (!nodes.empty()) {
        const QUELLAN2_NODE node = nodes.front();
        expectRefusal(worker, CHILD(nodeGetName), "a null out pointer", node, static_cast<QUELLAN2_STRING*>(none));
        expectRefusal(worker, CHILD(nodeGetNumTags), "a null out pointer", node, static_cast<std::uint32_t*>(none));
        expectRefusal(worker, CHILD(nodeGetTag), "a null out pointer", node, 0u, static_cast<QUELLAN2_TAG*>(none));
        expectRefusal(worker, CHILD(nodeGetActiveBatches), "a null out pointer", node, 0, 1,
                      static_cast<QUELLAN2_VECTOR*>(none));
        expectRefusal(worker, CHILD(nodeGetBatchTimes), "a null batch", node, static_cast<const char*>(none), 0,
                      &number, &number);
    }
    if (!tags.empty()) {
        expectRefusal(worker, CHILD(tagGetName), "a null out pointer", tags.front(),
                      static_cast<QUELLAN2_STRING*>(none));
        expectRefusal(worker, CHILD(tagGetUpdateTime), "a null out pointer", tags.front(),
                      static_cast<std::uint32_t*>(none));
        expectRefusal(worker, CHILD(connectionReadCurrentData), "a null out pointer", connection, tags.data(), 1u,
                      static_cast<QUELLAN2_VECTOR*>(none));
    }
    expectRefusal(!worker, CHILD(stringCreate), "a null text", static_cast<const char*>(none), &string);
    expectRefusal(!worker, CHILD(stringCreate), "a null out pointer", CHECK_TEXT,
                  static_cast<QUELLAN2_STRING*>(none));
    expectRefusal(!worker, CHILD(stringCopy), "a null string", static_cast<QUELLAN2_STRING>(none),
                  static_cast<char*>(none), &number);
    expectRefusal(!worker, CHILD(vectorCreate), "a null out pointer", 1u, static_cast<QUELLAN2_VECTOR*>(none));
    expectRefusal(!worker, CHILD(vectorGetLength), "a null vector", static_cast<QUELLAN2_VECTOR>(none), &number);
    // Whatever a wrongly accepting child handed out is not ours to free: it
    // may be anything.
}

void Checker::checkCurrentData() {
    if (tags.empty()) {
        warn(Rule::CURRENT_DATA, "the plug-in has no tag to read");
        return;
    }
    const std::uint32_t count = static_cast<std::uint32_t>(tags.size());
    QUELLAN2_VECTOR result = nullptr;
    const QUELLAN2_STATUS status = onWorker(Rule::CURRENT_DATA, CHILD(connectionReadCurrentData),
                                            proxy->childConnection(), static_cast<const QUELLAN2_TAG*>(tags.data()),
                                            count, &result);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::CURRENT_DATA, returned("quellan2_connectionReadCurrentData", status) + " for " +
                                     std::to_string(count) + " tags");
        if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
        return;
    }
    readVector(Rule::CURRENT_DATA, "quellan2_connectionReadCurrentData", result, count);
}

std::uint32_t Checker::currentTime() {
    std::uint32_t now = NUMBER_SENTINEL;
    const QUELLAN2_STATUS status =
        onWorker(Rule::TIMES, CHILD(connectionGetCurrentTime), proxy->childConnection(), &now);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::TIMES, returned("quellan2_connectionGetCurrentTime", status));
        return 0;
    }
    if (now == NUMBER_SENTINEL) {
        fail(Rule::OUT_VALUES, "quellan2_connectionGetCurrentTime answered OK without writing the time");
        return 0;
    }
    return now;
}

void Checker::checkHistoricalData() {
    if (tags.empty()) return;
    const std::uint32_t count = static_cast<std::uint32_t>(tags.size());
    const std::int64_t now = static_cast<std::int32_t>(currentTime());
    const std::int32_t start =
        static_cast<std::int32_t>(std::max<std::int64_t>(0, now - HISTORY_INTERVAL * std::int64_t{HISTORY_SAMPLES}));
    const QUELLAN2_CONNECTION connection = proxy->childConnection();
    const QUELLAN2_TAG* tagList = tags.data();

    std::vector<std::optional<std::vector<Value>>> shortForm;
    for (std::uint32_t k = 0; k < HISTORY_SAMPLES; ++k) {
        QUELLAN2_VECTOR result = nullptr;
        const std::int32_t time = start + static_cast<std::int32_t>(k) * HISTORY_INTERVAL;
        const QUELLAN2_STATUS status = onWorker(Rule::HISTORICAL_DATA, CHILD(connectionReadHistoricalData),
                                                connection, tagList, count, time, &result);
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::HISTORICAL_DATA, returned("quellan2_connectionReadHistoricalData", status) + " at " +
                                            std::to_string(time));
            if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
            shortForm.emplace_back();
            continue;
        }
        shortForm.push_back(readVector(Rule::HISTORICAL_DATA, "quellan2_connectionReadHistoricalData", result, count));
    }
    if (!child->connectionReadHistoricalDataEx) return;

    // Empty slots: the plug-in makes the vectors.
    std::vector<QUELLAN2_VECTOR> results(HISTORY_SAMPLES, nullptr);
    const QUELLAN2_STATUS status =
        onWorker(Rule::HISTORICAL_DATA, CHILD(connectionReadHistoricalDataEx), connection, tagList, count, start,
                 HISTORY_INTERVAL, HISTORY_SAMPLES, results.data());
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::HISTORICAL_DATA, returned("quellan2_connectionReadHistoricalDataEx", status));
        for (QUELLAN2_VECTOR result : results)
            if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
        return;
    }
    for (std::uint32_t k = 0; k < HISTORY_SAMPLES; ++k) {
        std::optional<std::vector<Value>> values =
            readVector(Rule::HISTORICAL_DATA, "quellan2_connectionReadHistoricalDataEx", results[k], count);
        if (!values || !shortForm[k]) continue;
        for (std::uint32_t t = 0; t < count; ++t)
            if (!sameValue((*values)[t], (*shortForm[k])[t]))
                fail(Rule::HISTORICAL_DATA, "sample " + std::to_string(k) + ", tag " + std::to_string(t) +
                                                ": quellan2_connectionReadHistoricalDataEx gives " +
                                                shown((*values)[t]) + ", quellan2_connectionReadHistoricalData " +
                                                shown((*shortForm[k])[t]) + " at the same time");
    }
}

void Checker::checkBatches() {
    const std::int32_t now = static_cast<std::int32_t>(currentTime());
    std::optional<std::pair<QUELLAN2_NODE, std::string>> found;
    for (QUELLAN2_NODE node : nodes) {
        QUELLAN2_VECTOR result = nullptr;
        const QUELLAN2_STATUS status = onWorker(Rule::BATCHES, CHILD(nodeGetActiveBatches), node, 0,
                                                std::numeric_limits<std::int32_t>::max(), &result);
        if (status != QUELLAN2_STATUS_OK) {
            fail(Rule::BATCHES, returned("quellan2_nodeGetActiveBatches", status));
            if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
            continue;
        }
        std::optional<std::vector<Value>> batches =
            readVector(Rule::BATCHES, "quellan2_nodeGetActiveBatches", result, std::nullopt);
        if (!batches) continue;
        for (const Value& batch : *batches) {
            const std::string* text = std::get_if<std::string>(&batch);
            if (!text) fail(Rule::BATCHES, "quellan2_nodeGetActiveBatches delivered " + shown(batch) + ", not a text");
            else if (!found) found.emplace(node, *text);
        }
    }
    if (!found) {
        warn(Rule::BATCHES, "no node has a batch to check");
        return;
    }
    const auto& [node, batch] = *found;
    std::uint32_t startTime = NUMBER_SENTINEL;
    std::uint32_t endTime = NUMBER_SENTINEL;
    QUELLAN2_STATUS status =
        onWorker(Rule::BATCHES, CHILD(nodeGetBatchTimes), node, batch.c_str(), now, &startTime, &endTime);
    if (status != QUELLAN2_STATUS_OK)
        fail(Rule::BATCHES, "batch \"" + batch + "\": " + returned("quellan2_nodeGetBatchTimes", status));
    else if (startTime == NUMBER_SENTINEL || endTime == NUMBER_SENTINEL)
        fail(Rule::OUT_VALUES, "quellan2_nodeGetBatchTimes answered OK without writing both times");
    else if (static_cast<std::int32_t>(startTime) > static_cast<std::int32_t>(endTime))
        fail(Rule::BATCHES, "batch \"" + batch + "\" starts at " + std::to_string(startTime) + ", after its end " +
                                std::to_string(endTime));
    if (tags.empty()) return;
    const std::uint32_t count = static_cast<std::uint32_t>(tags.size());
    const QUELLAN2_TAG* tagList = tags.data();
    QUELLAN2_VECTOR result = nullptr;
    status = onWorker(Rule::BATCHES, CHILD(connectionReadBatchData), proxy->childConnection(), tagList, count,
                      batch.c_str(), &result);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::BATCHES, returned("quellan2_connectionReadBatchData", status));
        if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
    } else {
        readVector(Rule::BATCHES, "quellan2_connectionReadBatchData", result, count);
    }
    if (!child->connectionReadBatchDataEx) return;
    result = nullptr;
    status = onWorker(Rule::BATCHES, CHILD(connectionReadBatchDataEx), proxy->childConnection(), tagList, count,
                      batch.c_str(), now, &result);
    if (status != QUELLAN2_STATUS_OK) {
        fail(Rule::BATCHES, returned("quellan2_connectionReadBatchDataEx", status));
        if (result) here(Rule::VECTORS, CHILD(vectorFree), result);
    } else {
        readVector(Rule::BATCHES, "quellan2_connectionReadBatchDataEx", result, count);
    }
}

void Checker::checkTimes() {
    for (QUELLAN2_TAG tag : tags) {
        std::uint32_t time = NUMBER_SENTINEL;
        const QUELLAN2_STATUS status = onWorker(Rule::TIMES, CHILD(tagGetUpdateTime), tag, &time);
        if (status != QUELLAN2_STATUS_OK)
            fail(Rule::TIMES, "tag " + std::to_string(reinterpret_cast<std::uintptr_t>(tag)) + ": " +
                                  returned("quellan2_tagGetUpdateTime", status));
        else if (time == NUMBER_SENTINEL)
            fail(Rule::OUT_VALUES, "quellan2_tagGetUpdateTime answered OK without writing the time");
    }
}

Table Checker::table() const {
    Table table{{"rule", "result", "details"}, {}};
    for (const RuleText& text : CONFORMANCE_RULES) {
        const std::vector<Finding>& found = findings[index(text.rule)];
        const bool failed = std::any_of(found.begin(), found.end(), [](const Finding& f) { return f.failure; });
        std::string result = !checked[index(text.rule)] ? "SKIP" : failed ? "FAIL" : found.empty() ? "PASS" : "WARN";
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
            if (finding.failure) return true;
    return false;
}

}  // namespace

void serveCheckProbe(const ProbeMessage& request, ProbeReport& report) {
    Checker checker(request.at(1), [&report](const ProbeMessage& message) { report.send(message); });
    checker.run();
    report.send({DONE});
}

int runCheck(const CheckOptions& options, std::ostream& out, std::ostream&) {
    Checker checker(options.plugin);
    const ProbeRun run = runProbe({CHECK_PROBE, options.plugin}, std::nullopt);
    if (!run.started) throw ToolError(ExitCode::INTERNAL, "cannot start a process of its own to run the plug-in in");
    for (const ProbeMessage& message : run.messages) checker.apply(message);
    if (!checker.finished())
        checker.ended(run.ending.empty() ? "before the check was done, with exit code 0" : run.ending);
    writeTable(*makeRowWriter(out, options.format), checker.table());
    return static_cast<int>(checker.anyFailure() ? ExitCode::PLUGIN_FAILED : ExitCode::SUCCESS);
}

}  // namespace quellan
