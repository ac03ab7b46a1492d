#include "PluginLibrary.h"

#include "platform/FileSystem.h"

namespace quellan {

PluginLibrary::PluginLibrary(const std::string& path) : module(load(path)), table(module) {}

PluginLibrary::~PluginLibrary() {
    mq::platform::unloadLibrary(module);
}

mq::platform::ModuleHandle PluginLibrary::load(const std::string& path) {
    std::string error;
    mq::platform::ModuleHandle module = mq::platform::loadLibrary(path, error);
    if (!module) throw ToolError(ExitCode::PLUGIN_UNUSABLE, "cannot load the plug-in " + path + ": " + error);
    return module;
}

std::string defaultPluginPath() {
    return mq::platform::parentFolder(mq::platform::executablePath()) + QUELLAN_DEFAULT_PLUGIN;
}

}  // namespace quellan
