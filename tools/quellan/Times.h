// Times of the interface: signed 32-bit seconds since 1970-01-01T00:00:00Z.
#pragma once

#include <cstdint>
#include <string>

namespace quellan {

// Accepts ISO 8601 with Z or an offset ("2024-05-01T12:00:00Z",
// "2024-05-01T14:00:00+02:00"), a count of seconds since 1970, "now", or a
// time relative to the system clock ("now-2h", "-15m", "now+30s"; units s,
// m, h, d), from 1970-01-01T00:00:00Z to 2038-01-19T03:14:07Z. Raises a
// usage error that names `what` (the option) otherwise.
std::int32_t parseTime(const std::string& text, const std::string& what);

// ISO 8601 UTC for a time in that range; any other value as its number.
std::string formatTime(std::int64_t seconds);

// True for the times parseTime accepts.
bool isValidTime(std::int64_t seconds);

// The system clock, as the interface counts time.
std::int32_t currentTime();

}  // namespace quellan
