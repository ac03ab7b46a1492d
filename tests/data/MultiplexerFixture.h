// MultiQuellan as a host loads it, over SimQuellan children named in its
// configuration file.
#pragma once

#include "support/LoadedPlugin.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace mq::test {

// A value read back from one of the library's vectors.
inline SimValue valueAt(const LoadedPlugin& plugin, QUELLAN2_VECTOR vector, uint32_t index) {
    uint32_t type = 99;
    EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->vectorGetType(vector, index, &type));
    if (type == QUELLAN2_TYPE_FLOAT) {
        float value = 0.0f;
        EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->vectorGetFloat(vector, index, &value));
        return value;
    }
    if (type == QUELLAN2_TYPE_STRING) {
        QUELLAN2_STRING string = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->vectorGetString(vector, index, &string));
        return plugin.take(string);
    }
    EXPECT_EQ(QUELLAN2_TYPE_NULL, type);
    return std::monostate{};
}

class MultiplexerTest : public ::testing::Test {
protected:
    void SetUp() override {
        configuration = std::make_unique<MachineConfiguration>();
        plugin = std::make_unique<LoadedPlugin>(libraryPath("MultiQuellan"));
        (*plugin)->connectionClose(nullptr);
    }
    void TearDown() override {
        (*plugin)->connectionClose(nullptr);
        plugin.reset();
        children.clear();
        configuration.reset();
    }

    SimChild& addChild(const std::string& name, const std::string& sidecar, SimVariant variant = SimVariant::FULL,
                       SimMachine machine = SimMachine::NATIVE) {
        children.push_back(std::make_unique<SimChild>(folder.path(), name, sidecar, variant, machine));
        return *children.back();
    }
    // Names the children, in order, in the configuration file.
    void configure() {
        std::vector<std::string> paths;
        for (const auto& child : children) paths.push_back(child->libraryPath());
        configuration->writeChildren(paths);
    }
    QUELLAN2_CONNECTION open() {
        QUELLAN2_CONNECTION opened = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionOpen("", &opened));
        return opened;
    }
    // The number of top-level nodes the host sees through `of`.
    uint32_t nodeCount(QUELLAN2_CONNECTION of) {
        uint32_t count = 99;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNumNodes(of, &count));
        return count;
    }
    void clearJournals() {
        for (const auto& child : children) child->clearJournal();
    }
    bool noChildWasCalled() const {
        for (const auto& child : children)
            if (!child->journal().empty()) return false;
        return true;
    }
    static QUELLAN2_TAG tag(uintptr_t handle) { return reinterpret_cast<QUELLAN2_TAG>(handle); }
    static QUELLAN2_NODE node(uintptr_t handle) { return reinterpret_cast<QUELLAN2_NODE>(handle); }
    static std::size_t count(const std::vector<JournalEntry>& entries, const std::string& function) {
        return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(),
                                                      [&](const JournalEntry& e) { return e.function == function; }));
    }

    ScratchFolder folder{"multiplexer"};
    std::unique_ptr<MachineConfiguration> configuration;
    std::unique_ptr<LoadedPlugin> plugin;
    std::vector<std::unique_ptr<SimChild>> children;
};

}  // namespace mq::test
