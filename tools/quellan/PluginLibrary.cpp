// Loading the plug-in that the tool tries.
#include "PluginLibrary.h"

#include "hosting/ChildMachine.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <filesystem>

namespace quellan {

PluginLibrary::PluginLibrary(const std::string& path) {
    std::string error;
    if (!library.tryLoad(path, error))
        throw unloadablePlugin(path, error);
    // A missing function is the command's concern, not the load's.
    table.lookUp(library);
}

ToolError unloadablePlugin(const std::string& path, const std::string& reason) {
    std::string text = "cannot load the plug-in " + path + ": " + reason;
    // The system's reason for a 32-bit library says only that it is not a valid program.
    const mq::ChildMachine machine = mq::childMachine(path);
    if (machine.alwaysIsolated)
        text += " (a 32-bit library, which this 64-bit tool cannot load; MultiQuellan serves it in " +
                machine.surrogateProgram + ")";
    return ToolError(ExitCode::PLUGIN_UNUSABLE, text);
}

std::string defaultPluginPath() {
    const std::string toolFolder = mq::platform::parentFolder(mq::platform::executablePath());
    const std::string beside = toolFolder + QUELLAN_DEFAULT_PLUGIN;
    if (mq::platform::entryExists(beside)) return beside;
    const std::filesystem::path installed =
        std::filesystem::path(toolFolder + QUELLAN_INSTALLED_PLUGIN_FOLDER + QUELLAN_DEFAULT_PLUGIN).lexically_normal();
    return installed.string();
}

}  // namespace quellan
