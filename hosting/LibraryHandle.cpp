// Loading, looking up in and unloading one plug-in library.
#include "hosting/LibraryHandle.h"

#include "interface/Exception.h"
#include "platform/FileSystem.h"

namespace mq {

LibraryHandle::~LibraryHandle() {
    if (module) platform::unloadLibrary(module);
}

void LibraryHandle::load(const std::string& path) {
    std::string reason;
    if (tryLoad(path, reason)) return;
    if (!platform::entryExists(path)) throw Exception("The file " + path + " does not exist.");
    throw Exception("The library " + path + " could not be loaded (" + reason + ").");
}

bool LibraryHandle::tryLoad(const std::string& path, std::string& reason) {
    platform::ModuleHandle loadedModule = platform::loadLibrary(path, reason);
    if (!loadedModule) return false;
    if (module) platform::unloadLibrary(module);
    module = loadedModule;
    return true;
}

bool LibraryHandle::reload(const std::string& path) noexcept {
    try {
        if (module) {
            if (!platform::unloadLibrary(module)) return false;
            module = nullptr;
        }
        load(path);
        return true;
    } catch (...) {
        return false;
    }
}

void* LibraryHandle::resolve(const char* name) const {
    if (!module) throw Exception("No library is loaded to look up " + std::string(name) + " in.");
    return platform::findSymbol(module, name);
}

bool LibraryHandle::isThisLibrary() const {
    return module && module == platform::thisModule();
}

}  // namespace mq
