// A running child: its worker thread's start-up, message loop and shutdown.
#include "hosting/QuellanProxy.h"

#include "hosting/CallMessages.h"
#include "hosting/ChildText.h"
#include "hosting/GuardedCall.h"
#include "hosting/ProxyTree.h"
#include "interface/Exception.h"
#include "platform/ScopeExit.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

namespace mq {

namespace {

std::string failedToOpen(const std::string& path) {
    return "Failed to open connection in " + path + ".";
}

}  // namespace

QuellanProxy::QuellanProxy(std::string path, std::string connectionText)
    : QuellanProxy(std::move(path), std::move(connectionText), std::nullopt, Isolation::NONE) {
    // The worker ends right after a failed start-up; the destructor, which
    // runs since the delegated constructor has completed, joins it.
    if (!awaitStart()) throw Exception(failedToOpen(libraryPath));
}

QuellanProxy::QuellanProxy(std::string path, std::string connectionText, CallTimeout timeout, Isolation isolation,
                           HealthReport health, bool restarts)
    : libraryPath(std::move(path)), connectionText(std::move(connectionText)), timeout(timeout),
      health(std::move(health)), restarts(restarts && isolation == Isolation::PROCESS) {
    module = makeChildModule(libraryPath, isolation);
    if (!module) throw Exception(failedToOpen(libraryPath));
    startWorker();
}

QuellanProxy::QuellanProxy(std::unique_ptr<ChildModule> ownModule, std::string name)
    : module(std::move(ownModule)), libraryPath(std::move(name)) {
    startWorker();
}

void QuellanProxy::startWorker() {
    std::promise<bool> started;
    running = started.get_future();
    try {
        // The worker owns the promise, so a waiting caller may go on while the
        // worker is still inside set_value.
        workerThread = std::thread([this, started = std::move(started)]() mutable { work(started); });
    } catch (const std::system_error&) {
        throw Exception(failedToOpen(libraryPath));
    }
}

namespace {

// Names the merged tree never read (those of sub-nodes and their tags) are
// still the child's strings; strings outlive connections, so they can be
// given back whatever state the child is in.
void releaseUnreadNames(const ChildFunctionTable& functions, QuellanProxy::Node& node) {
    if (node.name) guardedCall(functions.stringFree, std::exchange(node.name, nullptr));
    for (const auto& tag : node.nodeTags)
        if (tag->name) guardedCall(functions.stringFree, std::exchange(tag->name, nullptr));
    for (const auto& subNode : node.subNodes) releaseUnreadNames(functions, *subNode);
}

}  // namespace

QuellanProxy::~QuellanProxy() {
    if (tree)
        for (const auto& node : tree->topNodes) releaseUnreadNames(functions(), *node);
    call(nullptr);
    // Not joinable when the worker was left behind: this then runs on the worker itself.
    if (workerThread.joinable()) workerThread.join();
}

bool QuellanProxy::awaitStart() {
    if (timeout && running.wait_for(*timeout) != std::future_status::ready) {
        const bool abandoned = module->abandon();
        std::lock_guard<std::mutex> lock(callMutex);
        ++waitsRunOut;
        startGivenUp = true;
        startAbandoned = abandoned;
        return false;
    }
    return running.get();
}

unsigned QuellanProxy::timeoutsRunOut() {
    std::lock_guard<std::mutex> lock(callMutex);
    return waitsRunOut;
}

const std::string& QuellanProxy::startUpIdentity() const {
    return identityText;
}

void QuellanProxy::retire(std::shared_ptr<QuellanProxy> proxy) {
    if (!proxy || !proxy->timeout) return;
    QuellanProxy& retired = *proxy;
    retired.call(nullptr);
    std::unique_lock<std::mutex> lock(retired.callMutex);
    const auto ended = [&] { return retired.workerEnded; };
    bool abandoned = retired.startAbandoned;
    // A start-up that was given up has cost its caller the timeout already,
    // and has been abandoned then: it is not waited out a second time.
    if (!retired.startGivenUp) {
        if (retired.callCondition.wait_for(lock, *retired.timeout, ended)) return;
        ++retired.waitsRunOut;
        abandoned = retired.module->abandon();
    }
    // An isolated child's worker comes back as soon as its surrogate has gone.
    if (abandoned) {
        if (retired.callCondition.wait_for(lock, *retired.timeout, ended)) return;
        ++retired.waitsRunOut;
    }
    // The worker is inside the child and may stay there for ever. It takes
    // over this share of the proxy, and a hold on this library, so that
    // neither the child's code nor ours is unloaded under it.
    retired.modulePin = platform::ModulePin::thisModule();
    retired.workerThread.detach();
    retired.leftBehind = std::move(proxy);
}

void QuellanProxy::work(std::promise<bool>& started) {
    run(started);
    std::shared_ptr<QuellanProxy> ownShare;
    platform::ModulePin pin;
    {
        std::lock_guard<std::mutex> lock(callMutex);
        workerEnded = true;
        ownShare = std::move(leftBehind);
        pin = std::move(modulePin);
        callCondition.notify_all();
    }
    // A worker left behind may hold the last share: the proxy, and the
    // child's library with it, go here, on this thread. Its hold on this
    // library is let go as the thread's very last act.
    ownShare.reset();
    pin.releaseAsThreadEnds();
}

void QuellanProxy::setWaitSeconds(int32_t first, int32_t extension) {
    std::lock_guard<std::mutex> lock(callMutex);
    firstWaitSeconds = first;
    waitExtensionSeconds = extension;
}

void QuellanProxy::run(std::promise<bool>& started) {
    queue.attach();
    bool announced = false;
    try {
        std::unique_lock<std::mutex> moduleTurn(module->turn());
        module->initialize();
        // From here on the child is uninitialised on every way out.
        auto uninitialize = platform::ScopeExit([&] {
            if (!moduleTurn.owns_lock()) moduleTurn.lock();
            module->uninitialize();
        });

        if (!startChild()) {
            for (void* unrun : queue.close()) completeUnrun(*static_cast<QuellanMessage*>(unrun));
            announced = true;
            started.set_value(false);
            return;
        }
        announced = true;
        started.set_value(true);
        moduleTurn.unlock();
        serve(moduleTurn);
    } catch (...) {
        // Start-up ran out of memory, or the platform failed us while serving.
        for (void* unrun : queue.close()) completeUnrun(*static_cast<QuellanMessage*>(unrun));
        if (!announced) started.set_value(false);
    }
}

bool QuellanProxy::startChild() {
    QUELLAN2_STRING identity = nullptr;
    if (const QUELLAN2_STATUS status = module->getIdentity(&identity); status != QUELLAN2_STATUS_OK) {
        startProblem = "getIdentity returned status " + std::to_string(status);
        return false;
    }
    // With a timeout the text is kept from here, read within the start-up's
    // time: a child asked again on the caller's thread could hold it there
    // for as long as it likes. Without one Quellan::open asks for it itself.
    if (timeout)
        identityText = childText(functions(), identity);
    else
        guardedCall(functions().stringFree, identity);
    if (const QUELLAN2_STATUS status = module->connectionOpen(connectionText.c_str(), &connection);
        status != QUELLAN2_STATUS_OK) {
        startProblem = "connectionOpen returned status " + std::to_string(status);
        return false;
    }
    tree = std::make_unique<Connection>(functions(), connection);
    return true;
}

void QuellanProxy::serve(std::unique_lock<std::mutex>& moduleTurn) {
    void* item = nullptr;
    while (takeNext(item, moduleTurn)) runMessage(*static_cast<QuellanMessage*>(item), moduleTurn);
    // Calls that were queued but will never run (the loop ended on a quit
    // message the child posted, or on a failure) must not leave callers waiting.
    for (void* unrun : queue.close()) completeUnrun(*static_cast<QuellanMessage*>(unrun));
    moduleTurn.lock();
    guardedCall(functions().connectionClose, connection);
}

namespace {

// How long a worker whose child is restarted waits for a call before it looks
// whether the surrogate has ended meanwhile, killed between calls.
constexpr std::chrono::seconds LOOK_AGAIN{1};

}  // namespace

bool QuellanProxy::takeNext(void*& item, std::unique_lock<std::mutex>& moduleTurn) {
    for (;;) {
        noticeEnd();
        if (!restartDue && !restarts) return queue.next(item);
        if (!restartDue) {
            if (!queue.nextWithin(item, LOOK_AGAIN)) return false;
            if (item) return true;
            continue;
        }
        const RestartBackoff::Clock::time_point now = backoff.now();
        // Between calls, never inside one: a call waiting behind the restart
        // is taken once the child runs again (or has failed to).
        if (now >= *restartDue) {
            restartChild(moduleTurn);
            continue;
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*restartDue - now);
        if (!queue.nextWithin(item, wait)) return false;
        if (item) return true;
    }
}

namespace {

std::string inSeconds(std::chrono::seconds delay) {
    return "started again in " + std::to_string(delay.count()) + " s";
}

}  // namespace

void QuellanProxy::noticeEnd(std::string function) {
    if (endNoticed || !module->ended()) return;
    endNoticed = true;
    std::string detail = "the surrogate process has gone";
    if (const std::string ending = module->ending(); !ending.empty()) detail += ", " + ending;
    if (restarts) {
        restartDue = backoff.ended();
        detail += "; " + inSeconds(backoff.lastDelay());
    }
    health.record(ChildEventKind::SURROGATE_ENDED, std::move(function), std::move(detail));
}

void QuellanProxy::restartChild(std::unique_lock<std::mutex>& moduleTurn) {
    restartDue.reset();
    health.record(ChildEventKind::RESTART_TRIED, std::string(), std::string());
    moduleTurn.lock();
    std::string failure;
    try {
        failure = startAgain();
    } catch (...) {
        // Memory ran out while the tree was read: a failed start as any other.
        failure = "could not be started";
    }
    // A surrogate that refused the start goes; the next try starts afresh.
    if (!failure.empty()) module->abandon();
    moduleTurn.unlock();
    if (failure.empty()) {
        {
            std::lock_guard<std::mutex> lock(callMutex);
            // A call given up before ended the surrogate that hung; this one is new.
            hungCall = false;
        }
        endNoticed = false;
        health.record(ChildEventKind::RESTART_DONE, std::string(), std::string());
        return;
    }
    restartDue = backoff.ended();
    health.record(ChildEventKind::RESTART_GIVEN_UP, std::string(), failure + "; " + inSeconds(backoff.lastDelay()));
}

std::string QuellanProxy::startAgain() {
    if (!module->renew()) return "cannot be started again";
    module->initialize();
    if (module->ended()) return "its surrogate could not be started, or could not load it";
    QUELLAN2_STRING identity = nullptr;
    if (module->getIdentity(&identity) != QUELLAN2_STATUS_OK) return "quellan2_getIdentity failed";
    guardedCall(functions().stringFree, identity);
    // The same child connection as before: the handle stays, and so do the
    // tree's handles, which the open points at the new tree.
    QUELLAN2_CONNECTION reopened = nullptr;
    if (module->connectionOpen(connectionText.c_str(), &reopened) != QUELLAN2_STATUS_OK)
        return "quellan2_connectionOpen failed";
    return std::string();
}

void QuellanProxy::runMessage(QuellanMessage& message, std::unique_lock<std::mutex>& moduleTurn) {
    // The queue's share: from here the worker keeps the message alive itself.
    const std::shared_ptr<QuellanMessage> held = std::move(message.inFlight);
    {
        std::lock_guard<std::mutex> lock(callMutex);
        if (message.givenUp) {
            // Its caller left before the call began: the child never sees it.
            message.startedAt = message.endedAt = QuellanMessage::Clock::now();
        } else {
            message.startedAt = QuellanMessage::Clock::now();
            callCondition.notify_all();
        }
    }
    if (message.endedAt) {
        giveBackVectors(message);
        return;
    }
    health.callMade();
    moduleTurn.lock();
    const QUELLAN2_STATUS status = message.execute(*this);
    moduleTurn.unlock();
    if (health) reportCall(message);
    bool givenUp = false;
    {
        std::lock_guard<std::mutex> lock(callMutex);
        message.status = status;
        message.endedAt = QuellanMessage::Clock::now();
        givenUp = message.givenUp;
        callCondition.notify_all();
    }
    // A waiting caller takes the message over once it sees endedAt; one that
    // has left will never look at it again.
    if (givenUp) giveBackVectors(message);
}

void QuellanProxy::reportCall(const QuellanMessage& message) {
    health.callEnded(QuellanMessage::Clock::now() - *message.startedAt);
    if (message.fault != platform::Fault::NONE)
        health.record(ChildEventKind::FAULT, eventFunction(message.callName()), platform::describe(message.fault));
    // Seen here, the end is told with the call that met it; otherwise the
    // worker sees it before its next wait (noticeEnd()).
    noticeEnd(eventFunction(message.callName()));
}

void QuellanProxy::completeUnrun(QuellanMessage& message) {
    const std::shared_ptr<QuellanMessage> held = std::move(message.inFlight);
    bool givenUp = false;
    {
        std::lock_guard<std::mutex> lock(callMutex);
        message.startedAt = message.endedAt = QuellanMessage::Clock::now();
        message.status = QUELLAN2_STATUS_ERROR;
        givenUp = message.givenUp;
        callCondition.notify_all();
    }
    if (givenUp) giveBackVectors(message);
}

void QuellanProxy::giveBackVectors(QuellanMessage& message) {
    for (QUELLAN2_VECTOR vector : message.vectors)
        if (vector) guardedCall(functions().vectorFree, vector);
    message.vectors.clear();
}

void QuellanProxy::start(const std::shared_ptr<QuellanMessage>& message) {
    message->postedAt = QuellanMessage::Clock::now();
    bool refused = false;
    {
        std::lock_guard<std::mutex> lock(callMutex);
        refused = hungCall;
    }
    if (!refused) {
        // A call that may be given up may outlive its caller's frame.
        if (timeout) message->keepArguments();
        message->inFlight = message;
        if (queue.post(message.get())) return;
        // Stopping or ended: the worker will never take it.
    }
    completeUnrun(*message);
}

QUELLAN2_STATUS QuellanProxy::finish(QuellanMessage& message) {
    std::unique_lock<std::mutex> lock(callMutex);
    if (timeout) {
        // A hard deadline from the post: the time the call spent queued counts too.
        if (!callCondition.wait_until(lock, *message.postedAt + *timeout, [&] { return message.endedAt.has_value(); })) {
            message.givenUp = true;
            const bool firstHang = !std::exchange(hungCall, true);
            ++waitsRunOut;
            lock.unlock();
            module->abandon();
            const std::string function = eventFunction(message.callName());
            health.record(ChildEventKind::TIMEOUT, function, "given up after its timeout");
            if (firstHang) health.record(ChildEventKind::HUNG, function, "later calls fail at once");
            return QUELLAN2_STATUS_ERROR;
        }
        return message.status;
    }
    callCondition.wait(lock, [&] { return message.startedAt.has_value(); });
    // The deadlines only decide when the caller looks again; a call without
    // a timeout is never abandoned, however long the child takes.
    QuellanMessage::Clock::time_point deadline = *message.startedAt + std::chrono::seconds(firstWaitSeconds);
    while (!message.endedAt) {
        if (callCondition.wait_until(lock, deadline) == std::cv_status::timeout && !message.endedAt) {
            ++message.deadlineWakeUps;
            deadline += std::chrono::seconds(waitExtensionSeconds);
        }
    }
    return message.status;
}

QUELLAN2_STATUS QuellanProxy::call(const std::shared_ptr<QuellanMessage>& message) {
    if (!message) {
        // A second stop request, or one after the worker has ended, has nothing left to stop.
        queue.post(nullptr);
        return QUELLAN2_STATUS_OK;
    }
    start(message);
    return finish(*message);
}

namespace {

// What the message holds goes back to the caller's slots, unless the caller gave the call up.
void takeBack(const QuellanMessage& message, QUELLAN2_VECTOR* slots) {
    if (!message.givenUp) std::copy(message.vectors.begin(), message.vectors.end(), slots);
}

}  // namespace

QUELLAN2_STATUS QuellanProxy::nodeGetActiveBatches(const Node& node, int32_t fromTime, int32_t toTime,
                                                   QUELLAN2_VECTOR* result) {
    auto message = std::make_shared<NodeGetActiveBatchesMessage>(node.handle, fromTime, toTime);
    const QUELLAN2_STATUS status = call(message);
    takeBack(*message, result);
    return status;
}

QUELLAN2_STATUS QuellanProxy::nodeGetBatchTimes(const Node& node, const char* batch, int32_t batchTime,
                                                uint32_t* startTime, uint32_t* endTime) {
    auto message = std::make_shared<NodeGetBatchTimesMessage>(node.handle, batch, batchTime, *startTime, *endTime);
    const QUELLAN2_STATUS status = call(message);
    if (!message->givenUp) {
        *startTime = message->startTime;
        *endTime = message->endTime;
    }
    return status;
}

QUELLAN2_STATUS QuellanProxy::tagGetUpdateTime(const Tag& tag, uint32_t* time) {
    auto message = std::make_shared<TagGetUpdateTimeMessage>(tag.handle, *time);
    const QUELLAN2_STATUS status = call(message);
    if (!message->givenUp) *time = message->time;
    return status;
}

QUELLAN2_STATUS QuellanProxy::connectionGetCurrentTime(uint32_t* time) {
    auto message = std::make_shared<ConnectionGetCurrentTimeMessage>(*time);
    const QUELLAN2_STATUS status = call(message);
    if (!message->givenUp) *time = message->time;
    return status;
}

}  // namespace mq
