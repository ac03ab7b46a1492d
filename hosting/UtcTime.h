// Dates and times in UTC without the C library: the civil calendar and ISO 8601 text.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace mq {

// Days since 1970-01-01 of a date, and back, in the proleptic Gregorian
// calendar. No C library's time zone, locale or unsafe gmtime comes into it.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day);

// "2026-12-08T09:00:00Z", or with `milliseconds` "2026-12-08T09:00:00.250Z".
std::string utcText(std::chrono::system_clock::time_point when, bool milliseconds = false);

}  // namespace mq
