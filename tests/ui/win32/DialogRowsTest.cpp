// What the list shows, and what the toolbar's commands do to it.
#include "DialogFixture.h"

namespace mq::test {
namespace {

using Rows = std::vector<std::string>;

class DialogRowsTest : public DialogTest {};

TEST_F(DialogRowsTest, ListsConfiguredChildrenByIdentityInOrder) {
    model.addEntry(makeChild("Alpha", "Plant A"));
    model.addEntry(makeChild("Beta", "Plant B"));
    Rows rows;
    run([&](HWND dialog) {
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(rows, (Rows{"Plant A", "Plant B"}));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DialogRowsTest, EmptyConfigurationShowsEmptyListWithOnlyAddEnabled) {
    Rows rows{"not read"};
    bool add = false, remove = true, configure = true;
    run([&](HWND dialog) {
        rows = rowTexts(dialog);
        add = buttonEnabled(dialog, ADD_COMMAND);
        remove = buttonEnabled(dialog, REMOVE_COMMAND);
        configure = buttonEnabled(dialog, CONFIGURE_COMMAND);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(add);
    EXPECT_FALSE(remove);
    EXPECT_FALSE(configure);
}

TEST_F(DialogRowsTest, AddAppendsOneRowWithTheChildsIdentity) {
    model.addEntry(makeChild("Alpha", "Plant A"));
    const std::string added = makeChild("Gamma", "Plant C");
    prompts.willChoose(added);
    Rows rows;
    run([&](HWND dialog) {
        pressToolbarButton(dialog, ADD_COMMAND);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(prompts.fileDialogs, 1);
    EXPECT_EQ(rows, (Rows{"Plant A", "Plant C"}));
    EXPECT_EQ(children.back()->journal("updateConfiguration").size(), 1u);
    EXPECT_EQ(model.entryPaths().back(), added);
}

TEST_F(DialogRowsTest, AddingTheSameLibraryTwiceGivesTwoRows) {
    const std::string added = makeChild("Gamma", "Plant C");
    prompts.willChoose(added);
    prompts.willChoose(added);
    Rows rows;
    run([&](HWND dialog) {
        pressToolbarButton(dialog, ADD_COMMAND);
        pressToolbarButton(dialog, ADD_COMMAND);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(rows, (Rows{"Plant C", "Plant C"}));
    EXPECT_EQ(model.entryPaths(), (Rows{added, added}));
}

TEST_F(DialogRowsTest, ChildRefusingItsOwnConfigurationAddsNoRow) {
    model.addEntry(makeChild("Alpha", "Plant A"));
    prompts.willChoose(makeChild("Refuser", "Plant R", "fail updateConfiguration 1\n"));
    Rows rows;
    run([&](HWND dialog) {
        pressToolbarButton(dialog, ADD_COMMAND);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(rows, (Rows{"Plant A"}));
    EXPECT_EQ(prompts.messageTexts(), (Rows{INVALID_QUELLAN_MESSAGE}));
    EXPECT_EQ(model.entryPaths().size(), 1u);
}

TEST_F(DialogRowsTest, CancelledFileChoiceAddsNothing) {
    prompts.willCancelFileDialog();
    Rows rows{"not read"};
    run([&](HWND dialog) {
        pressToolbarButton(dialog, ADD_COMMAND);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(prompts.fileDialogs, 1);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DialogRowsTest, RemovingTheMiddleRowKeepsTheOthersInOrder) {
    const std::string first = makeChild("Alpha", "Plant A");
    const std::string last = makeChild("Gamma", "Plant C");
    model.addEntry(first);
    model.addEntry(makeChild("Beta", "Plant B"));
    model.addEntry(last);
    Rows rows;
    run([&](HWND dialog) {
        selectRow(dialog, 1);
        tick(dialog);
        pressToolbarButton(dialog, REMOVE_COMMAND);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(rows, (Rows{"Plant A", "Plant C"}));
    EXPECT_EQ(model.entryPaths(), (Rows{first, last}));
}

TEST_F(DialogRowsTest, ConfigureRunsTheSelectedChildsConfigurationAndKeepsTheList) {
    model.addEntry(makeChild("Alpha", "Plant A"));
    model.addEntry(makeChild("Beta", "Plant B"));
    Rows rows;
    run([&](HWND dialog) {
        selectRow(dialog, 1);
        tick(dialog);
        pressToolbarButton(dialog, CONFIGURE_COMMAND);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_TRUE(children[0]->journal("updateConfiguration").empty());
    EXPECT_EQ(children[1]->journal("updateConfiguration").size(), 1u);
    EXPECT_EQ(rows, (Rows{"Plant A", "Plant B"}));
}

TEST_F(DialogRowsTest, RemoveWithNothingSelectedChangesNothing) {
    model.addEntry(makeChild("Alpha", "Plant A"));
    Rows rows;
    run([&](HWND dialog) {
        tick(dialog);
        pressToolbarButton(dialog, REMOVE_COMMAND);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(rows, (Rows{"Plant A"}));
    EXPECT_EQ(model.entryPaths().size(), 1u);
}

}  // namespace
}  // namespace mq::test
