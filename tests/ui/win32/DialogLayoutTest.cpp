// The dialog's template, its toolbar and how its controls follow a resize.
#include "DialogFixture.h"
#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationFileWriter.h"
#include "platform/ScopeExit.h"

#include <commctrl.h>

#include <filesystem>
#include <iterator>

namespace mq::test {
namespace {

constexpr int TOOLBAR_RESOURCE = 102;

int widthOf(const RECT& r) { return r.right - r.left; }
int heightOf(const RECT& r) { return r.bottom - r.top; }

::testing::AssertionResult sameRectangle(const RECT& actual, const RECT& expected) {
    if (EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.left << "," << actual.top << ")-(" << actual.right << ","
                                         << actual.bottom << ") instead of (" << expected.left << "," << expected.top
                                         << ")-(" << expected.right << "," << expected.bottom << ")";
}

class DialogLayoutTest : public DialogTest {};

TEST_F(DialogLayoutTest, DialogFollowsItsTemplate) {
    run([](HWND dialog) {
        EXPECT_EQ(windowText(dialog), "MultiQuellan Configuration");
        const auto style = static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE));
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(style & WS_THICKFRAME);

        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_TRUE(sameRectangle(client, templateRectangle(dialog, 0, 0, 225, 183)));

        const HWND ok = GetDlgItem(dialog, IDOK);
        const HWND cancel = GetDlgItem(dialog, IDCANCEL);
        const HWND list = listOf(dialog);
        ASSERT_TRUE(ok && cancel && list);
        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, ok), templateRectangle(dialog, 111, 162, 50, 14)));
        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, cancel), templateRectangle(dialog, 168, 162, 50, 14)));
        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, list), templateRectangle(dialog, 7, 21, 211, 133)));
        EXPECT_EQ(windowText(ok), "OK");
        EXPECT_EQ(windowText(cancel), "Cancel");
        EXPECT_EQ(GetWindowLongPtrA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

        EXPECT_EQ(className(list), WC_LISTVIEWA);
        const auto listStyle = static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE));
        EXPECT_EQ(listStyle & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
        EXPECT_TRUE(listStyle & LVS_SINGLESEL);
        EXPECT_EQ(columnTitles(dialog), (std::vector<std::string>{IDENTITY_COLUMN_TITLE, PATH_COLUMN_TITLE}));
        // The list view may turn its border into a sunken edge.
        EXPECT_TRUE((listStyle & WS_BORDER) || (GetWindowLongPtrA(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        EXPECT_TRUE(listStyle & WS_TABSTOP);
        pressButton(dialog, IDCANCEL);
    });
}

TEST_F(DialogLayoutTest, ListAllowsOnlyOneSelectedRow) {
    model.addEntry(makeChild("Alpha", "Plant A"));
    model.addEntry(makeChild("Beta", "Plant B"));
    run([](HWND dialog) {
        selectRow(dialog, 0);
        selectRow(dialog, 1);
        EXPECT_EQ(SendMessageA(listOf(dialog), LVM_GETSELECTEDCOUNT, 0, 0), 1);
        pressButton(dialog, IDCANCEL);
    });
}

TEST_F(DialogLayoutTest, ToolbarHoldsEveryCommandWithItsImage) {
    run([](HWND dialog) {
        const HWND toolbar = toolbarOf(dialog);
        ASSERT_TRUE(toolbar);
        EXPECT_TRUE(IsWindowVisible(toolbar));
        EXPECT_TRUE(GetWindowLongPtrA(toolbar, GWL_STYLE) & TBSTYLE_TOOLTIPS);
        std::vector<int> commands, images;
        const auto count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
        for (int index = 0; index < count; ++index) {
            TBBUTTON button{};
            SendMessageA(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
            if (button.fsStyle & BTNS_SEP) continue;
            commands.push_back(button.idCommand);
            images.push_back(button.iBitmap);
        }
        EXPECT_EQ(commands, std::vector<int>(std::begin(TOOLBAR_COMMANDS), std::end(TOOLBAR_COMMANDS)));
        for (std::size_t index = 0; index < images.size(); ++index) EXPECT_EQ(images[index], static_cast<int>(index));
        const auto imageList = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
        ASSERT_TRUE(imageList);
        EXPECT_EQ(ImageList_GetImageCount(imageList), static_cast<int>(std::size(TOOLBAR_COMMANDS)));
        int width = 0, height = 0;
        ImageList_GetIconSize(imageList, &width, &height);
        EXPECT_EQ(width, 16);
        EXPECT_EQ(height, 15);
        pressButton(dialog, IDCANCEL);
    });
}

TEST_F(DialogLayoutTest, ToolTipsComeFromTheStringTable) {
    std::vector<std::string> tips;
    run([&](HWND dialog) {
        const HWND toolbar = toolbarOf(dialog);
        const auto tooltips = reinterpret_cast<HWND>(SendMessageA(toolbar, TB_GETTOOLTIPS, 0, 0));
        ASSERT_TRUE(tooltips);
        for (int command : TOOLBAR_COMMANDS) {
            // The tool tip asks the toolbar, which asks the dialog.
            char text[256] = {};
            TTTOOLINFOA tool{};
            tool.cbSize = sizeof(tool);
            tool.hwnd = toolbar;
            tool.uId = static_cast<UINT_PTR>(command);
            tool.lpszText = text;
            SendMessageA(tooltips, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
            tips.emplace_back(text);
        }
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(tips, (std::vector<std::string>{ADD_TOOL_TIP, REMOVE_TOOL_TIP, CONFIGURE_TOOL_TIP, MOVE_UP_TOOL_TIP,
                                              MOVE_DOWN_TOOL_TIP}));
}

TEST_F(DialogLayoutTest, ToolbarSitsDirectlyAboveTheListAcrossItsWidth) {
    run([](HWND dialog) {
        const RECT toolbar = rectangleIn(dialog, toolbarOf(dialog));
        const RECT list = rectangleIn(dialog, listOf(dialog));
        EXPECT_EQ(toolbar.left, list.left);
        EXPECT_EQ(toolbar.right, list.right);
        EXPECT_EQ(toolbar.bottom, list.top);
        EXPECT_GE(heightOf(toolbar), 15);
        EXPECT_GE(toolbar.top, 0);
        pressButton(dialog, IDCANCEL);
    });
}

TEST_F(DialogLayoutTest, ResizingGrowsTheListAndKeepsOkAndCancelAtTheCorner) {
    run([](HWND dialog) {
        RECT client{};
        GetClientRect(dialog, &client);
        const RECT list = rectangleIn(dialog, listOf(dialog));
        const RECT ok = rectangleIn(dialog, GetDlgItem(dialog, IDOK));
        const RECT cancel = rectangleIn(dialog, GetDlgItem(dialog, IDCANCEL));
        const RECT toolbar = rectangleIn(dialog, toolbarOf(dialog));
        const RECT note = rectangleIn(dialog, noteOf(dialog));
        auto pathColumnWidth = [&] { return SendMessageA(listOf(dialog), LVM_GETCOLUMNWIDTH, 1, 0); };
        const LRESULT pathWidth = pathColumnWidth();

        RECT window{};
        GetWindowRect(dialog, &window);
        const int dx = 120, dy = 90;
        SetWindowPos(dialog, nullptr, 0, 0, widthOf(window) + dx, heightOf(window) + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT grown{};
        GetClientRect(dialog, &grown);
        ASSERT_EQ(widthOf(grown), widthOf(client) + dx);
        ASSERT_EQ(heightOf(grown), heightOf(client) + dy);

        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, listOf(dialog)),
                                  RECT{list.left, list.top, list.right + dx, list.bottom + dy}));
        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, GetDlgItem(dialog, IDOK)),
                                  RECT{ok.left + dx, ok.top + dy, ok.right + dx, ok.bottom + dy}));
        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, GetDlgItem(dialog, IDCANCEL)),
                                  RECT{cancel.left + dx, cancel.top + dy, cancel.right + dx, cancel.bottom + dy}));
        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, toolbarOf(dialog)),
                                  RECT{toolbar.left, toolbar.top, toolbar.right + dx, toolbar.bottom}));
        // The note keeps to the bottom-left and takes the new width.
        EXPECT_TRUE(sameRectangle(rectangleIn(dialog, noteOf(dialog)),
                                  RECT{note.left, note.top + dy, note.right + dx, note.bottom + dy}));
        // The path column takes the list's new width.
        EXPECT_EQ(pathColumnWidth(), pathWidth + dx);
        pressButton(dialog, IDCANCEL);
    });
}

TEST_F(DialogLayoutTest, TheNoteUnderTheListSaysWhenChangesTakeEffectBesideTheButtons) {
    run([](HWND dialog) {
        const HWND note = noteOf(dialog);
        const std::string text = windowText(note);
        EXPECT_EQ(text, "Changes take effect at the host's next connection.");
        const RECT place = rectangleIn(dialog, note);
        EXPECT_GE(place.top, rectangleIn(dialog, listOf(dialog)).bottom);
        // Left of OK, and so of Cancel, which lies right of OK.
        EXPECT_LT(place.right, rectangleIn(dialog, GetDlgItem(dialog, IDOK)).left);
        // Every line of it shows: wrapped at its width in its font, it fits its height.
        const HDC context = GetDC(note);
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageA(note, WM_GETFONT, 0, 0)));
        RECT needed{0, 0, widthOf(place), 0};
        DrawTextA(context, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ReleaseDC(note, context);
        EXPECT_LE(heightOf(needed), heightOf(place));
        pressButton(dialog, IDCANCEL);
    });
}

// The first width against the row of a child in a folder of that many
// characters below one at the drive's root, as C:\Plugins (the scratch
// folder lies too deep for a row that fits the designed width).
enum class FirstWidth { DESIGNED, WHOLE_ROW, SCREEN_SHARE };
class DialogFirstWidthTest : public DialogTest,
                             public ::testing::WithParamInterface<std::pair<std::size_t, FirstWidth>> {};

TEST_P(DialogFirstWidthTest, ShowsTheLongestRowWholeUpToAShareOfTheScreen) {
    namespace fs = std::filesystem;
    const auto [folderLength, expected] = GetParam();
    const fs::path root = fs::path(folder.path()).root_path() / fs::path(folder.path()).filename();
    const platform::ScopeExit removeRoot([&] {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    });
    const fs::path childFolder = root / std::string(folderLength, 'q');
    fs::create_directories(childFolder);
    SimChild alpha(childFolder.string(), "Alpha", "identity Alpha plant\n");
    const std::string file = folder.file("MultiQuellanConfiguration.xml");
    ASSERT_TRUE(writeConfigurationFile(file, std::vector<std::string>{alpha.libraryPath()}));
    for (const std::string& path : readConfigurationFile(file)) model.addEntry(path);
    RECT client{}, designed{};
    int window = 0, screenShare = 0;
    bool rowWhole = false;
    run([&](HWND dialog) {
        GetClientRect(dialog, &client);
        designed = templateRectangle(dialog, 0, 0, 225, 183);
        RECT outline{};
        GetWindowRect(dialog, &outline);
        window = widthOf(outline);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
        screenShare = widthOf(monitor.rcWork) * FIRST_WIDTH_MAX_PERCENT / 100;
        // A column narrower than its text in the list's font would cut it.
        const HWND list = listOf(dialog);
        RECT visible{};
        GetClientRect(list, &visible);
        auto column = [&](int index) { return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, index, 0)); };
        const std::string path = rowTexts(dialog, 1).at(0);
        rowWhole = SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(path.c_str())) < column(1) &&
                   column(0) + column(1) <= widthOf(visible);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(heightOf(client), heightOf(designed));
    EXPECT_EQ(widthOf(client) > widthOf(designed), expected != FirstWidth::DESIGNED);
    EXPECT_EQ(window == screenShare, expected == FirstWidth::SCREEN_SHARE);
    EXPECT_EQ(rowWhole, expected != FirstWidth::SCREEN_SHARE);
}

INSTANTIATE_TEST_SUITE_P(Rows, DialogFirstWidthTest,
                         ::testing::Values(std::pair{0u, FirstWidth::DESIGNED}, std::pair{60u, FirstWidth::WHOLE_ROW},
                                           std::pair{180u, FirstWidth::SCREEN_SHARE}));

TEST_F(DialogLayoutTest, DialogDoesNotShrinkBelowItsDesignedSize) {
    run([](HWND dialog) {
        RECT designed{};
        GetWindowRect(dialog, &designed);
        SetWindowPos(dialog, nullptr, 0, 0, widthOf(designed) / 2, heightOf(designed) / 2,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT now{};
        GetWindowRect(dialog, &now);
        EXPECT_EQ(widthOf(now), widthOf(designed));
        EXPECT_EQ(heightOf(now), heightOf(designed));
        pressButton(dialog, IDCANCEL);
    });
}

TEST_F(DialogLayoutTest, DialogComesFromTheModuleHoldingTheView) {
    run([](HWND dialog) {
        // In this test program the view and the resources are linked into the program itself.
        EXPECT_EQ(reinterpret_cast<HMODULE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)), GetModuleHandleA(nullptr));
        pressButton(dialog, IDCANCEL);
    });
}

// Paints the dialog's client area into a 24-bit bitmap file for a person to look at.
TEST_F(DialogLayoutTest, PaintsItselfIntoAPicture) {
    model.addEntry(makeChild("Alpha", "Plant A"));
    model.addEntry(makeChild("Beta", "Plant B"));
    std::vector<unsigned char> pixels;
    int width = 0, height = 0;
    RECT toolbar{};
    run([&](HWND dialog) {
        toolbar = rectangleIn(dialog, toolbarOf(dialog));
        selectRow(dialog, 1);
        tick(dialog);
        RECT client{};
        GetClientRect(dialog, &client);
        width = widthOf(client);
        height = heightOf(client);
        const HDC screen = GetDC(nullptr);
        const HDC memory = CreateCompatibleDC(screen);
        const HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
        const HGDIOBJ previous = SelectObject(memory, picture);
        SendMessageA(dialog, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        // Each control paints itself at its place, bottom of the z-order first.
        for (HWND child = GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDLAST); child;
             child = GetWindow(child, GW_HWNDPREV)) {
            const RECT place = rectangleIn(dialog, child);
            const HRGN clip = CreateRectRgnIndirect(&place);
            SelectClipRgn(memory, clip);
            DeleteObject(clip);
            SetViewportOrgEx(memory, place.left, place.top, nullptr);
            SendMessageA(child, WM_PRINT, reinterpret_cast<WPARAM>(memory),
                         PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
        }
        SelectClipRgn(memory, nullptr);
        SetViewportOrgEx(memory, 0, 0, nullptr);
        SelectObject(memory, previous);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        pixels.resize(static_cast<std::size_t>((width * 3 + 3) / 4 * 4) * height);
        GetDIBits(memory, picture, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
        DeleteObject(picture);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        pressButton(dialog, IDCANCEL);
    });
    ASSERT_FALSE(pixels.empty());
    // The button images differ from the dialog's background (its top-left corner).
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    auto pixel = [&](int x, int y) {
        const unsigned char* at = pixels.data() + (height - 1 - y) * rowBytes + x * 3;
        return RGB(at[2], at[1], at[0]);
    };
    int drawn = 0;
    for (int y = toolbar.top; y < toolbar.bottom; ++y)
        for (int x = toolbar.left; x < toolbar.right; ++x)
            if (pixel(x, y) != pixel(0, 0)) ++drawn;
    EXPECT_GT(drawn, 60) << "no button images were painted";
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    writeFile(MQ_UI_SCREENSHOT_PATH, bytes);
}

TEST(ToolbarBitmapTest, IsATrueColourStripWithOneDrawnImagePerCommand) {
    const int imageCount = static_cast<int>(std::size(TOOLBAR_COMMANDS));
    const HANDLE loaded = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TOOLBAR_RESOURCE), IMAGE_BITMAP, 0,
                                     0, LR_CREATEDIBSECTION);
    ASSERT_TRUE(loaded);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(loaded, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, 16 * imageCount);
    EXPECT_EQ(section.dsBm.bmHeight, 15);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
    // Every 16-pixel image has some colour other than the background grey.
    const auto* bits = static_cast<const unsigned char*>(section.dsBm.bmBits);
    ASSERT_TRUE(bits);
    for (int image = 0; image < imageCount; ++image) {
        int drawn = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = image * 16; x < image * 16 + 16; ++x) {
                const unsigned char* pixel = bits + y * section.dsBm.bmWidthBytes + x * 3;
                if (pixel[0] != 192 || pixel[1] != 192 || pixel[2] != 192) ++drawn;
            }
        EXPECT_GT(drawn, 20) << "image " << image;
    }
    DeleteObject(loaded);
}

}  // namespace
}  // namespace mq::test
