// A plug-in library and its interface functions, looked up by name.
#pragma once

#include "Status.h"
#include "ToolError.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"
#include "quellan2.h"

#include <string>
#include <utility>

namespace quellan {

// One interface function of the plug-in. A plug-in need not export every
// function: a missing one stays null and is reported only when a command
// calls it.
template <typename Function>
class Entry {
public:
    // `address` is the table's slot, which the loader fills once the entries exist.
    Entry(const Function& address, const char* name) : functionName(name), address(address) {}

    const char* name() const { return functionName; }
    bool present() const { return address != nullptr; }
    // The bare address, for callers that must not throw (releasing objects).
    Function function() const { return address; }

    // Calls the function and returns its status; raises ToolError when the
    // plug-in lacks it.
    template <typename... Arguments>
    QUELLAN2_STATUS operator()(Arguments&&... arguments) const {
        if (!address)
            throw ToolError(ExitCode::PLUGIN_UNUSABLE, std::string("the plug-in does not export ") + functionName);
        return address(std::forward<Arguments>(arguments)...);
    }

    // Calls the function and raises ToolError for any status but OK.
    template <typename... Arguments>
    void check(Arguments&&... arguments) const {
        checkStatus((*this)(std::forward<Arguments>(arguments)...), functionName);
    }

private:
    const char* functionName;
    const Function& address;
};

// Every function of the interface, as the library's loader looked it up.
class PluginFunctions {
public:
    explicit PluginFunctions(const mq::ChildExports& table) : table(table) {}

private:
    // Declared first: the entries below are built from it.
    const mq::ChildExports& table;

public:
#define MQ_CHILD_FUNCTION(entry, required) \
    Entry<QUELLAN2_PFN_##entry> entry{table.entry, MQ_CHILD_FUNCTION_NAME(entry)};
#include "hosting/ChildFunctions.def"
};

// A loaded plug-in library, unloaded with the object. It is loaded and its
// functions looked up by the library's own loader, without refusing a
// plug-in that lacks some of them.
class PluginLibrary {
public:
    // Raises ToolError (PLUGIN_UNUSABLE) when the library cannot be loaded.
    explicit PluginLibrary(const std::string& path);
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const PluginFunctions& functions() const { return entries; }

private:
    mq::LibraryHandle library;
    mq::ChildExports table;
    PluginFunctions entries{table};
};

// The failure of a plug-in that cannot be loaded, for every command (exit code 4).
ToolError unloadablePlugin(const std::string& path, const std::string& reason);

// The plug-in that is used when none is named: MultiQuellan beside the tool
// (the build tree, the Windows folder), otherwise MultiQuellan in the library
// folder of the installed layout, found from the tool's own folder.
std::string defaultPluginPath();

}  // namespace quellan
