// Calling the children of one data operation, one after another or side by side.
#pragma once

#include <cstddef>

namespace mq {

// Makes one call per child group: `start(k)` posts the call of group k,
// `finish(k)` waits for it and merges its answer. One after another, each call
// is finished before the next starts; side by side, every call is started
// before the first is waited for. Either way the answers are merged in
// ascending group order, so the host's result is the same.
template <typename Start, typename Finish>
void callChildGroups(bool sideBySide, std::size_t groupCount, Start start, Finish finish) {
    if (sideBySide) {
        for (std::size_t k = 0; k < groupCount; ++k) start(k);
        for (std::size_t k = 0; k < groupCount; ++k) finish(k);
        return;
    }
    for (std::size_t k = 0; k < groupCount; ++k) {
        start(k);
        finish(k);
    }
}

}  // namespace mq
