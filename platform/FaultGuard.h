// Running foreign code so that its faults cannot end the process.
#pragma once

namespace mq::platform {

// Runs body(context). A processor fault raised inside it (access violation,
// division by zero, illegal instruction, ...) or an exception that leaves it
// ends the body and makes the call return false; otherwise it returns true.
// Faults raised outside a guarded body are left to whoever handled them
// before. Guarded bodies may run on any number of threads at once, and may
// nest.
bool runGuarded(void (*body)(void*), void* context) noexcept;

}  // namespace mq::platform
