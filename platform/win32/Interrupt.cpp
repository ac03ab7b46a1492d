// Windows interrupts: a console control handler, which runs on a thread of its own, sets an event.
#include "platform/Interrupt.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace mq::platform {

namespace {

std::atomic<bool> interruptSeen{false};
// Manual-reset: once set, every later wait sees it.
HANDLE wakeUp = nullptr;

BOOL WINAPI onControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        interruptSeen = true;
        SetEvent(wakeUp);
        // Handled: the process is not ended by the default handler. After a
        // close event Windows ends it anyway once the handler returns, so
        // that one gives the loop a moment to clean up.
        if (event == CTRL_CLOSE_EVENT) Sleep(2000);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    wakeUp = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!wakeUp) throw std::runtime_error("cannot create the interrupt event");
    interruptSeen = false;
    SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptWatch::~InterruptWatch() {
    SetConsoleCtrlHandler(onControl, FALSE);
    CloseHandle(wakeUp);
    wakeUp = nullptr;
}

bool InterruptWatch::interrupted() const {
    return interruptSeen;
}

bool InterruptWatch::waitFor(std::chrono::milliseconds time) const {
    if (interrupted()) return true;
    const auto count = time.count();
    const DWORD milliseconds = count <= 0 ? 0 : count >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(count);
    return WaitForSingleObject(wakeUp, milliseconds) == WAIT_OBJECT_0 || interrupted();
}

}  // namespace mq::platform
