// Windows implementation of the loaded-library check: the module handle by name.
#include "support/LoadedModules.h"

#include <windows.h>

namespace mq::test {

bool moduleIsLoaded(const std::string& path) {
    return GetModuleHandleA(path.c_str()) != nullptr;
}

}  // namespace mq::test
