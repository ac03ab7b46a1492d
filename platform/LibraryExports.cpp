// Reading a PE or ELF library's format, processor and export names from its bytes, the same on every platform.
#include "platform/LibraryExports.h"

#include "platform/LibraryMachine.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace mq::platform {

namespace {

// A file larger than this is not read for its exports.
constexpr std::uint64_t MAX_LIBRARY_BYTES = 256ull << 20;

// Little-endian reads that fail rather than read past the end. Every offset
// is compared by subtraction, so that none wraps round.
class Bytes {
public:
    Bytes(const unsigned char* bytes, std::size_t size) : bytes(bytes), size(size) {}

    bool has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= size && count <= size - offset;
    }
    std::uint64_t number(std::uint64_t offset, unsigned count) {
        if (!has(offset, count)) {
            ok = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (unsigned k = count; k > 0; --k) value = (value << 8) | bytes[offset + k - 1];
        return value;
    }
    // The NUL-terminated text at `offset`; a text that runs to the end fails.
    std::string text(std::uint64_t offset) {
        for (std::uint64_t end = offset; has(end, 1); ++end)
            if (bytes[end] == 0) return std::string(reinterpret_cast<const char*>(bytes + offset), end - offset);
        ok = false;
        return {};
    }

    bool ok = true;

private:
    const unsigned char* bytes;
    std::size_t size;
};

constexpr char BROKEN[] = "its headers point outside the file";

std::optional<LibraryFile> refuse(std::string& why, const char* reason) {
    why = reason;
    return std::nullopt;
}

// PE: the COFF header after "PE\0\0", the optional header, the section table.
std::optional<LibraryFile> readPe(Bytes in, std::string& why) {
    LibraryFile library;
    library.format = LibraryFormat::PE;
    const std::uint64_t pe = in.number(0x3C, 4);
    library.machine = static_cast<std::uint16_t>(in.number(pe + 4, 2));
    const std::uint64_t sections = in.number(pe + 6, 2);
    const std::uint64_t optionalSize = in.number(pe + 20, 2);
    const std::uint64_t optional = pe + 24;
    const std::uint64_t magic = in.number(optional, 2);
    library.wide = magic == 0x20B;
    // The data directories' count and the first (exports) directory.
    const std::uint64_t directories = optional + (library.wide ? 108 : 92);
    const std::uint64_t count = in.number(directories, 4);
    if (!in.ok || (magic != 0x10B && magic != 0x20B)) return refuse(why, "not a library: its PE header is incomplete");
    library.exports.emplace();
    if (count == 0) return library;
    const std::uint64_t exportRva = in.number(directories + 4, 4);
    if (!in.ok) return refuse(why, BROKEN);
    if (exportRva == 0) return library;
    // A virtual address as an offset in the file, through the section that holds it.
    const std::uint64_t table = optional + optionalSize;
    auto fileOffset = [&](std::uint64_t rva) -> std::uint64_t {
        for (std::uint64_t k = 0; k < sections; ++k) {
            const std::uint64_t section = table + k * 40;
            const std::uint64_t virtualSize = in.number(section + 8, 4), address = in.number(section + 12, 4);
            const std::uint64_t rawSize = in.number(section + 16, 4), raw = in.number(section + 20, 4);
            if (!in.ok) return 0;
            if (rva >= address && rva - address < std::max(virtualSize, rawSize) && rva - address < rawSize)
                return raw + (rva - address);
        }
        in.ok = false;
        return 0;
    };
    const std::uint64_t directory = fileOffset(exportRva);
    const std::uint64_t names = in.number(directory + 24, 4);
    if (in.ok && names == 0) return library;
    const std::uint64_t nameTable = fileOffset(in.number(directory + 32, 4));
    if (!in.ok || !in.has(nameTable, names * 4)) return refuse(why, BROKEN);
    for (std::uint64_t k = 0; k < names && in.ok; ++k)
        library.exports->push_back(in.text(fileOffset(in.number(nameTable + 4 * k, 4))));
    if (!in.ok) return refuse(why, BROKEN);
    return library;
}

// ELF: the section headers, the dynamic symbol table and its string table.
std::optional<LibraryFile> readElf(Bytes in, std::string& why) {
    LibraryFile library;
    library.format = LibraryFormat::ELF;
    const std::uint64_t elfClass = in.number(4, 1);
    library.wide = elfClass == 2;
    if ((elfClass != 1 && elfClass != 2) || in.number(5, 1) != 1)
        return refuse(why, "an ELF file of a word size or byte order that no host here loads");
    const bool w = library.wide;
    library.machine = static_cast<std::uint16_t>(in.number(18, 2));
    const std::uint64_t sectionsAt = in.number(w ? 40 : 32, w ? 8 : 4);
    const std::uint64_t entrySize = in.number(w ? 58 : 46, 2), sections = in.number(w ? 60 : 48, 2);
    if (!in.ok) return refuse(why, "not a library: its ELF header is incomplete");
    if (sectionsAt == 0 || sections == 0) return library;
    if (entrySize < (w ? 64u : 40u) || !in.has(sectionsAt, sections * entrySize)) return refuse(why, BROKEN);
    const auto field = [&](std::uint64_t section, unsigned wide, unsigned narrow) {
        return in.number(sectionsAt + section * entrySize + (w ? wide : narrow), w ? 8 : 4);
    };
    constexpr std::uint64_t DYNAMIC_SYMBOLS = 11;
    library.exports.emplace();
    for (std::uint64_t k = 0; k < sections; ++k) {
        if (in.number(sectionsAt + k * entrySize + 4, 4) != DYNAMIC_SYMBOLS) continue;
        const std::uint64_t offset = field(k, 24, 16), size = field(k, 32, 20);
        const std::uint64_t link = in.number(sectionsAt + k * entrySize + (w ? 40 : 24), 4);
        const std::uint64_t strings = link < sections ? field(link, 24, 16) : 0;
        const std::uint64_t symbolSize = w ? 24 : 16;
        if (!in.ok || link >= sections || !in.has(offset, size)) return refuse(why, BROKEN);
        for (std::uint64_t s = offset; s + symbolSize <= offset + size; s += symbolSize) {
            const std::uint64_t info = in.number(s + (w ? 4 : 12), 1), defined = in.number(s + (w ? 6 : 14), 2);
            const std::uint64_t binding = info >> 4;
            if (defined != 0 && (binding == 1 || binding == 2))
                library.exports->push_back(in.text(strings + in.number(s, 4)));
        }
        if (!in.ok) return refuse(why, BROKEN);
        return library;
    }
    library.exports.reset();
    return library;
}

}  // namespace

std::optional<LibraryFile> readLibraryFile(const unsigned char* bytes, std::size_t size, std::string& why) {
    Bytes in(bytes, size);
    if (size >= 4 && bytes[0] == 0x7F && bytes[1] == 'E' && bytes[2] == 'L' && bytes[3] == 'F') return readElf(in, why);
    if (peMachine(bytes, size)) return readPe(in, why);
    why = "not a library: it has neither an ELF nor a PE header";
    return std::nullopt;
}

std::optional<LibraryFile> readLibraryFile(const std::string& path, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (!in || size < 0) return refuse(why, "it cannot be read");
    if (static_cast<std::uint64_t>(size) > MAX_LIBRARY_BYTES) return refuse(why, "it is larger than 256 MiB");
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) return refuse(why, "it cannot be read");
    return readLibraryFile(bytes.data(), bytes.size(), why);
}

}  // namespace mq::platform
