// UpdateConfiguration of the built library, as the configuration process runs
// it: the library's own dialog, then the saved file and the outcome message.
#include "DialogControls.h"
#include "WindowScript.h"
#include "support/LoadedPlugin.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"
#include "ui/ConfigurationView.h"

#include <gtest/gtest.h>

namespace mq::test {
namespace {

class ConfigurationProcessTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(threadDialogs().empty()) << "a window was left open"; }

    void runConfiguration() {
        char commandLine[] = "";
        plugin.updateConfigurationEntry()(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
    }

    std::string libraryIdentity() {
        QUELLAN2_STRING identity = nullptr;
        if (plugin->getIdentity(&identity) != QUELLAN2_STATUS_OK) return {};
        return plugin.take(identity);
    }

    ScratchFolder folder{"ui-win32-process"};
    SimChild alpha{folder.path(), "Alpha", "identity Plant A\n"};
    SimChild beta{folder.path(), "Beta", "identity Plant B\n"};
    MachineConfiguration configuration;
    LoadedPlugin plugin{libraryPath("MultiQuellan")};
};

TEST_F(ConfigurationProcessTest, OkSavesTheListAndReportsItWithTheLibrarysIdentity) {
    configuration.writeChildren({alpha.libraryPath(), beta.libraryPath()});
    std::vector<std::string> rows;
    HMODULE instance = nullptr;
    WindowScript dialog(titled(DIALOG_TITLE), [&](HWND window) {
        instance = reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
        rows = rowTexts(window);
        selectRow(window, 0);
        EXPECT_TRUE(waitForTimerTick(window, 1));
        pressToolbarButton(window, REMOVE_COMMAND);
        pressButton(window, IDOK);
    });
    std::string text, caption;
    HWND owner = reinterpret_cast<HWND>(1);
    WindowScript outcome(messageStartingWith("Configuration saved to "), [&](HWND window) {
        text = windowText(GetDlgItem(window, 0xFFFF));
        caption = windowText(window);
        owner = GetWindow(window, GW_OWNER);
        pressButton(window, IDOK);
    });
    runConfiguration();

    ASSERT_TRUE(dialog.ran());
    // The dialog comes from the library's own resources, not the program's.
    EXPECT_EQ(instance, GetModuleHandleA(libraryPath("MultiQuellan").c_str()));
    EXPECT_NE(instance, GetModuleHandleA(nullptr));
    EXPECT_EQ(rows, (std::vector<std::string>{"Plant A", "Plant B"}));
    ASSERT_TRUE(outcome.ran());
    EXPECT_EQ(text, "Configuration saved to " + configuration.filePath());
    EXPECT_EQ(caption, libraryIdentity());
    EXPECT_EQ(owner, nullptr);
    const std::string saved = readFile(configuration.filePath());
    EXPECT_EQ(saved.find(alpha.libraryPath()), std::string::npos) << saved;
    EXPECT_NE(saved.find(beta.libraryPath()), std::string::npos) << saved;
}

TEST_F(ConfigurationProcessTest, CancelLeavesTheFileAsItWas) {
    configuration.writeChildren({alpha.libraryPath()});
    const std::string before = readFile(configuration.filePath());
    WindowScript dialog(titled(DIALOG_TITLE), [](HWND window) {
        selectRow(window, 0);
        EXPECT_TRUE(waitForTimerTick(window, 1));
        pressToolbarButton(window, REMOVE_COMMAND);
        EXPECT_TRUE(rowTexts(window).empty());
        pressButton(window, IDCANCEL);
    });
    int messages = 0;
    WindowScript anyMessage(messageStartingWith(""), [&](HWND window) {
        ++messages;
        pressButton(window, IDOK);
    });
    runConfiguration();
    ASSERT_TRUE(dialog.ran());
    EXPECT_EQ(messages, 0);
    EXPECT_EQ(readFile(configuration.filePath()), before);
}

}  // namespace
}  // namespace mq::test
