// Loading plug-in libraries and looking up their entry points.
#pragma once

#include <string>

namespace mq::platform {

using ModuleHandle = void*;

// A relative path made absolute against the current folder; an absolute or
// empty path comes back unchanged, and no link is followed. A loader given a
// relative name looks for it by its own rules (the library path, the
// program's folder) rather than in the current folder, so a caller that
// checks a file and then loads it gives both the absolute form.
std::string absolutePath(const std::string& path);

// Loads a library so that the libraries it needs are looked for first in its
// own folder. Returns null on failure and describes the failure in `error`
// (the platform's own error code and text).
ModuleHandle loadLibrary(const std::string& path, std::string& error);

// The address of an exported name, or null when the library does not export it.
void* findSymbol(ModuleHandle module, const char* name);

// False when the platform refuses to unload; the module then stays loaded.
bool unloadLibrary(ModuleHandle module);

// The module that holds this code, as loadLibrary would return it for the
// same file, so that a caller can recognise itself among loaded libraries.
ModuleHandle thisModule();

// The full file name of the module that holds this code: absolute, whatever
// the current folder is now or was when the module was loaded; empty when it
// cannot be found.
std::string thisModulePath();

// The full file name of the running program.
std::string executablePath();

}  // namespace mq::platform
