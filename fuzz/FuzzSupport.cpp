// Shared by the fuzz targets: failing loudly, finding built libraries, the library's own function table.
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzPlugin.h"
#include "platform/DynamicLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace mq::fuzz {

void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

std::string builtLibrary(const std::string& baseName) {
    return (std::filesystem::path(platform::executablePath()).parent_path() / (baseName + MQ_LIBRARY_SUFFIX)).string();
}

const ChildExports& multiQuellan() {
    static LibraryHandle library;
    static ChildExports functions;
    if (!functions.initialize) {
        library.load(builtLibrary("MultiQuellan"));
        functions.resolve(library, builtLibrary("MultiQuellan"));
    }
    return functions;
}

}  // namespace mq::fuzz
