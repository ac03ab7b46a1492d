// POSIX implementation of the library machine type: ELF libraries are left to the loader, which says why it refuses one.
#include "platform/LibraryMachine.h"

namespace mq::platform {

std::optional<std::uint16_t> processMachine() noexcept {
    return std::nullopt;
}

std::optional<std::uint16_t> libraryMachine(const std::string&) noexcept {
    return std::nullopt;
}

}  // namespace mq::platform
