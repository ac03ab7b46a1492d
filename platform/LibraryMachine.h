// The processor a library file's code is built for, read from its header before anything loads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mq::platform {

// The machine types of the PE (Windows) format that the host tells apart.
constexpr std::uint16_t PE_MACHINE_X86 = 0x014C;
constexpr std::uint16_t PE_MACHINE_X86_64 = 0x8664;

// The machine type of a PE image whose first `size` bytes are `bytes`;
// nothing when they do not hold a whole DOS header, a "PE\0\0" signature
// where it points and the machine field after it. The bytes come from an
// untrusted file: every read is checked against `size`.
std::optional<std::uint16_t> peMachine(const unsigned char* bytes, std::size_t size) noexcept;

// "an ARM64 library", "a 32-bit x86 library", "a library for machine type 0x1234".
std::string describePeMachine(std::uint16_t machine);

// The machine type of this process's own code where the platform's libraries
// carry one that is read here (Windows); nothing elsewhere (Linux: ELF, left
// to the loader).
std::optional<std::uint16_t> processMachine() noexcept;

// The machine type in the header of the library at `path`, on a platform
// where processMachine() has one; nothing there for a file that cannot be
// read or is no PE image (the loader then says why), and always nothing
// elsewhere.
std::optional<std::uint16_t> libraryMachine(const std::string& path) noexcept;

}  // namespace mq::platform
