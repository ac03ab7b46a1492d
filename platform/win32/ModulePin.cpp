// Windows implementation of the module pin: a module reference given back by the ending thread.
#include "platform/ModulePin.h"

#include <windows.h>

#include <utility>

namespace mq::platform {

namespace {
void anchor() {}
}  // namespace

ModulePin ModulePin::thisModule() {
    HMODULE module = nullptr;
    // Without GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT this takes a reference.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&anchor), &module))
        return {};
    return ModulePin(module);
}

ModulePin& ModulePin::operator=(ModulePin&& other) noexcept {
    if (this != &other) {
        if (module) FreeLibrary(static_cast<HMODULE>(module));
        module = std::exchange(other.module, nullptr);
    }
    return *this;
}

ModulePin::~ModulePin() {
    if (module) FreeLibrary(static_cast<HMODULE>(module));
}

void ModulePin::releaseAsThreadEnds() noexcept {
    // The reference is given back by the system after the thread has left
    // this library's code, so the library may go with it.
    if (HMODULE held = static_cast<HMODULE>(std::exchange(module, nullptr))) FreeLibraryAndExitThread(held, 0);
}

}  // namespace mq::platform
