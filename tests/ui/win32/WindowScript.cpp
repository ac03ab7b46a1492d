#include "WindowScript.h"

#include <map>

namespace mq::test {

namespace {

constexpr UINT POLL_PERIOD_MS = 10;
// Only against a hang: a repeating 100 ms timer ticks long before this.
constexpr UINT TICK_GRACE_MS = 30000;

std::map<UINT_PTR, WindowScript*>& scripts() {
    static std::map<UINT_PTR, WindowScript*> running;
    return running;
}

BOOL CALLBACK collectDialog(HWND window, LPARAM found) {
    if (className(window) == "#32770") reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

bool graceOver = false;
void CALLBACK endGrace(HWND, UINT, UINT_PTR, DWORD) { graceOver = true; }

}  // namespace

WindowScript::WindowScript(std::function<bool(HWND)> match, std::function<void(HWND)> script)
    : match(std::move(match)), script(std::move(script)) {
    timer = SetTimer(nullptr, 0, POLL_PERIOD_MS, tick);
    scripts()[timer] = this;
}

WindowScript::~WindowScript() {
    if (timer) KillTimer(nullptr, timer);
    scripts().erase(timer);
}

void CALLBACK WindowScript::tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = scripts().find(id);
    if (found == scripts().end()) return;
    WindowScript* self = found->second;
    for (HWND window : threadDialogs()) {
        // A modal loop shows its dialog only once its queue has run empty.
        if (!IsWindowVisible(window) || !self->match(window)) continue;
        KillTimer(nullptr, self->timer);
        scripts().erase(self->timer);
        self->timer = 0;
        self->script(window);
        self->done = true;
        // EndDialog hides the window at once and destroys it later, so a
        // window still shown is one the script did not end.
        if (IsWindow(window) && IsWindowVisible(window)) EndDialog(window, IDCANCEL);
        return;
    }
}

std::function<bool(HWND)> titled(const std::string& title) {
    return [title](HWND window) { return windowText(window) == title; };
}

std::function<bool(HWND)> messageStartingWith(const std::string& prefix) {
    return [prefix](HWND window) {
        // A message box's text is its static control 0xFFFF.
        HWND text = GetDlgItem(window, 0xFFFF);
        return text && windowText(text).compare(0, prefix.size(), prefix) == 0;
    };
}

std::vector<HWND> threadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string windowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string className(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

bool waitForTimerTick(HWND window, UINT_PTR id) {
    graceOver = false;
    const UINT_PTR grace = SetTimer(nullptr, 0, TICK_GRACE_MS, endGrace);
    bool ticked = false;
    MSG message{};
    while (!ticked && !graceOver) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        ticked = message.hwnd == window && message.message == WM_TIMER && message.wParam == id;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(nullptr, grace);
    return ticked;
}

}  // namespace mq::test
