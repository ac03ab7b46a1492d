// One use of a plug-in, from loading to unloading.
#pragma once

#include "PluginLibrary.h"

#include <memory>
#include <string>

namespace quellan {

// Loads and initialises the plug-in on first use and opens its connection
// when a command first needs it; the destructor undoes whatever was done, in
// reverse order, on every path. end() does the same for the successful path,
// where a failing close or uninitialize is worth reporting.
class PluginSession {
public:
    explicit PluginSession(std::string path);
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    const PluginFunctions& functions();
    // The connection, opened with an empty connection text.
    QUELLAN2_CONNECTION connection();
    void end();

private:
    std::string path;
    std::unique_ptr<PluginLibrary> library;
    bool initialized = false;
    bool connected = false;
    QUELLAN2_CONNECTION handle = nullptr;
};

}  // namespace quellan
