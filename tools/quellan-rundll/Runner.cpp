// Loading a library and calling its entry point as rundll32 would.
#include "tools/quellan-rundll/Runner.h"

#include "platform/DynamicLibrary.h"

#include <cstdio>
#include <string>
#include <vector>

namespace mq::tools {

namespace {

using EntryPoint = void (*)(void* window, void* instance, char* commandLine, int show);

constexpr int SHOW_NORMAL = 1;

}  // namespace

int runEntryPoint(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quellan-rundll LIBRARY,ENTRY [arguments]\n");
        return 2;
    }
    // The entry name has no comma, the path may: split at the last one.
    std::string target = argv[1];
    std::size_t comma = target.rfind(',');
    if (comma == std::string::npos || comma == 0 || comma + 1 == target.size()) {
        std::fprintf(stderr, "quellan-rundll: expected LIBRARY,ENTRY, got \"%s\"\n", target.c_str());
        return 2;
    }
    std::string library = target.substr(0, comma);
    std::string entryName = target.substr(comma + 1);

    std::string rest;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) rest += ' ';
        rest += argv[i];
    }
    std::vector<char> commandLine(rest.begin(), rest.end());
    commandLine.push_back('\0');

    std::string error;
    platform::ModuleHandle module = platform::loadLibrary(library, error);
    if (!module) {
        std::fprintf(stderr, "quellan-rundll: cannot load %s: %s\n", library.c_str(), error.c_str());
        return 3;
    }
    auto entry = reinterpret_cast<EntryPoint>(platform::findSymbol(module, entryName.c_str()));
    if (!entry) {
        std::fprintf(stderr, "quellan-rundll: %s has no entry %s\n", library.c_str(), entryName.c_str());
        platform::unloadLibrary(module);
        return 3;
    }
    entry(nullptr, nullptr, commandLine.data(), SHOW_NORMAL);
    // Left loaded: the process ends now, and whatever the entry started
    // (the window system among it) may still refer to the library's code
    // in its exit handlers.
    return 0;
}

}  // namespace mq::tools
