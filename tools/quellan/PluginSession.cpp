// One use of a plug-in: load, initialise, open, and undo each on the way out.
#include "PluginSession.h"

#include "ChildrenCommand.h"
#include "platform/DynamicLibrary.h"

namespace quellan {

PluginSession::PluginSession(const std::string& path) : libraryPath(mq::platform::absolutePath(path)) {}

PluginSession::~PluginSession() {
    if (!library) return;
    const PluginFunctions& plugin = library->functions();
    // Statuses are of no use here: this path is already reporting a failure.
    if (connected && plugin.connectionClose.present()) plugin.connectionClose.function()(handle);
    if (initialized && plugin.uninitialize.present()) plugin.uninitialize.function()();
}

const PluginFunctions& PluginSession::functions() {
    if (!library) {
        library = std::make_unique<PluginLibrary>(libraryPath);
        library->functions().initialize.check();
        initialized = true;
    }
    return library->functions();
}

QUELLAN2_CONNECTION PluginSession::connection() {
    if (!connected) {
        const PluginFunctions& plugin = functions();
        const QUELLAN2_STATUS status = plugin.connectionOpen("", &handle);
        if (status != QUELLAN2_STATUS_OK) {
            std::string text = failedCallText(status, plugin.connectionOpen.name());
            const std::string hint = openFailureHint(libraryPath);
            if (!hint.empty()) text += "\n" + hint;
            throw ConnectionOpenError(ExitCode::PLUGIN_FAILED, text);
        }
        connected = true;
        if (opened) opened(plugin, handle);
    }
    return handle;
}

void PluginSession::end() {
    if (!library) return;
    const PluginFunctions& plugin = library->functions();
    if (connected) {
        connected = false;
        plugin.connectionClose.check(handle);
    }
    if (initialized) {
        initialized = false;
        plugin.uninitialize.check();
    }
}

}  // namespace quellan
