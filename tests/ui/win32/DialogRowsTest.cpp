// What the list shows, and what the toolbar's commands do to it.
#include "DialogFixture.h"

namespace mq::test {
namespace {

using Rows = std::vector<std::string>;

class DialogRowsTest : public DialogTest {};

TEST_F(DialogRowsTest, ListsConfiguredChildrenByIdentityAndPathInOrder) {
    const Rows configured{makeChild("Alpha", "Plant A"), makeChild("Beta", "Plant B")};
    for (const auto& path : configured) model.addEntry(path);
    Rows rows, paths;
    run([&](HWND dialog) {
        rows = rowTexts(dialog);
        paths = rowTexts(dialog, 1);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(rows, (Rows{"Plant A", "Plant B"}));
    EXPECT_EQ(paths, configured);
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

TEST_F(DialogRowsTest, MoveButtonsMoveTheSelectedRowWithItsPathAndTheSelectionFollows) {
    const Rows configured{makeChild("Alpha", "Plant A"), makeChild("Beta", "Plant B"), makeChild("Gamma", "Plant C")};
    for (const auto& path : configured) model.addEntry(path);
    Rows rows, paths;
    std::vector<int> selected;
    std::vector<std::pair<bool, bool>> moves;
    run([&](HWND dialog) {
        auto note = [&] {
            selected.push_back(selectedRow(dialog));
            moves.emplace_back(buttonEnabled(dialog, MOVE_UP_COMMAND), buttonEnabled(dialog, MOVE_DOWN_COMMAND));
        };
        selectRow(dialog, 1);
        tick(dialog);
        pressToolbarButton(dialog, MOVE_UP_COMMAND);
        note();
        pressToolbarButton(dialog, MOVE_DOWN_COMMAND);
        pressToolbarButton(dialog, MOVE_DOWN_COMMAND);
        note();
        rows = rowTexts(dialog);
        paths = rowTexts(dialog, 1);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(selected, (std::vector<int>{0, 2}));
    EXPECT_EQ(moves, (std::vector<std::pair<bool, bool>>{{false, true}, {true, false}}));
    EXPECT_EQ(rows, (Rows{"Plant A", "Plant C", "Plant B"}));
    const Rows moved{configured[0], configured[2], configured[1]};
    EXPECT_EQ(paths, moved);
    EXPECT_EQ(model.entryPaths(), moved);
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
