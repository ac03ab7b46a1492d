// POSIX implementation of the loaded-library check: dlopen without loading.
#include "support/LoadedModules.h"

#include <dlfcn.h>

namespace mq::test {

bool moduleIsLoaded(const std::string& path) {
    void* module = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!module) return false;
    dlclose(module);
    return true;
}

}  // namespace mq::test
