// The current time as the short batch forms pass it on.
#include "data/SystemTime.h"

#include <ctime>

namespace mq {

int32_t currentTimeSeconds() {
    return static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
}

}  // namespace mq
