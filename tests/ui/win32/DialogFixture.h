// The real Win32 configuration dialog over a model with scripted prompts, and
// SimQuellan children to list.
#pragma once

#include "DialogControls.h"
#include "WindowScript.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"
#include "ui/ConfigurationFakes.h"
#include "ui/ConfigurationView.h"
#include "ui/MultiQuellanConfig.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mq::test {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        application = createConfigurationApplication("", SW_SHOWNORMAL);
        ASSERT_TRUE(application);
        view = application->createView();
    }

    void TearDown() override { EXPECT_TRUE(threadDialogs().empty()) << "a window was left open"; }

    // A SimQuellan copy named `name` whose identity is `identity`; `more`
    // adds sidecar lines.
    std::string makeChild(const std::string& name, const std::string& identity, const std::string& more = "") {
        children.push_back(
            std::make_unique<SimChild>(folder.path(), name, "identity " + identity + "\n" + more));
        return children.back()->libraryPath();
    }

    // Runs the dialog modally and `script` on it once it shows; the script
    // ends the run (the dialog is cancelled if it does not). Returns the
    // model's result; `shown` receives the dialog's window.
    int run(std::function<void(HWND)> script) {
        WindowScript driver(titled(DIALOG_TITLE), [&](HWND window) {
            shown = window;
            script(window);
        });
        const int result = model.runModal(*view);
        EXPECT_TRUE(driver.ran()) << "the dialog never showed";
        EXPECT_FALSE(IsWindow(shown)) << "the dialog outlived its run";
        return result;
    }

    // Lets the button-update timer tick once.
    static void tick(HWND dialog) { ASSERT_TRUE(waitForTimerTick(dialog, 1)) << "the button timer did not tick"; }

    ScratchFolder folder{"ui-win32"};
    std::vector<std::unique_ptr<SimChild>> children;
    ScriptedPrompts prompts;
    MultiQuellanConfig model{prompts};
    std::unique_ptr<ConfigurationApplication> application;
    std::unique_ptr<ConfigurationView> view;
    HWND shown = nullptr;
};

}  // namespace mq::test
