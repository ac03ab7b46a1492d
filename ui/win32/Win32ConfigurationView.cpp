// The configuration dialog drawn with plain Win32.
#include "ui/win32/Win32ConfigurationView.h"

#include "ui/MultiQuellanConfig.h"
#include "ui/win32/Win32Prompts.h"
#include "ui/win32/resource.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace mq {

// The resource script can read only resource.h.
static_assert(ID_ADD_QUELLAN == ADD_COMMAND && ID_REMOVE_QUELLAN == REMOVE_COMMAND &&
                  ID_CONFIGURE_QUELLAN == CONFIGURE_COMMAND && ID_MOVE_UP_QUELLAN == MOVE_UP_COMMAND &&
                  ID_MOVE_DOWN_QUELLAN == MOVE_DOWN_COMMAND,
              "the toolbar's commands differ between the resources and the model");

namespace {

const char* const TOOLBAR_RESOURCE_TYPE = MAKEINTRESOURCEA(241);
// The colour of the bitmap's background, left out of the button images.
constexpr COLORREF IMAGE_BACKGROUND = RGB(192, 192, 192);

enum Column { IDENTITY_COLUMN, PATH_COLUMN };
// The identity column is as wide as its longest text but never wider than
// this share of the list; the path column takes the rest.
constexpr int IDENTITY_COLUMN_MAX_PERCENT = 50;

struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using BitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// A toolbar resource: the button image size and the buttons' commands, 0 for a gap.
struct ToolbarTemplate {
    int width = 0;
    int height = 0;
    std::vector<int> commands;
};

// Resource compilers store it in one of two layouts: 16-bit fields after a
// version number of 1 (the platform's own compiler), or 32-bit fields without
// a version (windres).
ToolbarTemplate loadToolbarTemplate(HINSTANCE module, int id) {
    ToolbarTemplate result;
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), TOOLBAR_RESOURCE_TYPE);
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!data || size < 4 * sizeof(WORD)) return result;
    const auto* words = static_cast<const WORD*>(data);
    if (words[0] == 1 && size >= (4u + words[3]) * sizeof(WORD)) {
        result.width = words[1];
        result.height = words[2];
        result.commands.assign(words + 4, words + 4 + words[3]);
        return result;
    }
    const auto* doubleWords = static_cast<const DWORD*>(data);
    if (size >= 3 * sizeof(DWORD) && size >= (3u + doubleWords[2]) * sizeof(DWORD)) {
        result.width = static_cast<int>(doubleWords[0]);
        result.height = static_cast<int>(doubleWords[1]);
        result.commands.assign(doubleWords + 3, doubleWords + 3 + doubleWords[2]);
    }
    return result;
}

// A child's rectangle in the dialog's client coordinates.
RECT rectangleIn(HWND parent, HWND child) {
    RECT rectangle{};
    GetWindowRect(child, &rectangle);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rectangle), 2);
    return rectangle;
}

int widthOf(const RECT& rectangle) { return rectangle.right - rectangle.left; }
int heightOf(const RECT& rectangle) { return rectangle.bottom - rectangle.top; }

}  // namespace

Win32ConfigurationView::Win32ConfigurationView(HINSTANCE resources, Win32Prompts* prompts)
    : resources(resources), prompts(prompts) {}

Win32ConfigurationView::~Win32ConfigurationView() = default;

int Win32ConfigurationView::runModal(MultiQuellanConfig& attached) {
    model = &attached;
    failure = nullptr;
    const HWND previousOwner = prompts ? prompts->currentOwner() : nullptr;
    const INT_PTR result = DialogBoxParamA(resources, MAKEINTRESOURCEA(IDD_CONFIGURATION), nullptr, dialogProcedure,
                                           reinterpret_cast<LPARAM>(this));
    if (prompts) prompts->setOwner(previousOwner);
    model = nullptr;
    dialog = list = toolbar = nullptr;
    images.reset();
    layout = Layout{};
    if (failure) std::rethrow_exception(failure);
    // A dialog that could not be made at all counts as cancelled: nothing gets saved.
    return result == DIALOG_OK ? DIALOG_OK : DIALOG_CANCEL;
}

INT_PTR CALLBACK Win32ConfigurationView::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<Win32ConfigurationView*>(lParam)->dialog = window;
    }
    // Messages that come before WM_INITDIALOG find no view yet.
    auto* view = reinterpret_cast<Win32ConfigurationView*>(GetWindowLongPtrA(window, DWLP_USER));
    return view ? view->handle(message, wParam, lParam) : FALSE;
}

INT_PTR Win32ConfigurationView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_INITDIALOG:
            initialise();
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) {
                EndDialog(dialog, DIALOG_CANCEL);
                return TRUE;
            }
            // The model decides whether OK may close: a save that fails keeps the dialog.
            if (id == IDOK) {
                if (model->accept()) EndDialog(dialog, DIALOG_OK);
                return TRUE;
            }
            if (std::find(std::begin(TOOLBAR_COMMANDS), std::end(TOOLBAR_COMMANDS), id) != std::end(TOOLBAR_COMMANDS)) {
                model->command(id);
                return TRUE;
            }
            return FALSE;
        }
        case WM_TIMER:
            if (wParam == BUTTON_UPDATE_TIMER) model->updateButtons();
            return FALSE;
        case WM_NOTIFY:
            return fillToolTip(reinterpret_cast<NMHDR*>(lParam)) ? TRUE : FALSE;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) applyLayout(LOWORD(lParam), HIWORD(lParam));
            return FALSE;
        case WM_GETMINMAXINFO:
            // Never smaller than designed, so the controls cannot overlap.
            if (layout.window.cx > 0) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = POINT{layout.window.cx, layout.window.cy};
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            KillTimer(dialog, BUTTON_UPDATE_TIMER);
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        fail();
        return TRUE;
    }
}

void Win32ConfigurationView::fail() {
    if (!failure) failure = std::current_exception();
    EndDialog(dialog, DIALOG_CANCEL);
}

void Win32ConfigurationView::initialise() {
    list = GetDlgItem(dialog, IDC_CHILD_LIST);
    if (prompts) prompts->setOwner(dialog);
    createToolbar();
    createColumns();
    recordLayout();
    const RECT& listArea = layout.list;
    SetWindowPos(toolbar, nullptr, listArea.left, listArea.top - layout.toolbarHeight, widthOf(listArea),
                 layout.toolbarHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetDlgItemTextA(dialog, IDC_NEXT_CONNECTION_NOTE, NEXT_CONNECTION_NOTE);
    model->initialise();
    widenForRows();
}

void Win32ConfigurationView::createToolbar() {
    toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                              WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN, 0, 0,
                              0, 0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(TOOLBAR_CONTROL_ID)),
                              resources, nullptr);
    if (!toolbar) return;
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    const ToolbarTemplate buttons = loadToolbarTemplate(resources, IDR_CONFIGURATION_TOOLBAR);
    if (!buttons.commands.empty()) {
        std::vector<TBBUTTON> items;
        int image = 0;
        for (int command : buttons.commands) {
            TBBUTTON item{};
            item.idCommand = command;
            if (command == 0) {
                item.fsStyle = BTNS_SEP;
            } else {
                item.iBitmap = image++;
                item.fsState = TBSTATE_ENABLED;
                item.fsStyle = BTNS_BUTTON;
            }
            items.push_back(item);
        }
        images.reset(ImageList_Create(buttons.width, buttons.height, ILC_COLOR24 | ILC_MASK, image, 0));
        const BitmapHandle bitmap(static_cast<HBITMAP>(
            LoadImageA(resources, MAKEINTRESOURCEA(IDR_CONFIGURATION_TOOLBAR), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
        if (images && bitmap) ImageList_AddMasked(images.get(), bitmap.get(), IMAGE_BACKGROUND);
        SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(buttons.width, buttons.height));
        SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
        SendMessageA(toolbar, TB_ADDBUTTONSA, items.size(), reinterpret_cast<LPARAM>(items.data()));
    }

    // Let the toolbar find its own height once, then keep it from sizing
    // itself again: from here on its place follows the list.
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    RECT client{};
    GetClientRect(toolbar, &client);
    layout.toolbarHeight = heightOf(client);
    SetWindowLongPtrA(toolbar, GWL_STYLE, GetWindowLongPtrA(toolbar, GWL_STYLE) | CCS_NORESIZE);
}

void Win32ConfigurationView::createColumns() {
    if (!list) return;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    const char* const titles[] = {IDENTITY_COLUMN_TITLE, PATH_COLUMN_TITLE};
    for (int index = 0; index < static_cast<int>(std::size(titles)); ++index) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(titles[index]);
        column.iSubItem = index;
        SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
    }
    fitColumns();
}

void Win32ConfigurationView::fitColumns() {
    if (!list) return;
    // For a column other than the last, "use header" is the wider of its
    // title and its texts; for the last, whatever width is left.
    SendMessageA(list, LVM_SETCOLUMNWIDTH, IDENTITY_COLUMN, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    RECT client{};
    GetClientRect(list, &client);
    const int widest = widthOf(client) * IDENTITY_COLUMN_MAX_PERCENT / 100;
    if (SendMessageA(list, LVM_GETCOLUMNWIDTH, IDENTITY_COLUMN, 0) > widest)
        SendMessageA(list, LVM_SETCOLUMNWIDTH, IDENTITY_COLUMN, MAKELPARAM(widest, 0));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, PATH_COLUMN, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
}

void Win32ConfigurationView::widenForRows() {
    if (!list || SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0) return;
    // The list measures its own texts, in its font and with its margins:
    // the identity column with its title, the path column by its texts alone.
    SendMessageA(list, LVM_SETCOLUMNWIDTH, IDENTITY_COLUMN, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, PATH_COLUMN, MAKELPARAM(LVSCW_AUTOSIZE, 0));
    const auto identity = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, IDENTITY_COLUMN, 0));
    const auto path = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, PATH_COLUMN, 0));
    fitColumns();
    // fitColumns caps the identity column at its share of the list.
    const int needed = std::max(identity + path, identity * 100 / IDENTITY_COLUMN_MAX_PERCENT);
    RECT client{};
    GetClientRect(list, &client);
    const int grow = needed - widthOf(client);
    if (grow <= 0) return;

    RECT window{};
    GetWindowRect(dialog, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const int widest = widthOf(work) * FIRST_WIDTH_MAX_PERCENT / 100;
    const int width = std::max(widthOf(window), std::min(widthOf(window) + grow, widest));
    // Widened to the right, but kept on the work area.
    const LONG left = std::max(work.left, std::min(window.left, work.right - width));
    // WM_SIZE lays the controls out; the template size stays the smallest.
    SetWindowPos(dialog, nullptr, left, window.top, width, heightOf(window), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ConfigurationView::recordLayout() {
    RECT client{};
    GetClientRect(dialog, &client);
    layout.client = SIZE{widthOf(client), heightOf(client)};
    RECT window{};
    GetWindowRect(dialog, &window);
    layout.window = SIZE{widthOf(window), heightOf(window)};
    layout.list = rectangleIn(dialog, list);
    layout.note = rectangleIn(dialog, GetDlgItem(dialog, IDC_NEXT_CONNECTION_NOTE));
    layout.ok = rectangleIn(dialog, GetDlgItem(dialog, IDOK));
    layout.cancel = rectangleIn(dialog, GetDlgItem(dialog, IDCANCEL));
}

void Win32ConfigurationView::applyLayout(int width, int height) {
    if (layout.client.cx == 0) return;
    const int dx = width - layout.client.cx;
    const int dy = height - layout.client.cy;
    const RECT& listArea = layout.list;
    const int listWidth = widthOf(listArea) + dx;
    const int listHeight = heightOf(listArea) + dy;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    HDWP moves = BeginDeferWindowPos(5);
    auto move = [&](HWND control, int x, int y, int cx, int cy, UINT extra) {
        if (moves && control) moves = DeferWindowPos(moves, control, nullptr, x, y, cx, cy, flags | extra);
    };
    move(list, listArea.left, listArea.top, listWidth, listHeight, 0);
    move(toolbar, listArea.left, listArea.top - layout.toolbarHeight, listWidth, layout.toolbarHeight, 0);
    // The note keeps to the bottom-left and its right edge keeps its distance from OK.
    const RECT& note = layout.note;
    move(GetDlgItem(dialog, IDC_NEXT_CONNECTION_NOTE), note.left, note.top + dy, widthOf(note) + dx, heightOf(note),
         0);
    move(GetDlgItem(dialog, IDOK), layout.ok.left + dx, layout.ok.top + dy, 0, 0, SWP_NOSIZE);
    move(GetDlgItem(dialog, IDCANCEL), layout.cancel.left + dx, layout.cancel.top + dy, 0, 0, SWP_NOSIZE);
    if (moves) EndDeferWindowPos(moves);
    fitColumns();
    InvalidateRect(dialog, nullptr, TRUE);
}

bool Win32ConfigurationView::fillToolTip(NMHDR* header) {
    // The toolbar asks in the dialog's own character set, which the system
    // may still choose to be wide; both are answered from the string table.
    const auto id = static_cast<UINT>(header->idFrom);
    if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        if (LoadStringA(resources, id, info->szText, static_cast<int>(sizeof(info->szText))) == 0) return false;
        info->lpszText = info->szText;
        info->hinst = nullptr;
        return true;
    }
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        if (LoadStringW(resources, id, info->szText, static_cast<int>(std::size(info->szText))) == 0) return false;
        info->lpszText = info->szText;
        info->hinst = nullptr;
        return true;
    }
    return false;
}

void Win32ConfigurationView::insertRow(std::size_t position, const std::string& identity, const std::string& path) {
    if (!list) return;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(position);
    item.pszText = const_cast<char*>(identity.c_str());
    const LRESULT row = SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (row < 0) return;
    LVITEMA pathItem{};
    pathItem.iSubItem = PATH_COLUMN;
    pathItem.pszText = const_cast<char*>(path.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&pathItem));
    fitColumns();
}

void Win32ConfigurationView::removeRow(std::size_t position) {
    if (!list) return;
    SendMessageA(list, LVM_DELETEITEM, position, 0);
    fitColumns();
}

void Win32ConfigurationView::moveRow(std::size_t from, std::size_t to) {
    if (!list) return;
    // The list view cannot move an item: it is made again from its texts.
    const std::string identity = itemText(from, IDENTITY_COLUMN);
    const std::string path = itemText(from, PATH_COLUMN);
    if (SendMessageA(list, LVM_DELETEITEM, from, 0)) insertRow(to, identity, path);
}

std::string Win32ConfigurationView::itemText(std::size_t row, int column) const {
    // The list view says only how much it copied: a full buffer may have cut the text.
    std::string text(MAX_PATH, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto copied =
            static_cast<std::size_t>(SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

void Win32ConfigurationView::selectRow(std::size_t position) {
    if (!list) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    // Row -1 addresses every row.
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_ENSUREVISIBLE, position, FALSE);
}

std::optional<std::size_t> Win32ConfigurationView::selectedRow() const {
    if (!list) return std::nullopt;
    const LRESULT row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
    if (row < 0) return std::nullopt;
    return static_cast<std::size_t>(row);
}

void Win32ConfigurationView::setButtonsEnabled(const ButtonStates& states) {
    if (!toolbar) return;
    const std::pair<int, bool> buttons[] = {{ADD_COMMAND, true},
                                            {REMOVE_COMMAND, states.remove},
                                            {CONFIGURE_COMMAND, states.configure},
                                            {MOVE_UP_COMMAND, states.moveUp},
                                            {MOVE_DOWN_COMMAND, states.moveDown}};
    for (const auto& [command, enabled] : buttons)
        SendMessageA(toolbar, TB_ENABLEBUTTON, command, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void Win32ConfigurationView::redraw() {
    if (list) RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void Win32ConfigurationView::startTimer(unsigned periodMilliseconds) {
    if (dialog) SetTimer(dialog, BUTTON_UPDATE_TIMER, periodMilliseconds, nullptr);
}

}  // namespace mq
