// One running child: its library, its worker thread and its tree.
#pragma once

#include "config/CallOptions.h"
#include "hosting/ChildEvent.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/ChildHealth.h"
#include "hosting/ChildModule.h"
#include "hosting/RestartBackoff.h"
#include "platform/ModulePin.h"
#include "platform/WorkerQueue.h"
#include "quellan2.h"

#include <condition_variable>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace mq {

class QuellanMessage;

// Loads a child (or, isolated, prepares its surrogate process), starts a
// worker thread that belongs to it alone, and lets
// that worker initialise the child, open its connection and read its whole
// tree. From then on every call on the child's connection, nodes and tags runs
// on the worker, one at a time in posting order. The child's string and vector
// functions are the exception: callers use them directly, on their own thread.
//
// Workers of children that share one loaded module (two configured paths of
// the same file) take turns: no two of them run the child's code at once.
//
// With a timeout, no caller waits longer than that for a call (or for the
// start-up, or for the shutdown): a call that has not ended by then is given
// up and the child counts as hung, so that later calls fail at once. A hung
// child's worker is left behind when the proxy is retired (retire()).
//
// An isolated child may be restarted: when its surrogate ends, the worker,
// between calls, starts it again after a backoff (RestartBackoff), opens it
// with the same connection text and points the handles of its tree at the new
// one. Calls in between fail at once.
class QuellanProxy {
public:
    class Connection;
    class Node;
    class Tag;

    // Starts the child and waits for its start-up, however long it takes.
    // Raises Exception when the child cannot be started: the library cannot
    // be loaded or is this library itself, required functions are missing,
    // or the child's identity or connection cannot be had.
    QuellanProxy(std::string path, std::string connectionText);
    // Starts the worker without waiting for it; awaitStart() tells whether the
    // child runs. Raises Exception only for what the caller's thread finds:
    // the library, its functions, the thread. An isolated child's library is
    // loaded by its surrogate, on the worker, so its failures show in awaitStart().
    // What the proxy learns of the child's calls and troubles goes to
    // `health`. With `restarts`, an isolated child whose surrogate ends is
    // started again, and `health` hears of each restart.
    QuellanProxy(std::string path, std::string connectionText, CallTimeout timeout,
                 Isolation isolation = Isolation::NONE, HealthReport health = {}, bool restarts = false);
    // Runs a module made here (the status node) instead of one named by a path.
    QuellanProxy(std::unique_ptr<ChildModule> module, std::string name);
    // Stops the worker after the calls already queued, waits for it without a
    // time limit (it closes the child's connection and uninitialises the
    // child), then unloads the library. A proxy with a timeout is let go
    // through retire(), which waits no longer than that.
    ~QuellanProxy();
    QuellanProxy(const QuellanProxy&) = delete;
    QuellanProxy& operator=(const QuellanProxy&) = delete;

    // Waits for the worker's start-up, no longer than the timeout. True when
    // the child runs; otherwise the proxy serves no calls and is to be retired.
    // A start-up given up here is not waited for again by retire(): the
    // timeout is spent once.
    bool awaitStart();

    // How many waits on this proxy ran out of the timeout: start-up, calls
    // and retirement. For tests.
    unsigned timeoutsRunOut();

    // With a timeout, the child's identity text as the worker read it at
    // start-up (empty until the start-up has ended); without one, empty.
    const std::string& startUpIdentity() const;
    // After a failed start-up: which step failed, in words.
    const std::string& startUpProblem() const { return startProblem; }

    // Lets go of a proxy. Without a timeout this is the release of one owner.
    // With one, it asks the worker to stop and waits for it at most the
    // timeout; a worker that is still inside the child then is left behind:
    // it keeps the proxy (and so the child's library) and this library loaded
    // until the child returns, and then ends by itself.
    static void retire(std::shared_ptr<QuellanProxy> proxy);

    // Posts the message to the worker. A call that cannot be queued (the stop
    // request has been posted, the worker has ended, the child is hung) ends at
    // once with QUELLAN2_STATUS_ERROR, without reaching the child.
    void start(const std::shared_ptr<QuellanMessage>& message);
    // Waits for a started message and returns its status: once the child's
    // function has returned or, with a timeout, once the timeout has passed
    // since the post (status QUELLAN2_STATUS_ERROR, and message.givenUp set).
    QUELLAN2_STATUS finish(QuellanMessage& message);
    // start() and finish(). With no message, asks the worker to stop and
    // returns QUELLAN2_STATUS_OK.
    QUELLAN2_STATUS call(const std::shared_ptr<QuellanMessage>& message);

    // The typed calls of the node, tag and time operations. Tag and node
    // handles are the child's own. A call that is given up leaves the
    // caller's values as they were. The data reads and writes build their
    // messages themselves (CallMessages.h).
    QUELLAN2_STATUS nodeGetActiveBatches(const Node& node, int32_t fromTime, int32_t toTime,
                                         QUELLAN2_VECTOR* result);
    QUELLAN2_STATUS nodeGetBatchTimes(const Node& node, const char* batch, int32_t batchTime, uint32_t* startTime,
                                      uint32_t* endTime);
    QUELLAN2_STATUS tagGetUpdateTime(const Tag& tag, uint32_t* time);
    QUELLAN2_STATUS connectionGetCurrentTime(uint32_t* time);

    const ChildFunctionTable& functions() const { return module->functions(); }
    ChildModule& childModule() const { return *module; }
    QUELLAN2_CONNECTION childConnection() const { return connection; }
    const Connection& connectionTree() const { return *tree; }
    const std::string& path() const { return libraryPath; }

    // When a waiting caller first wakes to look at its call, and how much
    // later each further wake-up lies; for calls without a timeout. Settable
    // for tests; never shortened while a call waits.
    void setWaitSeconds(int32_t first, int32_t extension);

private:
    void startWorker();
    void work(std::promise<bool>& started);
    void reportCall(const QuellanMessage& message);
    void run(std::promise<bool>& started);
    bool startChild();
    void serve(std::unique_lock<std::mutex>& moduleTurn);
    bool takeNext(void*& item, std::unique_lock<std::mutex>& moduleTurn);
    void noticeEnd(std::string function = {});
    void restartChild(std::unique_lock<std::mutex>& moduleTurn);
    std::string startAgain();
    void runMessage(QuellanMessage& message, std::unique_lock<std::mutex>& moduleTurn);
    void completeUnrun(QuellanMessage& message);
    void giveBackVectors(QuellanMessage& message);

    // Declared first so that it is destroyed last: nothing of the child may
    // run once its library (or its surrogate) is gone.
    std::unique_ptr<ChildModule> module;
    std::string libraryPath;
    std::string connectionText;
    CallTimeout timeout;
    int32_t firstWaitSeconds = 2;
    int32_t waitExtensionSeconds = 60;
    QUELLAN2_CONNECTION connection = nullptr;
    // Built by the worker at start-up and never changed; the Multiplexer's
    // tables point into it for as long as this proxy lives.
    std::unique_ptr<Connection> tree;
    // Written by the worker before it announces the start-up; read after.
    std::string identityText;
    std::string startProblem;
    HealthReport health;
    std::mutex callMutex;
    std::condition_variable callCondition;
    // Guarded by callMutex.
    bool hungCall = false;
    bool workerEnded = false;
    // Set when awaitStart() gave the start-up up, and whether the child's
    // abandon() said the worker would then come back soon.
    bool startGivenUp = false;
    bool startAbandoned = false;
    unsigned waitsRunOut = 0;
    std::shared_ptr<QuellanProxy> leftBehind;
    platform::ModulePin modulePin;
    // The worker's alone.
    bool restarts = false;
    RestartBackoff backoff;
    // Set once the worker has seen the surrogate gone (and reported it, once),
    // until a restart has brought it back; then when the restart is due, if one is.
    bool endNoticed = false;
    std::optional<RestartBackoff::Clock::time_point> restartDue;
    std::future<bool> running;
    platform::WorkerQueue queue;
    std::thread workerThread;
};

}  // namespace mq
