// Parsing and applying the behaviour script's misbehaviour for each call.
#include "samples/simquellan/Behaviour.h"

#include "samples/simquellan/SimValue.h"

#include <algorithm>

namespace simquellan {

namespace {

const char* const FUNCTION_NAMES[] = {
    "initialize", "uninitialize", "getIdentity", "updateConfiguration", "connectionOpen", "connectionClose",
    "connectionGetNumNodes", "connectionGetNode", "connectionGetCurrentTime", "connectionReadCurrentData",
    "connectionReadHistoricalData", "connectionReadHistoricalDataEx", "connectionReadBatchData",
    "connectionReadBatchDataEx", "connectionWriteHistoricalData", "connectionWriteHistoricalDataEx",
    "connectionWriteBatchData", "connectionWriteBatchDataEx", "nodeGetName", "nodeGetNumNodes", "nodeGetNode",
    "nodeGetNumTags", "nodeGetTag", "nodeGetActiveBatches", "nodeGetBatchTimes", "tagGetName", "tagGetUpdateTime",
    "vectorCreate", "vectorFree", "vectorGetLength", "vectorGetType", "vectorSetNull", "vectorGetString",
    "vectorSetString", "vectorGetFloat", "vectorSetFloat", "stringCreate", "stringFree", "stringCopy"};

bool parseCount(const std::string& text, std::uint64_t& value) {
    std::int64_t number = 0;
    if (!parseInteger(text, number) || number < 0) return false;
    value = static_cast<std::uint64_t>(number);
    return true;
}

bool parseUint32(const std::string& text, std::uint32_t& value) {
    std::uint64_t number = 0;
    if (!parseCount(text, number) || number > 0xffffffffULL) return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

}  // namespace

bool Behaviour::isFunctionName(const std::string& name) {
    return std::find(std::begin(FUNCTION_NAMES), std::end(FUNCTION_NAMES), name) != std::end(FUNCTION_NAMES);
}

bool Behaviour::addRule(const std::vector<std::string>& words, bool& known, std::string& error) {
    static const char* const KINDS[] = {"fail", "fault", "sleep", "unwritten", "vector", "refuse"};
    known = !words.empty() && std::find(std::begin(KINDS), std::end(KINDS), words[0]) != std::end(KINDS);
    if (!known) return false;
    if (words.size() < 2 || !isFunctionName(words[1])) {
        error = "'" + words[0] + "' needs an interface function name without the quellan2_ prefix";
        return false;
    }
    Rule rule;
    rule.function = words[1];
    const std::string& kind = words[0];
    std::size_t next = 2;
    auto needArgument = [&]() {
        if (next < words.size()) return true;
        error = "'" + kind + "' lacks an argument";
        return false;
    };
    // The next word as a number, or `complaint` as the error.
    const auto needNumber = [&](uint32_t& number, const char* complaint) {
        if (!needArgument()) return false;
        if (parseUint32(words[next++], number)) return true;
        error = complaint;
        return false;
    };
    if (kind == "fail") {
        rule.kind = Kind::FAIL;
        if (!needNumber(rule.status, "bad status")) return false;
    } else if (kind == "fault") {
        rule.kind = Kind::FAULT;
        if (!needArgument()) return false;
        if (!faultNamed(words[next++], rule.fault)) {
            error = "the fault must be " + faultWords();
            return false;
        }
    } else if (kind == "sleep") {
        rule.kind = Kind::SLEEP;
        if (!needNumber(rule.milliseconds, "bad milliseconds")) return false;
    } else if (kind == "unwritten") {
        rule.kind = Kind::UNWRITTEN;
    } else if (kind == "vector") {
        rule.kind = Kind::VECTOR;
    } else {
        // The subject is the rest of the line: an index, or a node path with an index or tag name.
        rule.kind = Kind::REFUSE;
        for (; next < words.size(); ++next) rule.subject += (rule.subject.empty() ? "" : " ") + words[next];
        if (rule.subject.empty()) {
            error = "'refuse' needs what to refuse";
            return false;
        }
    }
    bool quirk = false;
    for (; next < words.size(); ++next) {
        const std::string& option = words[next];
        std::size_t equals = option.find('=');
        std::string key = option.substr(0, equals);
        std::string text = equals == std::string::npos ? std::string() : option.substr(equals + 1);
        std::uint32_t number = 0;
        bool good = false;
        if (key == "after") good = parseCount(text, rule.after);
        else if (key == "times") {
            std::uint64_t times = 0;
            good = parseCount(text, times);
            rule.times = times;
        } else if (rule.kind == Kind::VECTOR && option == "none") good = quirk = rule.vector.none = true;
        else if (rule.kind == Kind::VECTOR && key == "short") good = quirk = parseUint32(text, rule.vector.shorter);
        else if (rule.kind == Kind::VECTOR && key == "badtype") {
            good = quirk = parseUint32(text, number);
            rule.vector.unknownTypeAt = number;
        } else if (rule.kind == Kind::VECTOR && key == "failget") {
            good = quirk = parseUint32(text, number);
            rule.vector.failingGetAt = number;
        }
        if (!good) {
            error = "bad option '" + option + "'";
            return false;
        }
    }
    if (rule.kind == Kind::VECTOR && !quirk) {
        error = "'vector' needs none, short=N, badtype=I or failget=I";
        return false;
    }
    rules.push_back(rule);
    return true;
}

void Behaviour::intercept(const std::string& function, Intercept& result) {
    for (Rule& rule : rules) {
        if (rule.kind == Kind::REFUSE || rule.function != function) continue;
        ++rule.seen;
        if (rule.seen <= rule.after || (rule.times && rule.applied >= *rule.times)) continue;
        ++rule.applied;
        switch (rule.kind) {
        case Kind::FAIL: result.fail = rule.status; break;
        case Kind::FAULT: result.fault = rule.fault; break;
        case Kind::SLEEP: result.sleepMilliseconds += rule.milliseconds; break;
        case Kind::UNWRITTEN: result.unwritten = true; break;
        case Kind::VECTOR:
            result.vector.none = result.vector.none || rule.vector.none;
            result.vector.shorter = std::max(result.vector.shorter, rule.vector.shorter);
            if (rule.vector.unknownTypeAt) result.vector.unknownTypeAt = rule.vector.unknownTypeAt;
            if (rule.vector.failingGetAt) result.vector.failingGetAt = rule.vector.failingGetAt;
            break;
        case Kind::REFUSE: break;
        }
    }
}

bool Behaviour::refuses(const std::string& function, const std::string& subject) const {
    return std::any_of(rules.begin(), rules.end(), [&](const Rule& rule) {
        return rule.kind == Kind::REFUSE && rule.function == function && rule.subject == subject;
    });
}

}  // namespace simquellan
