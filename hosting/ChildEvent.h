// What happens to a child that an operator is told of: the kinds of event and one event.
#pragma once

#include <chrono>
#include <string>

namespace mq {

enum class ChildEventKind {
    LEFT_OUT,               // not started at open: cannot be loaded, refused, or no answer in time
    FAULT,                  // a call faulted inside the child (access violation, throw, abort, exit)
    TIMEOUT,                // a call given up by its timeout
    HUNG,                   // the child is taken to be hung: later calls fail at once
    SURROGATE_ENDED,        // an isolated child's surrogate process ended
    RESTART_TRIED,          // an isolated child is being started again
    RESTART_DONE,           // ... and runs again
    RESTART_GIVEN_UP,       // ... and could not be
    CONFIGURATION_REFUSED,  // the configuration file was refused by the trust rule
};

// The word an event is logged and shown with.
inline const char* eventName(ChildEventKind kind) {
    switch (kind) {
    case ChildEventKind::LEFT_OUT: return "left out";
    case ChildEventKind::FAULT: return "fault";
    case ChildEventKind::TIMEOUT: return "timeout";
    case ChildEventKind::HUNG: return "hung";
    case ChildEventKind::SURROGATE_ENDED: return "surrogate ended";
    case ChildEventKind::RESTART_TRIED: return "restart tried";
    case ChildEventKind::RESTART_DONE: return "restarted";
    case ChildEventKind::RESTART_GIVEN_UP: return "restart given up";
    case ChildEventKind::CONFIGURATION_REFUSED: return "configuration refused";
    }
    return "event";
}

struct ChildEvent {
    std::chrono::system_clock::time_point when;
    ChildEventKind kind = ChildEventKind::FAULT;
    // The child's library path as configured; empty for an event of the configuration itself.
    std::string child;
    // The interface function called, without "quellan2_"; empty where none was.
    std::string function;
    // What happened, in words: the fault's kind, the exit code, the reason.
    std::string detail;
};

}  // namespace mq
