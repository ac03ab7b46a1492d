// The message queue of one worker thread.
#pragma once

#include <chrono>
#include <memory>
#include <vector>

namespace mq::platform {

// Items are opaque addresses posted by any thread and taken, in posting order,
// by the one worker thread that owns the queue. A null item asks the worker to
// stop once the items queued before it have been taken; from then on every
// post fails, so nothing waits behind the stop request for a worker that will
// never take it. Posts are taken from construction on, before the worker has
// attached: a stop request made while the worker is still starting reaches
// it. On Windows this is the thread's own message queue, so that windows
// which foreign code creates on the worker keep receiving their messages
// while the worker waits.
class WorkerQueue {
public:
    WorkerQueue();
    ~WorkerQueue();
    WorkerQueue(const WorkerQueue&) = delete;
    WorkerQueue& operator=(const WorkerQueue&) = delete;

    // Worker thread: binds the queue to the calling thread and makes sure it
    // exists; items posted before are delivered from then on, in order.
    void attach();

    // Any thread. False when the item was not queued: the stop request has
    // been posted, the worker has closed the queue, or the platform refused
    // the post.
    bool post(void* item);

    // Worker thread: waits for the next item, dispatching the thread's other
    // messages meanwhile. False when the worker must stop (a stop request, a
    // quit message or a failure of the platform's message retrieval).
    bool next(void*& item);
    // Worker thread: as next(), but waits no longer than `wait`; `item` is
    // then null and the result true, so that the worker can do work of its
    // own between items.
    bool nextWithin(void*& item, std::chrono::milliseconds wait);

    // Worker thread, once it serves no more: later posts fail, and the items
    // that were queued but not taken are handed back, in posting order.
    std::vector<void*> close();

private:
    struct State;
    std::unique_ptr<State> state;
};

}  // namespace mq::platform
