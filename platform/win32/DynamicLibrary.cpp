// Windows implementation of library loading: LoadLibraryExA with the altered search path.
#include "platform/DynamicLibrary.h"
#include "platform/win32/OwnedHandle.h"

#include <windows.h>

#include <array>
#include <vector>

namespace mq::platform {

namespace {

void anchor() {}

// The system's text for a loader's error code, its inserts filled with the
// library's path ("Bad EXE format for %1."): a loader's message has no other
// object. Every one of the 99 possible inserts gets the path, so that no
// message can read past the arguments.
std::string systemErrorText(DWORD code, const std::string& path) {
    std::array<DWORD_PTR, 99> inserts;
    inserts.fill(reinterpret_cast<DWORD_PTR>(path.c_str()));
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                  nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0,
                                  reinterpret_cast<va_list*>(inserts.data()));
    const LocalMemory<char> ownedText(text);
    std::string result = length ? std::string(text, length) : std::string();
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return "error " + std::to_string(code) + (result.empty() ? "" : ": " + result);
}

std::string moduleFileName(HMODULE module) {
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.assign(buffer.size() * 2, '\0');
    }
}

}  // namespace

std::string absolutePath(const std::string& path) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    // A UNC path, or a drive letter with its root: absolute already. Anything
    // else, a drive-relative "C:name" or a rooted "\name" included, depends
    // on the current drive and folder.
    const bool unc = path.size() >= 2 && separator(path[0]) && separator(path[1]);
    const bool rooted = path.size() >= 3 && path[1] == ':' && separator(path[2]);
    if (path.empty() || unc || rooted) return path;
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    for (;;) {
        DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return path;
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.assign(length + 1, '\0');
    }
}

ModuleHandle loadLibrary(const std::string& path, std::string& error) {
    // No "cannot load" dialog boxes from the system while a host runs.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD code = module ? 0 : GetLastError();
    SetErrorMode(previousMode);
    if (!module) error = systemErrorText(code, path);
    return module;
}

void* findSymbol(ModuleHandle module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

bool unloadLibrary(ModuleHandle module) {
    return module && FreeLibrary(static_cast<HMODULE>(module)) != 0;
}

ModuleHandle thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&anchor), &module);
    return module;
}

std::string thisModulePath() {
    return moduleFileName(static_cast<HMODULE>(thisModule()));
}

std::string executablePath() {
    return moduleFileName(nullptr);
}

}  // namespace mq::platform
