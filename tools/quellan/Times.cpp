// Parsing and printing the interface's times: ISO 8601, seconds since 1970, or relative to now.
#include "Times.h"

#include "ToolError.h"
#include "hosting/UtcTime.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <limits>

namespace quellan {

namespace {

using mq::civilFromDays;
using mq::daysFromCivil;

const std::int64_t LAST_TIME = std::numeric_limits<std::int32_t>::max();
const std::int64_t SECONDS_PER_DAY = 86400;

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(std::int64_t year, unsigned month) {
    static const unsigned DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : DAYS[month - 1];
}

// The number in text[start, start + count), which must be all digits.
bool digitsAt(const std::string& text, std::size_t start, std::size_t count, std::int64_t& number) {
    number = 0;
    for (std::size_t i = start; i < start + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        number = number * 10 + (text[i] - '0');
    }
    return true;
}

// YYYY-MM-DDTHH:MM:SS followed by Z, or by an offset from UTC: +HH:MM,
// +HHMM or +HH (or -), the local time's distance ahead of UTC.
bool parseIso(const std::string& text, std::int64_t& seconds) {
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') ||
        text[13] != ':' || text[16] != ':')
        return false;
    std::int64_t year, month, day, hour, minute, second;
    if (!digitsAt(text, 0, 4, year) || !digitsAt(text, 5, 2, month) || !digitsAt(text, 8, 2, day) ||
        !digitsAt(text, 11, 2, hour) || !digitsAt(text, 14, 2, minute) || !digitsAt(text, 17, 2, second))
        return false;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, static_cast<unsigned>(month)) || hour > 23 ||
        minute > 59 || second > 59)
        return false;
    std::int64_t offset = 0;
    const std::string zone = text.substr(19);
    if (zone != "Z" && zone != "z") {
        if (zone[0] != '+' && zone[0] != '-') return false;
        std::int64_t offsetHours = 0, offsetMinutes = 0;
        const bool colon = zone.size() == 6 && zone[3] == ':';
        if (zone.size() != 3 && zone.size() != 5 && !colon) return false;
        if (!digitsAt(zone, 1, 2, offsetHours)) return false;
        if (zone.size() > 3 && !digitsAt(zone, colon ? 4 : 3, 2, offsetMinutes)) return false;
        if (offsetHours > 23 || offsetMinutes > 59) return false;
        offset = (offsetHours * 3600 + offsetMinutes * 60) * (zone[0] == '-' ? -1 : 1);
    }
    seconds = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * SECONDS_PER_DAY +
              hour * 3600 + minute * 60 + second - offset;
    return true;
}

// now, now-2h, now+30s, or the same without "now" when a sign starts it:
// -15m. Units s, m, h, d.
bool parseRelative(const std::string& text, std::int64_t now, std::int64_t& seconds) {
    std::string rest = text;
    if (rest.compare(0, 3, "now") == 0) rest = rest.substr(3);
    else if (rest.empty() || (rest[0] != '-' && rest[0] != '+')) return false;
    if (rest.empty()) {
        seconds = now;
        return true;
    }
    if (rest.size() < 3 || rest.size() > 12 || (rest[0] != '-' && rest[0] != '+')) return false;
    std::int64_t count = 0;
    if (!digitsAt(rest, 1, rest.size() - 2, count)) return false;
    std::int64_t unit = 0;
    switch (rest.back()) {
    case 's': unit = 1; break;
    case 'm': unit = 60; break;
    case 'h': unit = 3600; break;
    case 'd': unit = SECONDS_PER_DAY; break;
    default: return false;
    }
    seconds = now + (rest[0] == '-' ? -1 : 1) * count * unit;
    return true;
}

bool parseSeconds(const std::string& text, std::int64_t& seconds) {
    if (text.empty() || text.size() > 10) return false;
    return digitsAt(text, 0, text.size(), seconds);
}

}  // namespace

bool isValidTime(std::int64_t seconds) {
    return seconds >= 0 && seconds <= LAST_TIME;
}

std::int32_t parseTime(const std::string& text, const std::string& what) {
    std::int64_t seconds = -1;
    if ((parseIso(text, seconds) || parseSeconds(text, seconds) || parseRelative(text, currentTime(), seconds)) &&
        isValidTime(seconds))
        return static_cast<std::int32_t>(seconds);
    throw usageError("bad time \"" + text + "\" for " + what +
                     ": give ISO 8601 (2024-05-01T12:00:00Z, 2024-05-01T14:00:00+02:00), seconds since 1970, "
                     "now, or now-2h, -15m (units s, m, h, d); from 1970-01-01T00:00:00Z to 2038-01-19T03:14:07Z");
}

std::string formatTime(std::int64_t seconds) {
    if (!isValidTime(seconds)) return std::to_string(seconds);
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(seconds / SECONDS_PER_DAY, year, month, day);
    const std::int64_t second = seconds % SECONDS_PER_DAY;
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", static_cast<long long>(year), month,
                  day, static_cast<long long>(second / 3600), static_cast<long long>(second / 60 % 60),
                  static_cast<long long>(second % 60));
    return text;
}

std::int32_t currentTime() {
    using namespace std::chrono;
    // Cut to 32 bits as the interface's own short forms do.
    return static_cast<std::int32_t>(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

}  // namespace quellan
