// Loading the plug-in that the tool tries.
#include "PluginLibrary.h"

#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

namespace quellan {

PluginLibrary::PluginLibrary(const std::string& path) {
    std::string error;
    if (!library.tryLoad(path, error))
        throw ToolError(ExitCode::PLUGIN_UNUSABLE, "cannot load the plug-in " + path + ": " + error);
    // A missing function is the command's concern, not the load's.
    table.lookUp(library);
}

std::string defaultPluginPath() {
    return mq::platform::parentFolder(mq::platform::executablePath()) + QUELLAN_DEFAULT_PLUGIN;
}

}  // namespace quellan
