// One use of a plug-in, from loading to unloading.
#pragma once

#include "PluginLibrary.h"
#include "ToolError.h"

#include <functional>
#include <memory>
#include <string>

namespace quellan {

// Raised when the plug-in refuses to open its connection: for MultiQuellan
// that usually means a child that cannot be loaded or opened.
class ConnectionOpenError : public ToolError {
public:
    using ToolError::ToolError;
};

// Loads and initialises the plug-in on first use and opens its connection
// when a command first needs it; the destructor undoes whatever was done, in
// reverse order, on every path. end() does the same for the successful path,
// where a failing close or uninitialize is worth reporting.
class PluginSession {
public:
    // A relative path is taken against the current folder, as the user means
    // it, not looked for by the system's library search.
    explicit PluginSession(const std::string& path);
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    const PluginFunctions& functions();
    // The connection, opened with an empty connection text; raises
    // ConnectionOpenError when the plug-in refuses.
    QUELLAN2_CONNECTION connection();
    const std::string& path() const { return libraryPath; }
    // Called once, right after the connection has opened; may raise ToolError.
    void afterOpen(std::function<void(const PluginFunctions&, QUELLAN2_CONNECTION)> check) {
        opened = std::move(check);
    }
    void end();

private:
    std::string libraryPath;
    std::unique_ptr<PluginLibrary> library;
    bool initialized = false;
    bool connected = false;
    QUELLAN2_CONNECTION handle = nullptr;
    std::function<void(const PluginFunctions&, QUELLAN2_CONNECTION)> opened;
};

}  // namespace quellan
