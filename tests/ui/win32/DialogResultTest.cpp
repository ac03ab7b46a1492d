// How the modal run ends.
#include "DialogFixture.h"

namespace mq::test {
namespace {

class DialogResultTest : public DialogTest {};

TEST_F(DialogResultTest, OkEndsTheRunWithOne) {
    EXPECT_EQ(run([](HWND dialog) { pressButton(dialog, IDOK); }), 1);
}

TEST_F(DialogResultTest, CancelEndsTheRunWithTwo) {
    EXPECT_EQ(run([](HWND dialog) { pressButton(dialog, IDCANCEL); }), 2);
}

TEST_F(DialogResultTest, CloseBoxEndsTheRunWithTwo) {
    EXPECT_EQ(run([](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }), 2);
}

TEST_F(DialogResultTest, EntriesOutliveTheRunForSaving) {
    const std::string path = makeChild("Alpha", "Plant A");
    model.addEntry(path);
    ASSERT_EQ(run([](HWND dialog) { pressButton(dialog, IDOK); }), 1);
    EXPECT_EQ(model.entryPaths(), std::vector<std::string>{path});
}

TEST_F(DialogResultTest, TheViewRunsAgainAfterARun) {
    ASSERT_EQ(run([](HWND dialog) { pressButton(dialog, IDCANCEL); }), 2);
    const std::string path = makeChild("Alpha", "Plant A");
    model.addEntry(path);
    std::vector<std::string> rows;
    EXPECT_EQ(run([&](HWND dialog) {
                  rows = rowTexts(dialog);
                  pressButton(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(rows, std::vector<std::string>{"Plant A"});
}

}  // namespace
}  // namespace mq::test
