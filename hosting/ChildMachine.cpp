// Choosing the program that can run a child's library, from the machine type in its header.
#include "hosting/ChildMachine.h"

#include "platform/LibraryMachine.h"

namespace mq {

ChildMachine childMachine(const std::string& path) {
    ChildMachine machine;
    machine.surrogateProgram = MQ_SURROGATE_PROGRAM;
    const std::optional<std::uint16_t> host = platform::processMachine();
    const std::optional<std::uint16_t> library = host ? platform::libraryMachine(path) : std::nullopt;
    // Machine type 0 claims no processor: the loader judges such a file.
    if (!library || *library == 0 || *library == *host) return machine;
    const bool servedNarrow = *host == platform::PE_MACHINE_X86_64;
    if (servedNarrow && *library == platform::PE_MACHINE_X86) {
        machine.surrogateProgram = MQ_SURROGATE32_PROGRAM;
        machine.alwaysIsolated = true;
        machine.note = "32-bit, served in " MQ_SURROGATE32_PROGRAM;
        return machine;
    }
    machine.refusal = platform::describePeMachine(*library) +
                      (servedNarrow ? ": neither this 64-bit host nor " MQ_SURROGATE32_PROGRAM " can load it"
                                    : ": this process cannot load it");
    return machine;
}

}  // namespace mq
