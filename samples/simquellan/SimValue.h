// The simulated signals: what a tag reads at a given time. Integer arithmetic
// throughout and one conversion to float at the end, so both builds give the
// same bits. Header-only because the tests compute their expectations with it.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace simquellan {

// Numbers of the sidecar are read exactly, as thousandths.
using Milli = std::int64_t;

struct Signal {
    bool isString = false;
    // Float tags: base + amplitude * triangle(period) + noise, all in thousandths.
    Milli base = 0;
    Milli amplitude = 0;
    Milli noise = 0;
    std::int64_t period = 3600;
    std::int64_t phase = 0;
    // String tags: the states, each held for `dwell` seconds in turn.
    std::vector<std::string> states{"Running", "Stopped"};
    std::int64_t dwell = 600;
    // Seconds between the tag's updates.
    std::int64_t every = 60;
};

// Words separated by blanks; double quotes keep blanks inside a word and are dropped.
inline std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

inline std::vector<std::string> splitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, separator)) items.push_back(item);
    return items;
}

// "-12.5" -> -12500; at most three decimals.
inline bool parseMilli(const std::string& text, Milli& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    Milli whole = 0;
    Milli fraction = 0;
    int decimals = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, digits = true) {
        whole = whole * 10 + (text[i] - '0');
        if (whole > 1000000000000LL) return false;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, digits = true) {
            if (++decimals > 3) return false;
            fraction = fraction * 10 + (text[i] - '0');
        }
    }
    if (!digits || i != text.size()) return false;
    for (; decimals < 3; ++decimals) fraction *= 10;
    value = (whole * 1000 + fraction) * (negative ? -1 : 1);
    return true;
}

inline bool parseInteger(const std::string& text, std::int64_t& value) {
    Milli milli = 0;
    if (text.find('.') != std::string::npos || !parseMilli(text, milli)) return false;
    value = milli / 1000;
    return true;
}

// Reads the value type and the options of a tag line ("float base=20 period=600").
inline bool parseSignal(const std::string& type, const std::vector<std::string>& options, Signal& signal,
                        std::string& error) {
    if (type != "float" && type != "string") {
        error = "the value type must be float or string";
        return false;
    }
    signal.isString = type == "string";
    for (const std::string& option : options) {
        std::size_t equals = option.find('=');
        std::string key = option.substr(0, equals);
        std::string text = equals == std::string::npos ? std::string() : option.substr(equals + 1);
        bool good = false;
        if (key == "base") good = parseMilli(text, signal.base);
        else if (key == "amplitude") good = parseMilli(text, signal.amplitude);
        else if (key == "noise") good = parseMilli(text, signal.noise) && signal.noise >= 0;
        else if (key == "period") good = parseInteger(text, signal.period) && signal.period > 0;
        else if (key == "phase") good = parseInteger(text, signal.phase);
        else if (key == "dwell") good = parseInteger(text, signal.dwell) && signal.dwell > 0;
        else if (key == "every") good = parseInteger(text, signal.every) && signal.every > 0;
        else if (key == "states") {
            signal.states = splitList(text, ',');
            good = !signal.states.empty();
        }
        if (!good) {
            error = "bad tag option '" + option + "'";
            return false;
        }
    }
    return true;
}

inline std::uint64_t mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

inline std::uint64_t nameHash(const std::string& name) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : name) hash = (hash ^ c) * 0x100000001b3ULL;
    return hash;
}

inline std::int64_t floorMod(std::int64_t a, std::int64_t m) {
    std::int64_t r = a % m;
    return r < 0 ? r + m : r;
}

inline std::int64_t floorDiv(std::int64_t a, std::int64_t m) {
    return (a - floorMod(a, m)) / m;
}

// A triangle wave from -1000 up to 1000 and back over one period.
inline std::int64_t triangle(std::int64_t time, std::int64_t period) {
    std::int64_t step = floorMod(time, period) * 4000 / period;
    return step < 2000 ? step - 1000 : 3000 - step;
}

inline Milli floatMilli(const Signal& signal, const std::string& tagName, std::int64_t time) {
    Milli value = signal.base + signal.amplitude * triangle(time + signal.phase, signal.period) / 1000;
    if (signal.noise > 0) {
        std::uint64_t draw = mix(nameHash(tagName) ^ mix(static_cast<std::uint64_t>(time)));
        value += static_cast<Milli>(draw % static_cast<std::uint64_t>(2 * signal.noise + 1)) - signal.noise;
    }
    return value;
}

inline float floatValue(const Signal& signal, const std::string& tagName, std::int64_t time) {
    return static_cast<float>(static_cast<double>(floatMilli(signal, tagName, time)) / 1000.0);
}

inline std::string stringValue(const Signal& signal, const std::string& tagName, std::int64_t time) {
    auto count = static_cast<std::int64_t>(signal.states.size());
    std::int64_t offset = static_cast<std::int64_t>(nameHash(tagName) % static_cast<std::uint64_t>(count));
    return signal.states[static_cast<std::size_t>(floorMod(floorDiv(time + signal.phase, signal.dwell) + offset, count))];
}

// The last update at or before `now`, at a moment of the tag's own cadence.
inline std::int64_t updateTime(const Signal& signal, const std::string& tagName, std::int64_t now) {
    std::int64_t offset = static_cast<std::int64_t>(nameHash(tagName) % static_cast<std::uint64_t>(signal.every));
    return now - floorMod(now - offset, signal.every);
}

}  // namespace simquellan
