// Remove and configure follow the list's selection at the timer's ticks.
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

TEST_F(DialogButtonsTest, SelectingARowEnablesRemoveAndConfigureAtTheNextTick) {
    bool remove = false, configure = false, add = false;
    run([&](HWND dialog) {
        selectRow(dialog, 0);
        tick(dialog);
        add = buttonEnabled(dialog, ADD_COMMAND);
        remove = buttonEnabled(dialog, REMOVE_COMMAND);
        configure = buttonEnabled(dialog, CONFIGURE_COMMAND);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(add);
    EXPECT_TRUE(remove);
    EXPECT_TRUE(configure);
}

TEST_F(DialogButtonsTest, LosingTheSelectionDisablesRemoveAndConfigureAtTheNextTick) {
    bool remove = true, configure = true, add = false;
    run([&](HWND dialog) {
        selectRow(dialog, 1);
        tick(dialog);
        ASSERT_TRUE(buttonEnabled(dialog, REMOVE_COMMAND));
        clearSelection(dialog);
        tick(dialog);
        add = buttonEnabled(dialog, ADD_COMMAND);
        remove = buttonEnabled(dialog, REMOVE_COMMAND);
        configure = buttonEnabled(dialog, CONFIGURE_COMMAND);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(add);
    EXPECT_FALSE(remove);
    EXPECT_FALSE(configure);
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
