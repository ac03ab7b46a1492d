// POSIX implementation of library loading: dlopen with local symbol binding.
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

namespace mq::platform {

namespace {
// Any function of this module serves dladdr to find the module.
void anchor() {}
}  // namespace

std::string absolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::vector<char> folder(PATH_MAX, '\0');
    while (!getcwd(folder.data(), folder.size())) {
        // Without a current folder there is nothing to be relative to.
        if (errno != ERANGE) return path;
        folder.assign(folder.size() * 2, '\0');
    }
    std::string absolute = folder.data();
    if (absolute.back() != '/') absolute += '/';
    return absolute + path;
}

ModuleHandle loadLibrary(const std::string& path, std::string& error) {
    dlerror();
    // RTLD_LOCAL keeps a child's symbols out of the global scope, so two
    // children exporting the same names never see each other's functions.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* text = dlerror();
        error = text ? text : "the library could not be loaded";
    }
    return module;
}

void* findSymbol(ModuleHandle module, const char* name) {
    return module ? dlsym(module, name) : nullptr;
}

bool unloadLibrary(ModuleHandle module) {
    return module && dlclose(module) == 0;
}

ModuleHandle thisModule() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&anchor), &info) || !info.dli_fname) return nullptr;
    // RTLD_NOLOAD gives the handle of the already loaded module; the extra
    // reference it takes is dropped at once, since the module is loaded anyway.
    void* module = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (module) dlclose(module);
    return module;
}

std::string thisModulePath() {
    // The kernel's own name of the file mapped at this code, which is
    // absolute: the name the module was loaded by may be relative to a
    // current folder the host has left since.
    std::ifstream maps("/proc/self/maps");
    const auto here = reinterpret_cast<std::uintptr_t>(&anchor);
    std::string line;
    while (std::getline(maps, line)) {
        // start-end perms offset device inode   path
        std::istringstream fields(line);
        std::uintptr_t start = 0, end = 0;
        char dash = 0;
        if (!(fields >> std::hex >> start >> dash >> end) || dash != '-' || here < start || here >= end) continue;
        const std::size_t path = line.find('/');
        return path == std::string::npos ? std::string() : line.substr(path);
    }
    return {};
}

std::string executablePath() {
    std::vector<char> buffer(PATH_MAX + 1, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : std::string();
}

}  // namespace mq::platform
