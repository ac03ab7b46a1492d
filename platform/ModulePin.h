// Keeping this library loaded while a thread of its own outlives the host's use of it.
#pragma once

namespace mq::platform {

// A hold on the module that contains this code. A thread that may still run
// this library's code after the host has unloaded it takes a pin first, and
// lets it go with releaseAsThreadEnds() as its very last act.
//
// Windows: a reference on the module (GetModuleHandleExW), given back by
// FreeLibraryAndExitThread, so the library is unloaded as soon as the last
// such thread has ended. POSIX: no call can give a reference back and leave
// the thread without returning into the library, so the module is marked
// never to be unloaded (RTLD_NODELETE): it stays until the process ends.
class ModulePin {
public:
    // Holds nothing.
    ModulePin() = default;
    // Pins this module. Holds nothing when the platform refuses.
    static ModulePin thisModule();

    ModulePin(ModulePin&& other) noexcept : module(other.module) { other.module = nullptr; }
    ModulePin& operator=(ModulePin&& other) noexcept;
    ModulePin(const ModulePin&) = delete;
    ModulePin& operator=(const ModulePin&) = delete;
    // Gives back a hold that no thread has let go: only for a thread that
    // does not run this library's code afterwards.
    ~ModulePin();

    // With a hold, ends the calling thread, letting go of the hold as it ends
    // (Windows), or simply returns (POSIX, and without a hold). The caller's
    // locals are not destroyed when the thread ends here: hold none.
    void releaseAsThreadEnds() noexcept;

    bool held() const { return module != nullptr; }

private:
    explicit ModulePin(void* module) : module(module) {}
    void* module = nullptr;
};

}  // namespace mq::platform
