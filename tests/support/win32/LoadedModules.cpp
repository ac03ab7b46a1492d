// Windows implementation of the loaded-library check: the module handle by name.
#include "support/LoadedModules.h"

#include <windows.h>

namespace mq::test {

bool moduleIsLoaded(const std::string& path) {
    // By the file name alone, which the loader compares whatever the path's separators.
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return GetModuleHandleA(name.c_str()) != nullptr;
}

}  // namespace mq::test
