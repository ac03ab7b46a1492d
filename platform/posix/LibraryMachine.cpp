// POSIX implementation of the library machine type, left to the loader for ELF libraries, and of whether a library file is of this platform.
#include "platform/LibraryMachine.h"

#include "platform/LibraryExports.h"

#include <fstream>

namespace mq::platform {

std::optional<std::uint16_t> processMachine() noexcept {
    return std::nullopt;
}

std::optional<std::uint16_t> libraryMachine(const std::string&) noexcept {
    return std::nullopt;
}

namespace {

// This program's own ELF class and processor, from its file's header.
struct OwnElf {
    bool wide = false;
    std::uint16_t machine = 0;
};

OwnElf ownElf() {
    unsigned char header[20] = {};
    std::ifstream("/proc/self/exe", std::ios::binary).read(reinterpret_cast<char*>(header), sizeof header);
    return {header[4] == 2, static_cast<std::uint16_t>(header[18] | header[19] << 8)};
}

}  // namespace

std::string foreignLibrary(const LibraryFile& library) {
    if (library.format != LibraryFormat::ELF) return "a Windows library, not one of this platform";
    static const OwnElf own = ownElf();
    if (library.wide == own.wide && library.machine == own.machine) return {};
    return std::string("a ") + (library.wide ? "64" : "32") + "-bit library for ELF machine " +
           std::to_string(library.machine) + ", where this host is a " + (own.wide ? "64" : "32") +
           "-bit program for machine " + std::to_string(own.machine);
}

}  // namespace mq::platform
