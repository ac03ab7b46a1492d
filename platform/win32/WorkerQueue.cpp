// Windows implementation of the worker queue: the worker thread's own message
// queue, so that windows created on the worker are served while it waits.
#include "platform/WorkerQueue.h"

#include <windows.h>

#include <deque>
#include <mutex>

namespace mq::platform {

namespace {

// WM_APP + 100. The first parameter is 0; the second is the item, or 0 for
// the stop request.
constexpr UINT WM_PROXY_CALL = 0x8064;

// As the window filter of PeekMessageA: thread messages only.
const HWND THREAD_MESSAGES_ONLY = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));

}  // namespace

struct WorkerQueue::State {
    // Held while posting, so that close() never lets a post slip in after it
    // has drained the queue.
    std::mutex mutex;
    DWORD threadId = 0;
    bool closed = false;
    // Set once the stop request is posted. The quit message it turns into
    // would come only after every message posted later, so later posts must
    // fail here instead.
    bool stopRequested = false;
    // Posted before the worker attached, when the thread had no message queue
    // yet: attach() hands them to it, in posting order.
    std::deque<void*> early;
    // Early items the thread's queue refused in attach(): close() hands them
    // back, and an early stop request that was refused stops next() at once.
    std::vector<void*> undelivered;
    bool stopUndelivered = false;
};

WorkerQueue::WorkerQueue() : state(std::make_unique<State>()) {}

WorkerQueue::~WorkerQueue() = default;

void WorkerQueue::attach() {
    // A thread has a message queue only once it has called a message
    // function; before that, PostThreadMessageA to it fails.
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    std::lock_guard<std::mutex> lock(state->mutex);
    state->threadId = GetCurrentThreadId();
    // Under the lock, so that no later post overtakes them.
    for (void* item : state->early) {
        if (PostThreadMessageA(state->threadId, WM_PROXY_CALL, 0, reinterpret_cast<LPARAM>(item))) continue;
        if (item)
            state->undelivered.push_back(item);
        else
            state->stopUndelivered = true;
    }
    state->early.clear();
}

bool WorkerQueue::post(void* item) {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->closed || state->stopRequested) return false;
    if (state->threadId == 0)
        state->early.push_back(item);
    else if (!PostThreadMessageA(state->threadId, WM_PROXY_CALL, 0, reinterpret_cast<LPARAM>(item)))
        return false;
    if (!item) state->stopRequested = true;
    return true;
}

namespace {

// One retrieved message: a posted call becomes `item` (true). The empty post
// that stops the queue asks for the quit message, which comes only once the
// messages posted before it have been retrieved. Any other message is
// dispatched, for the windows that foreign code made on this thread.
bool takeOrDispatch(const MSG& message, void*& item) {
    if (message.hwnd == nullptr && message.message == WM_PROXY_CALL) {
        if (message.lParam != 0) {
            item = reinterpret_cast<void*>(message.lParam);
            return true;
        }
        PostQuitMessage(0);
        return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return false;
}

}  // namespace

bool WorkerQueue::next(void*& item) {
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->stopUndelivered) return false;
    }
    MSG message;
    for (;;) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) return false;
        if (takeOrDispatch(message, item)) return true;
    }
}

bool WorkerQueue::nextWithin(void*& item, std::chrono::milliseconds wait) {
    item = nullptr;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->stopUndelivered) return false;
    }
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
    MSG message;
    for (;;) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) return true;
            // Wakes for any message, also one that was already there but not yet looked at.
            const DWORD waited = MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now),
                                                             QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (waited == WAIT_FAILED) return false;
            continue;
        }
        if (message.message == WM_QUIT) return false;
        if (takeOrDispatch(message, item)) return true;
    }
}

std::vector<void*> WorkerQueue::close() {
    std::vector<void*> untaken;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->closed = true;
        untaken.swap(state->undelivered);
        for (void* item : state->early)
            if (item) untaken.push_back(item);
        state->early.clear();
    }
    MSG message;
    while (PeekMessageA(&message, THREAD_MESSAGES_ONLY, WM_PROXY_CALL, WM_PROXY_CALL, PM_REMOVE)) {
        if (message.lParam != 0) untaken.push_back(reinterpret_cast<void*>(message.lParam));
    }
    return untaken;
}

}  // namespace mq::platform
