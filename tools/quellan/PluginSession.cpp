// One use of a plug-in: load, initialise, open, and undo each on the way out.
#include "PluginSession.h"

#include "ChildrenCommand.h"

namespace quellan {

PluginSession::PluginSession(std::string path) : path(std::move(path)) {}

PluginSession::~PluginSession() {
    if (!library) return;
    const PluginFunctions& plugin = library->functions();
    // Statuses are of no use here: this path is already reporting a failure.
    if (connected && plugin.connectionClose.present()) plugin.connectionClose.function()(handle);
    if (initialized && plugin.uninitialize.present()) plugin.uninitialize.function()();
}

const PluginFunctions& PluginSession::functions() {
    if (!library) {
        library = std::make_unique<PluginLibrary>(path);
        library->functions().initialize.check();
        initialized = true;
    }
    return library->functions();
}

QUELLAN2_CONNECTION PluginSession::connection() {
    if (!connected) {
        try {
            functions().connectionOpen.check("", &handle);
        } catch (const ToolError& failure) {
            const std::string hint = openFailureHint(path);
            if (hint.empty()) throw;
            throw ToolError(failure.code(), failure.what() + ("\n" + hint));
        }
        connected = true;
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
