// The real message boxes and open-file dialog, answered through their windows.
#include "DialogFixture.h"
#include "ui/win32/Win32Prompts.h"

#include <algorithm>
#include <cctype>

namespace mq::test {
namespace {

// Open-file dialog controls: the file type combo box, then the file name
// field (a combo box in newer dialogs, an edit field in older ones).
constexpr int FILE_TYPE_BOX = 0x470;
constexpr int FILE_NAME_BOX = 0x47c;
constexpr int FILE_NAME_FIELD = 0x480;

std::string comparable(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
    return path;
}

std::string fullPath(const std::string& path) {
    char full[1024] = {};
    GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return full;
}

std::vector<std::string> comboItems(HWND box) {
    std::vector<std::string> items;
    const auto count = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        char text[256] = {};
        SendMessageA(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

void typeFileName(HWND fileDialog, const std::string& name) {
    HWND field = GetDlgItem(fileDialog, FILE_NAME_BOX);
    if (!field) field = GetDlgItem(fileDialog, FILE_NAME_FIELD);
    ASSERT_TRUE(field) << "no file name field";
    SetWindowTextA(field, name.c_str());
}

TEST(Win32MessageTest, ShowsTheTextAndCaptionWithOnlyAnOkButton) {
    Win32Prompts prompts;
    std::string text;
    bool ok = false, cancel = true;
    WindowScript box(titled("Saving"), [&](HWND window) {
        text = windowText(GetDlgItem(window, 0xFFFF));
        ok = IsWindowVisible(GetDlgItem(window, IDOK));
        const HWND cancelButton = GetDlgItem(window, IDCANCEL);
        cancel = cancelButton && IsWindowVisible(cancelButton);
        pressButton(window, IDOK);
    });
    prompts.showMessage("Configuration saved to C:\\ProgramData\\x.xml", "Saving");
    ASSERT_TRUE(box.ran());
    EXPECT_EQ(text, "Configuration saved to C:\\ProgramData\\x.xml");
    EXPECT_TRUE(ok);
    EXPECT_FALSE(cancel);
    EXPECT_TRUE(threadDialogs().empty());
}

TEST(Win32MessageTest, AQuestionOffersYesAndNoWithNoTheDefault) {
    for (int answer : {IDYES, IDNO}) {
        Win32Prompts prompts;
        std::string text;
        bool noIsDefault = false;
        WindowScript box(titled("Replacing"), [&](HWND window) {
            text = windowText(GetDlgItem(window, 0xFFFF));
            const HWND no = GetDlgItem(window, IDNO);
            noIsDefault = no && (GetWindowLongA(no, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
            pressButton(window, answer);
        });
        EXPECT_EQ(prompts.askYesNo("Replace C:\\ProgramData\\x.xml with this list?", "Replacing"), answer == IDYES);
        ASSERT_TRUE(box.ran());
        EXPECT_EQ(text, "Replace C:\\ProgramData\\x.xml with this list?");
        EXPECT_TRUE(noIsDefault);
    }
}

TEST(Win32MessageTest, EmptyCaptionLeavesTheSystemsDefault) {
    Win32Prompts prompts;
    std::string caption;
    WindowScript box(messageStartingWith("The specified Quellan"), [&](HWND window) {
        caption = windowText(window);
        pressButton(window, IDOK);
    });
    prompts.showMessage("The specified Quellan could not be loaded.", "");
    ASSERT_TRUE(box.ran());
    EXPECT_FALSE(caption.empty());
}

class Win32PromptsOwnerTest : public DialogTest {};

TEST_F(Win32PromptsOwnerTest, MessagesBelongToTheDialogWhileItRunsAndToNoWindowAfter) {
    HWND during = nullptr;
    run([&](HWND dialog) {
        WindowScript box(messageStartingWith("During"), [&](HWND window) {
            during = GetWindow(window, GW_OWNER);
            pressButton(window, IDOK);
        });
        application->prompts().showMessage("During the dialog", "");
        EXPECT_TRUE(box.ran());
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(during, shown);

    HWND after = reinterpret_cast<HWND>(1);
    WindowScript box(messageStartingWith("After"), [&](HWND window) {
        after = GetWindow(window, GW_OWNER);
        pressButton(window, IDOK);
    });
    application->prompts().showMessage("After the dialog", "");
    ASSERT_TRUE(box.ran());
    EXPECT_EQ(after, nullptr);
}

class Win32FileDialogTest : public DialogTest {};

TEST_F(Win32FileDialogTest, ShowsItsTitleAndLibraryFilterAndReturnsTheChosenFile) {
    const std::string library = makeChild("Gamma", "Plant C");
    std::vector<std::string> filters;
    std::string complaint;
    WindowScript fileDialog(titled(OPEN_LIBRARY_TITLE), [&](HWND window) {
        filters = comboItems(GetDlgItem(window, FILE_TYPE_BOX));
        typeFileName(window, library);
        // The dialog would complain in a message box of its own if it did not take the name.
        WindowScript refusal(messageStartingWith(""), [&](HWND box) {
            complaint = windowText(GetDlgItem(box, 0xFFFF));
            pressButton(box, IDOK);
        });
        pressButton(window, IDOK);
        if (IsWindowVisible(window)) pressButton(window, IDCANCEL);
    });
    std::string chosen;
    ASSERT_TRUE(application->prompts().chooseLibraryFile(chosen)) << complaint;
    EXPECT_TRUE(fileDialog.ran());
    EXPECT_EQ(comparable(chosen), comparable(fullPath(library)));
    EXPECT_EQ(filters, (std::vector<std::string>{"Quellan (*.dll)", "All Files (*.*)"}));
}

TEST_F(Win32FileDialogTest, CancellingChoosesNothing) {
    WindowScript fileDialog(titled(OPEN_LIBRARY_TITLE), [](HWND window) { pressButton(window, IDCANCEL); });
    std::string chosen = "unchanged";
    EXPECT_FALSE(application->prompts().chooseLibraryFile(chosen));
    EXPECT_TRUE(fileDialog.ran());
    EXPECT_EQ(chosen, "unchanged");
}

TEST_F(Win32FileDialogTest, AddCommandAddsTheFileChosenInTheRealDialog) {
    const std::string library = makeChild("Gamma", "Plant C");
    MultiQuellanConfig real(application->prompts());
    std::vector<std::string> rows;
    HWND owner = nullptr;
    WindowScript configuration(titled(DIALOG_TITLE), [&](HWND dialog) {
        WindowScript fileDialog(titled(OPEN_LIBRARY_TITLE), [&](HWND window) {
            owner = GetWindow(window, GW_OWNER);
            typeFileName(window, library);
            pressButton(window, IDOK);
        });
        pressToolbarButton(dialog, ADD_COMMAND);
        EXPECT_TRUE(fileDialog.ran());
        EXPECT_EQ(owner, dialog);
        rows = rowTexts(dialog);
        pressButton(dialog, IDOK);
    });
    EXPECT_EQ(real.runModal(*view), DIALOG_OK);
    EXPECT_EQ(rows, std::vector<std::string>{"Plant C"});
    ASSERT_EQ(real.entryPaths().size(), 1u);
    EXPECT_EQ(comparable(real.entryPaths()[0]), comparable(fullPath(library)));
}

}  // namespace
}  // namespace mq::test
