// The buttons that act on the selected row follow the list's selection at the timer's ticks.
#include "DialogFixture.h"

namespace mq::test {
namespace {

class DialogButtonsTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        model.addEntry(makeChild("Alpha", "Plant A"));
        model.addEntry(makeChild("Beta", "Plant B"));
    }
};

// Whether each of TOOLBAR_COMMANDS is enabled, in that order.
std::vector<bool> enabledButtons(HWND dialog) {
    std::vector<bool> enabled;
    for (int command : TOOLBAR_COMMANDS) enabled.push_back(buttonEnabled(dialog, command));
    return enabled;
}

TEST_F(DialogButtonsTest, SelectingARowEnablesWhatCanActOnItAtTheNextTick) {
    std::vector<bool> first, last;
    run([&](HWND dialog) {
        selectRow(dialog, 0);
        tick(dialog);
        first = enabledButtons(dialog);
        selectRow(dialog, 1);
        tick(dialog);
        last = enabledButtons(dialog);
        pressButton(dialog, IDCANCEL);
    });
    // Add, remove, configure, move up, move down.
    EXPECT_EQ(first, (std::vector<bool>{true, true, true, false, true}));
    EXPECT_EQ(last, (std::vector<bool>{true, true, true, true, false}));
}

TEST_F(DialogButtonsTest, LosingTheSelectionDisablesAllButAddAtTheNextTick) {
    std::vector<bool> enabled;
    run([&](HWND dialog) {
        selectRow(dialog, 1);
        tick(dialog);
        ASSERT_TRUE(buttonEnabled(dialog, REMOVE_COMMAND));
        clearSelection(dialog);
        tick(dialog);
        enabled = enabledButtons(dialog);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false, false}));
}

TEST_F(DialogButtonsTest, RemovingTheSelectedRowDisablesThemAtTheNextTick) {
    bool remove = true;
    run([&](HWND dialog) {
        selectRow(dialog, 0);
        tick(dialog);
        pressToolbarButton(dialog, REMOVE_COMMAND);
        tick(dialog);
        remove = buttonEnabled(dialog, REMOVE_COMMAND);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_FALSE(remove);
}

}  // namespace
}  // namespace mq::test
