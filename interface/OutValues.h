// The values that stand for an out-value nobody wrote: what the host receives, and the preset that tells.
#pragma once

#include <cstdint>

namespace mq {

// What the host receives for a time that the child left unwritten.
inline constexpr std::uint32_t UNWRITTEN_TIME = 0xFFFFFFFFu;

// Preset into an out-value before a call, to tell afterwards whether the
// callee wrote it: a number that no callee has reason to write. A float is
// preset to a quiet NaN with a payload, which no arithmetic produces.
inline constexpr std::uint32_t UNWRITTEN_NUMBER = 0xA5C35A3Cu;
inline constexpr std::uint32_t UNWRITTEN_FLOAT_BITS = 0x7FC5A3C3u;

}  // namespace mq
