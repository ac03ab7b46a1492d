// What a library file's headers say: its format, processor and exported functions, read without loading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq::platform {

enum class LibraryFormat { PE, ELF };

struct LibraryFile {
    LibraryFormat format = LibraryFormat::ELF;
    // The PE machine type or the ELF e_machine.
    std::uint16_t machine = 0;
    // PE32+ or ELFCLASS64.
    bool wide = false;
    // The names of the functions it exports (PE: the export table's names;
    // ELF: the defined global and weak dynamic symbols). Nothing when the
    // file keeps no table that can be read without loading it (an ELF file
    // stripped of its section headers).
    std::optional<std::vector<std::string>> exports;
};

// The library whose file is `bytes`; nothing, and `why`, when it is none or
// its headers point outside it. The bytes come from an untrusted file: every
// read is checked against `size`.
std::optional<LibraryFile> readLibraryFile(const unsigned char* bytes, std::size_t size, std::string& why);

// The same for the file at `path`, read whole up to 256 MiB.
std::optional<LibraryFile> readLibraryFile(const std::string& path, std::string& why);

// Why this platform's host cannot load the library, or empty: a library of
// another format, or (Linux) another processor or word size than the
// host's. On Windows the processor is left to the surrogate rules, which
// serve 32-bit x86 libraries as well.
std::string foreignLibrary(const LibraryFile& library);

}  // namespace mq::platform
