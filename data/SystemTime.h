// The time the short batch forms pass on.
#pragma once

#include <cstdint>

namespace mq {

// The system clock's seconds since 1970-01-01 UTC, cut to 32 bits. Past 2038
// it turns negative, and the batch functions then refuse it as any negative time.
int32_t currentTimeSeconds();

}  // namespace mq
