#include "DialogControls.h"

#include <commctrl.h>

namespace mq::test {

namespace {

constexpr int LIST_ID = 1001;
constexpr int NOTE_ID = 1002;

}  // namespace

HWND listOf(HWND dialog) { return GetDlgItem(dialog, LIST_ID); }

HWND noteOf(HWND dialog) { return GetDlgItem(dialog, NOTE_ID); }

HWND toolbarOf(HWND dialog) { return FindWindowExA(dialog, nullptr, TOOLBARCLASSNAMEA, nullptr); }

std::vector<std::string> rowTexts(HWND dialog, int column) {
    const HWND list = listOf(dialog);
    std::vector<std::string> rows;
    const auto count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char text[512] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        rows.emplace_back(text);
    }
    return rows;
}

std::vector<std::string> columnTitles(HWND dialog) {
    const HWND list = listOf(dialog);
    const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const auto count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> titles;
    for (int index = 0; index < count; ++index) {
        char text[128] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
        titles.emplace_back(text);
    }
    return titles;
}

int selectedRow(HWND dialog) {
    return static_cast<int>(
        SendMessageA(listOf(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

void selectRow(HWND dialog, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void clearSelection(HWND dialog) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    // Row -1 addresses every row.
    SendMessageA(listOf(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

bool buttonEnabled(HWND dialog, int command) {
    return SendMessageA(toolbarOf(dialog), TB_ISBUTTONENABLED, command, 0) != 0;
}

void pressToolbarButton(HWND dialog, int command) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(toolbarOf(dialog)));
}

void pressButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

RECT rectangleIn(HWND dialog, HWND control) {
    RECT rectangle{};
    GetWindowRect(control, &rectangle);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rectangle), 2);
    return rectangle;
}

RECT templateRectangle(HWND dialog, int x, int y, int width, int height) {
    // The dialog manager converts position and size each on its own.
    RECT units{x, y, width, height};
    MapDialogRect(dialog, &units);
    return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
}

}  // namespace mq::test
