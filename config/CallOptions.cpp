// Reading the parallel, status, timeout, isolation, restart and log attributes, with the default for a value that is not one.
#include "config/CallOptions.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace mq {

namespace {

constexpr int MAX_WHOLE_DIGITS = 9;
constexpr int FRACTION_DIGITS = 9;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whole and decimal seconds without sign or exponent, read without the C
// library so that no locale can change what a file means.
std::optional<std::int64_t> nanosecondsOf(const std::string& text) {
    std::size_t k = 0;
    std::int64_t whole = 0;
    int wholeDigits = 0;
    for (; k < text.size() && isDigit(text[k]); ++k) {
        if (++wholeDigits > MAX_WHOLE_DIGITS) return std::nullopt;
        whole = whole * 10 + (text[k] - '0');
    }
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    if (k < text.size() && text[k] == '.') {
        for (++k; k < text.size() && isDigit(text[k]); ++k) {
            // Digits past the nanosecond are read and dropped.
            if (fractionDigits < FRACTION_DIGITS) fraction = fraction * 10 + (text[k] - '0');
            ++fractionDigits;
        }
        if (fractionDigits == 0) return std::nullopt;
    }
    if (k != text.size() || wholeDigits + fractionDigits == 0) return std::nullopt;
    for (int scale = fractionDigits; scale < FRACTION_DIGITS; ++scale) fraction *= 10;
    return whole * 1000000000 + fraction;
}

}  // namespace

namespace {

// An attribute that is "true" or "false" (or absent, which is false); any
// other value is false, and `problem` says so with what that means.
bool switchedOn(const Attributes& attributes, const char* name, const char* whenOff, std::string* problem) {
    const std::string* value = findAttribute(attributes, name);
    if (!value || *value == "false") return false;
    if (*value == "true") return true;
    if (problem) *problem = std::string(name) + "=\"" + *value + "\" is neither \"true\" nor \"false\"; " + whenOff;
    return false;
}

}  // namespace

bool parallelCalls(const ConfigurationSettings& settings, std::string* problem) {
    return switchedOn(settings.attributes, PARALLEL_ATTRIBUTE, "children are called one after another", problem);
}

bool statusNode(const ConfigurationSettings& settings, std::string* problem) {
    return switchedOn(settings.attributes, STATUS_ATTRIBUTE, "no status node is shown", problem);
}

CallTimeout callTimeout(const ChildEntry& child, std::string* problem) {
    const std::string* value = findAttribute(child.attributes, TIMEOUT_ATTRIBUTE);
    if (!value) return std::nullopt;
    std::optional<std::int64_t> nanoseconds = nanosecondsOf(*value);
    if (!nanoseconds) {
        if (problem) *problem = "timeout=\"" + *value + "\" is not a number of seconds from 0 to 999999999; calls wait for ever";
        return std::nullopt;
    }
    if (*nanoseconds == 0) return std::nullopt;
    return std::chrono::nanoseconds(*nanoseconds);
}

Isolation childIsolation(const ChildEntry& child, std::string* problem) {
    const std::string* value = findAttribute(child.attributes, ISOLATION_ATTRIBUTE);
    if (!value || *value == "none") return Isolation::NONE;
    if (*value == "process") return Isolation::PROCESS;
    if (problem) *problem = "isolation=\"" + *value + "\" is neither \"process\" nor \"none\"; the child is loaded into the host";
    return Isolation::NONE;
}

bool childRestarts(const ChildEntry& child, std::string* problem) {
    if (!switchedOn(child.attributes, RESTART_ATTRIBUTE, "the child is not restarted", problem)) return false;
    if (childIsolation(child) == Isolation::PROCESS) return true;
    if (problem)
        *problem = "restart applies to isolated children only: a hung thread inside the host's process cannot be "
                   "taken back";
    return false;
}

FaultLogTarget faultLogTarget(const ConfigurationSettings& settings, std::string* problem) {
    const std::string* value = findAttribute(settings.attributes, LOG_ATTRIBUTE);
    if (!value) return {};
    if (*value == SYSTEM_LOG) return {true, {}};
    // A relative path would name a different file in every host's folder.
    if (!value->empty() && std::filesystem::path(*value).is_absolute()) return {true, *value};
    if (problem) *problem = "log=\"" + *value + "\" is neither \"system\" nor an absolute path; nothing is logged";
    return {};
}

const std::vector<std::string>& settingsAttributeNames() {
    static const std::vector<std::string> names{PARALLEL_ATTRIBUTE, STATUS_ATTRIBUTE, LOG_ATTRIBUTE};
    return names;
}

const std::vector<std::string>& childAttributeNames() {
    static const std::vector<std::string> names{PATH_ATTRIBUTE, TIMEOUT_ATTRIBUTE, ISOLATION_ATTRIBUTE,
                                                RESTART_ATTRIBUTE};
    return names;
}

namespace {

std::vector<std::string> withoutEmpty(std::vector<std::string> texts) {
    texts.erase(std::remove(texts.begin(), texts.end(), std::string()), texts.end());
    return texts;
}

}  // namespace

std::vector<std::string> settingsProblems(const ConfigurationSettings& settings) {
    std::vector<std::string> problems(3);
    parallelCalls(settings, &problems[0]);
    faultLogTarget(settings, &problems[1]);
    statusNode(settings, &problems[2]);
    return withoutEmpty(std::move(problems));
}

std::vector<std::string> childProblems(const ChildEntry& child) {
    std::vector<std::string> problems(3);
    callTimeout(child, &problems[0]);
    childIsolation(child, &problems[1]);
    childRestarts(child, &problems[2]);
    return withoutEmpty(std::move(problems));
}

}  // namespace mq
