// Drives windows of this thread from inside their own modal loops.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace mq::test {

// Once a shown top-level dialog window of this thread matches `match`, runs
// `script` on it from a thread timer, which every modal loop dispatches. A
// window the script leaves shown is ended with IDCANCEL, so that no test
// leaves a window behind.
class WindowScript {
public:
    WindowScript(std::function<bool(HWND)> match, std::function<void(HWND)> script);
    ~WindowScript();
    WindowScript(const WindowScript&) = delete;
    WindowScript& operator=(const WindowScript&) = delete;

    bool ran() const { return done; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD);

    std::function<bool(HWND)> match;
    std::function<void(HWND)> script;
    UINT_PTR timer = 0;
    bool done = false;
};

// A dialog window whose title is `title`.
std::function<bool(HWND)> titled(const std::string& title);
// A message box whose text starts with `prefix`.
std::function<bool(HWND)> messageStartingWith(const std::string& prefix);

// The top-level dialog windows (message boxes included) of this thread.
std::vector<HWND> threadDialogs();

std::string windowText(HWND window);
std::string className(HWND window);

// Dispatches this thread's messages until `window` has handled a WM_TIMER of
// timer `id`; false if that did not happen within a long grace period.
bool waitForTimerTick(HWND window, UINT_PTR id);

}  // namespace mq::test
