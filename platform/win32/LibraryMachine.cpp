// Windows implementation of the library machine type (the PE header read from the file, through a bounded read) and of whether a library file is of this platform.
#include "platform/LibraryMachine.h"

#include "platform/LibraryExports.h"

#include <windows.h>

#include <memory>

namespace mq::platform {

namespace {

// Linkers put the PE header within the first kilobyte; a file that puts it
// further is left to the loader.
constexpr DWORD HEADER_BYTES = 4096;

struct FileCloser {
    void operator()(HANDLE file) const { CloseHandle(file); }
};

}  // namespace

std::optional<std::uint16_t> processMachine() noexcept {
#if defined(__x86_64__) || defined(_M_X64)
    return PE_MACHINE_X86_64;
#elif defined(__i386__) || defined(_M_IX86)
    return PE_MACHINE_X86;
#else
    return std::nullopt;
#endif
}

std::optional<std::uint16_t> libraryMachine(const std::string& path) noexcept {
    // The same narrow path as the loader's LoadLibraryExA is given.
    HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::unique_ptr<void, FileCloser> file(opened);
    unsigned char header[HEADER_BYTES];
    DWORD total = 0;
    // A read may return fewer bytes than asked, before the end of the file.
    while (total < HEADER_BYTES) {
        DWORD read = 0;
        if (!ReadFile(opened, header + total, HEADER_BYTES - total, &read, nullptr) || read == 0) break;
        total += read;
    }
    return peMachine(header, total);
}

// The processor is left to the surrogate rules (hosting/ChildMachine), which
// also serve 32-bit x86 libraries.
std::string foreignLibrary(const LibraryFile& library) {
    return library.format == LibraryFormat::PE ? std::string() : "an ELF library, not a Windows one";
}

}  // namespace mq::platform
