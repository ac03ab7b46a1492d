// Ownership of one loaded plug-in library.
#pragma once

#include "platform/DynamicLibrary.h"

#include <string>

namespace mq {

// Holds at most one loaded module and unloads it when destroyed.
class LibraryHandle {
public:
    LibraryHandle() = default;
    ~LibraryHandle();
    LibraryHandle(const LibraryHandle&) = delete;
    LibraryHandle& operator=(const LibraryHandle&) = delete;

    // Loads the library so that the libraries it needs are found in its own
    // folder first. Raises Exception "The file %s does not exist." when there
    // is no file, and Exception with the platform's reason when the file is
    // there but cannot be loaded (another processor's build, a missing
    // dependency, no library at all).
    void load(const std::string& path);

    // Loads as load does, but answers a failure with false and the
    // platform's own reason, for a host that words its own message.
    bool tryLoad(const std::string& path, std::string& reason);

    // Unloads what is held (false, keeping it, when the platform refuses),
    // then loads the path. True when a module is held afterwards; otherwise
    // `why`, where given, holds load()'s words. Raises nothing.
    bool reload(const std::string& path, std::string* why = nullptr) noexcept;

    // The entry point of an exported name, or null when the library lacks it.
    // Raises Exception when no module is held.
    void* resolve(const char* name) const;

    bool loaded() const { return module != nullptr; }
    // The module held; the same for every path that names the same file.
    platform::ModuleHandle handle() const { return module; }

    // True when the held module is the library that runs this code: loading
    // MultiQuellan as its own child would hand it its own state.
    bool isThisLibrary() const;

private:
    platform::ModuleHandle module = nullptr;
};

}  // namespace mq
