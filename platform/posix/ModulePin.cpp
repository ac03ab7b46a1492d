// POSIX implementation of the module pin: the module is marked never to be unloaded.
#include "platform/ModulePin.h"

#include <dlfcn.h>

#include <utility>

namespace mq::platform {

namespace {
void anchor() {}
}  // namespace

ModulePin ModulePin::thisModule() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&anchor), &info) || !info.dli_fname) return {};
    // RTLD_NODELETE on a module already loaded marks it for good; the
    // reference this open takes is given back at once, the mark stays.
    void* module = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    if (!module) return {};
    dlclose(module);
    return ModulePin(module);
}

ModulePin& ModulePin::operator=(ModulePin&& other) noexcept {
    module = std::exchange(other.module, nullptr);
    return *this;
}

// Nothing to give back: the mark lasts as long as the process.
ModulePin::~ModulePin() = default;

void ModulePin::releaseAsThreadEnds() noexcept {
    module = nullptr;
}

}  // namespace mq::platform
