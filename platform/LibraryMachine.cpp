// Reading the machine type from a PE header, and naming it, the same on every platform.
#include "platform/LibraryMachine.h"

#include <cstdio>

namespace mq::platform {

namespace {

// The DOS header is 64 bytes; its last field, at 0x3C, is the offset of the
// PE signature, which the 20-byte file header follows, machine type first.
constexpr std::size_t DOS_HEADER_BYTES = 64;
constexpr std::size_t PE_OFFSET_FIELD = 0x3C;
constexpr std::size_t SIGNATURE_AND_MACHINE_BYTES = 6;

std::uint32_t littleEndian(const unsigned char* bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t k = count; k > 0; --k) value = (value << 8) | bytes[k - 1];
    return value;
}

}  // namespace

std::optional<std::uint16_t> peMachine(const unsigned char* bytes, std::size_t size) noexcept {
    if (!bytes || size < DOS_HEADER_BYTES || bytes[0] != 'M' || bytes[1] != 'Z') return std::nullopt;
    const std::uint32_t offset = littleEndian(bytes + PE_OFFSET_FIELD, 4);
    // Compared by subtraction, so that no offset near the type's end wraps round.
    if (offset > size - SIGNATURE_AND_MACHINE_BYTES) return std::nullopt;
    const unsigned char* pe = bytes + offset;
    if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) return std::nullopt;
    return static_cast<std::uint16_t>(littleEndian(pe + 4, 2));
}

std::string describePeMachine(std::uint16_t machine) {
    switch (machine) {
        case PE_MACHINE_X86: return "a 32-bit x86 library";
        case PE_MACHINE_X86_64: return "an x86-64 library";
        case 0xAA64: return "an ARM64 library";
        case 0xA641: return "an ARM64EC library";
        case 0x01C0:
        case 0x01C2:
        case 0x01C4: return "a 32-bit ARM library";
        case 0x0200: return "an IA-64 library";
    }
    char text[48];
    std::snprintf(text, sizeof text, "a library for machine type 0x%04X", machine);
    return text;
}

}  // namespace mq::platform
