// Dates and times in UTC: H. Hinnant's civil calendar algorithms, counted in 400-year eras.
#include "hosting/UtcTime.h"

#include <cstdio>

namespace mq {

std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

std::string utcText(std::chrono::system_clock::time_point when, bool milliseconds) {
    constexpr std::int64_t PER_DAY = 86400000;
    const std::int64_t sinceEpoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    // Floored, so that a time before 1970 falls on the day it belongs to.
    const std::int64_t days = (sinceEpoch >= 0 ? sinceEpoch : sinceEpoch - PER_DAY + 1) / PER_DAY;
    const std::int64_t ofDay = sinceEpoch - days * PER_DAY;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld", static_cast<long long>(year), month, day,
                  static_cast<long long>(ofDay / 3600000), static_cast<long long>(ofDay / 60000 % 60),
                  static_cast<long long>(ofDay / 1000 % 60));
    std::string result = text;
    if (milliseconds) {
        std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(ofDay % 1000));
        result += text;
    }
    return result + "Z";
}

}  // namespace mq
