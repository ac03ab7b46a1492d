// The worker's queue serves windows on the worker thread while it waits.
#include "platform/WorkerQueue.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <future>
#include <vector>

using mq::platform::WorkerQueue;

namespace {

constexpr UINT SENT_MESSAGE = WM_APP + 1;
constexpr UINT POSTED_MESSAGE = WM_APP + 2;
constexpr LRESULT SENT_ANSWER = 4711;

// What the window procedure saw, in order: message id and first parameter.
// Written only on the worker thread.
std::vector<std::pair<UINT, WPARAM>> windowJournal;

LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM first, LPARAM second) {
    if (message == SENT_MESSAGE || message == POSTED_MESSAGE) {
        windowJournal.emplace_back(message, first);
        return message == SENT_MESSAGE ? SENT_ANSWER : 0;
    }
    return DefWindowProcA(window, message, first, second);
}

const char* windowClassName() {
    static const char* name = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &recordingProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MqWorkerQueueTestWindow";
        RegisterClassA(&windowClass);
        return windowClass.lpszClassName;
    }();
    return name;
}

}  // namespace

TEST(WorkerQueueWindows, AWindowOnTheWorkerReceivesMessagesWhileTheWorkerWaits) {
    windowJournal.clear();
    int itemCell = 0;
    WorkerQueue queue;
    std::promise<HWND> created;
    std::future<std::vector<void*>> worker = std::async(std::launch::async, [&] {
        queue.attach();
        HWND window = CreateWindowExA(0, windowClassName(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        created.set_value(window);
        std::vector<void*> taken;
        void* item = nullptr;
        while (queue.next(item)) taken.push_back(item);
        if (window) DestroyWindow(window);
        queue.close();
        return taken;
    });
    HWND window = created.get_future().get();
    ASSERT_NE(window, nullptr);

    // A sent message is served from inside the worker's wait for an item.
    EXPECT_EQ(SendMessageA(window, SENT_MESSAGE, 1, 0), SENT_ANSWER);
    ASSERT_TRUE(PostMessageA(window, POSTED_MESSAGE, 2, 0));
    ASSERT_TRUE(queue.post(&itemCell));
    ASSERT_TRUE(PostMessageA(window, POSTED_MESSAGE, 3, 0));
    ASSERT_TRUE(queue.post(nullptr));
    std::vector<void*> taken = worker.get();

    EXPECT_EQ(taken, std::vector<void*>{&itemCell});
    std::vector<std::pair<UINT, WPARAM>> expected{
        {SENT_MESSAGE, 1}, {POSTED_MESSAGE, 2}, {POSTED_MESSAGE, 3}};
    EXPECT_EQ(windowJournal, expected);
}
