// Loading, looking up in and unloading one plug-in library.
#include "hosting/LibraryHandle.h"

#include "interface/Exception.h"
#include "platform/FileSystem.h"

#include <mutex>

namespace mq {

namespace {

// Every load and unload of a plug-in takes this lock. The platform's loader
// orders them already, but invisibly to the thread sanitizer, and a module
// that a worker left behind unloads on its own thread may be loaded again,
// at the same address, by another thread.
std::mutex& loaderOrder() {
    static std::mutex order;
    return order;
}

platform::ModuleHandle orderedLoad(const std::string& path, std::string& reason) {
    std::lock_guard<std::mutex> lock(loaderOrder());
    return platform::loadLibrary(path, reason);
}

bool orderedUnload(platform::ModuleHandle module) {
    std::lock_guard<std::mutex> lock(loaderOrder());
    return platform::unloadLibrary(module);
}

}  // namespace

LibraryHandle::~LibraryHandle() {
    if (module) orderedUnload(module);
}

void LibraryHandle::load(const std::string& path) {
    std::string reason;
    if (tryLoad(path, reason)) return;
    if (!platform::entryExists(path)) throw Exception("The file " + path + " does not exist.");
    throw Exception("The library " + path + " could not be loaded (" + reason + ").");
}

bool LibraryHandle::tryLoad(const std::string& path, std::string& reason) {
    platform::ModuleHandle loadedModule = orderedLoad(path, reason);
    if (!loadedModule) return false;
    if (module) orderedUnload(module);
    module = loadedModule;
    return true;
}

bool LibraryHandle::reload(const std::string& path, std::string* why) noexcept {
    try {
        if (module) {
            if (!orderedUnload(module)) return false;
            module = nullptr;
        }
        load(path);
        return true;
    } catch (const Exception& error) {
        try {
            if (why) *why = error.message();
        } catch (...) {
            // Without memory for the words the failure is still reported.
        }
        return false;
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
