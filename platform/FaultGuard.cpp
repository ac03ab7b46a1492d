// Naming what ended a guarded body, the same on every platform.
#include "platform/FaultGuard.h"

namespace mq::platform {

const char* describe(Fault fault) noexcept {
    switch (fault) {
        case Fault::NONE: return "none";
        case Fault::ACCESS_VIOLATION: return "access violation";
        case Fault::ARITHMETIC: return "arithmetic fault";
        case Fault::ILLEGAL_INSTRUCTION: return "illegal instruction";
        case Fault::STACK_OVERFLOW: return "stack overflow";
        case Fault::EXCEPTION: return "exception";
        case Fault::OTHER: return "structured exception";
    }
    return "fault";
}

}  // namespace mq::platform
