// Looking for MultiQuellan's dialog module beside the library.
#include "ConfigurationDialog.h"

#include "PluginLibrary.h"
#include "ToolError.h"
#include "platform/FileSystem.h"
#include "ui/DialogModule.h"

#include <filesystem>

namespace quellan {

void checkConfigurationDialog(const std::string& pluginPath) {
    // Set by the build: 1 where the dialog is a module of its own, 0 where it
    // is inside the library.
    if (!QUELLAN_DIALOG_IN_MODULE) return;
    const std::string folder = mq::platform::parentFolder(pluginPath);
    if (pluginPath.substr(folder.size()) != QUELLAN_DEFAULT_PLUGIN) return;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(folder + mq::DIALOG_MODULE_NAME), error)) return;
    throw ToolError(ExitCode::PLUGIN_UNUSABLE, "this MultiQuellan has no configuration dialog (" +
                                                   std::string(mq::DIALOG_MODULE_NAME) + " is not beside " +
                                                   pluginPath +
                                                   "; a build without Qt 6 has none): nothing was changed");
}

}  // namespace quellan
