// A plug-in library and its interface functions, looked up by name.
#pragma once

#include "Status.h"
#include "ToolError.h"
#include "platform/DynamicLibrary.h"
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
    Entry(mq::platform::ModuleHandle module, const char* name)
        : functionName(name), address(reinterpret_cast<Function>(mq::platform::findSymbol(module, name))) {}

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
    Function address;
};

// Every function of the interface that a host may call.
class PluginFunctions {
public:
    explicit PluginFunctions(mq::platform::ModuleHandle module) : module(module) {}

private:
    // Declared first: the entries below are looked up in it as they are built.
    mq::platform::ModuleHandle module;

public:
    Entry<QUELLAN2_PFN_initialize> initialize{module, "quellan2_initialize"};
    Entry<QUELLAN2_PFN_uninitialize> uninitialize{module, "quellan2_uninitialize"};
    Entry<QUELLAN2_PFN_getIdentity> getIdentity{module, "quellan2_getIdentity"};
    Entry<QUELLAN2_PFN_updateConfiguration> updateConfiguration{module, "quellan2_updateConfiguration"};
    Entry<QUELLAN2_PFN_connectionOpen> connectionOpen{module, "quellan2_connectionOpen"};
    Entry<QUELLAN2_PFN_connectionClose> connectionClose{module, "quellan2_connectionClose"};
    Entry<QUELLAN2_PFN_connectionGetNumNodes> connectionGetNumNodes{module, "quellan2_connectionGetNumNodes"};
    Entry<QUELLAN2_PFN_connectionGetNode> connectionGetNode{module, "quellan2_connectionGetNode"};
    Entry<QUELLAN2_PFN_connectionGetCurrentTime> connectionGetCurrentTime{module,
                                                                          "quellan2_connectionGetCurrentTime"};
    Entry<QUELLAN2_PFN_connectionReadCurrentData> connectionReadCurrentData{module,
                                                                            "quellan2_connectionReadCurrentData"};
    Entry<QUELLAN2_PFN_connectionReadHistoricalDataEx> connectionReadHistoricalDataEx{
        module, "quellan2_connectionReadHistoricalDataEx"};
    Entry<QUELLAN2_PFN_connectionReadBatchData> connectionReadBatchData{module, "quellan2_connectionReadBatchData"};
    Entry<QUELLAN2_PFN_connectionReadBatchDataEx> connectionReadBatchDataEx{module,
                                                                            "quellan2_connectionReadBatchDataEx"};
    Entry<QUELLAN2_PFN_connectionWriteHistoricalDataEx> connectionWriteHistoricalDataEx{
        module, "quellan2_connectionWriteHistoricalDataEx"};
    Entry<QUELLAN2_PFN_connectionWriteBatchData> connectionWriteBatchData{module,
                                                                          "quellan2_connectionWriteBatchData"};
    Entry<QUELLAN2_PFN_connectionWriteBatchDataEx> connectionWriteBatchDataEx{module,
                                                                              "quellan2_connectionWriteBatchDataEx"};
    Entry<QUELLAN2_PFN_nodeGetName> nodeGetName{module, "quellan2_nodeGetName"};
    Entry<QUELLAN2_PFN_nodeGetNumNodes> nodeGetNumNodes{module, "quellan2_nodeGetNumNodes"};
    Entry<QUELLAN2_PFN_nodeGetNode> nodeGetNode{module, "quellan2_nodeGetNode"};
    Entry<QUELLAN2_PFN_nodeGetNumTags> nodeGetNumTags{module, "quellan2_nodeGetNumTags"};
    Entry<QUELLAN2_PFN_nodeGetTag> nodeGetTag{module, "quellan2_nodeGetTag"};
    Entry<QUELLAN2_PFN_nodeGetActiveBatches> nodeGetActiveBatches{module, "quellan2_nodeGetActiveBatches"};
    Entry<QUELLAN2_PFN_nodeGetBatchTimes> nodeGetBatchTimes{module, "quellan2_nodeGetBatchTimes"};
    Entry<QUELLAN2_PFN_tagGetName> tagGetName{module, "quellan2_tagGetName"};
    Entry<QUELLAN2_PFN_tagGetUpdateTime> tagGetUpdateTime{module, "quellan2_tagGetUpdateTime"};
    Entry<QUELLAN2_PFN_vectorCreate> vectorCreate{module, "quellan2_vectorCreate"};
    Entry<QUELLAN2_PFN_vectorFree> vectorFree{module, "quellan2_vectorFree"};
    Entry<QUELLAN2_PFN_vectorGetLength> vectorGetLength{module, "quellan2_vectorGetLength"};
    Entry<QUELLAN2_PFN_vectorGetType> vectorGetType{module, "quellan2_vectorGetType"};
    Entry<QUELLAN2_PFN_vectorGetString> vectorGetString{module, "quellan2_vectorGetString"};
    Entry<QUELLAN2_PFN_vectorSetString> vectorSetString{module, "quellan2_vectorSetString"};
    Entry<QUELLAN2_PFN_vectorGetFloat> vectorGetFloat{module, "quellan2_vectorGetFloat"};
    Entry<QUELLAN2_PFN_vectorSetFloat> vectorSetFloat{module, "quellan2_vectorSetFloat"};
    Entry<QUELLAN2_PFN_stringFree> stringFree{module, "quellan2_stringFree"};
    Entry<QUELLAN2_PFN_stringCopy> stringCopy{module, "quellan2_stringCopy"};
};

// A loaded plug-in library, unloaded with the object.
class PluginLibrary {
public:
    // Raises ToolError (PLUGIN_UNUSABLE) when the library cannot be loaded.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const PluginFunctions& functions() const { return table; }

private:
    static mq::platform::ModuleHandle load(const std::string& path);

    mq::platform::ModuleHandle module;
    PluginFunctions table;
};

// The plug-in that is used when none is named: MultiQuellan beside the tool.
std::string defaultPluginPath();

}  // namespace quellan
