// POSIX implementation of the worker queue: a queue of the worker's own, since
// threads here have no message queue of the system's.
#include "platform/WorkerQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace mq::platform {

struct WorkerQueue::State {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<void*> items;
    bool closed = false;
    // Set once the stop request is queued: it is the last item.
    bool stopRequested = false;
    // Set once next() has taken the stop request; the worker is then done.
    bool stopped = false;
};

WorkerQueue::WorkerQueue() : state(std::make_unique<State>()) {}

WorkerQueue::~WorkerQueue() = default;

// The queue is the worker's from construction; there is nothing to bind.
void WorkerQueue::attach() {}

bool WorkerQueue::post(void* item) {
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->closed || state->stopRequested) return false;
        state->items.push_back(item);
        if (!item) state->stopRequested = true;
    }
    state->posted.notify_one();
    return true;
}

bool WorkerQueue::next(void*& item) {
    std::unique_lock<std::mutex> lock(state->mutex);
    if (state->stopped || state->closed) return false;
    state->posted.wait(lock, [this] { return !state->items.empty(); });
    void* taken = state->items.front();
    state->items.pop_front();
    if (!taken) {
        state->stopped = true;
        return false;
    }
    item = taken;
    return true;
}

bool WorkerQueue::nextWithin(void*& item, std::chrono::milliseconds wait) {
    item = nullptr;
    {
        std::unique_lock<std::mutex> lock(state->mutex);
        if (state->stopped || state->closed) return false;
        if (!state->posted.wait_for(lock, wait, [this] { return !state->items.empty(); })) return true;
    }
    // Only this thread takes items: the one that came is still there.
    return next(item);
}

std::vector<void*> WorkerQueue::close() {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->closed = true;
    std::vector<void*> untaken;
    for (void* item : state->items)
        if (item) untaken.push_back(item);
    state->items.clear();
    return untaken;
}

}  // namespace mq::platform
