// A running child: its worker thread's start-up, message loop and shutdown.
#include "hosting/QuellanProxy.h"

#include "hosting/CallMessages.h"
#include "hosting/GuardedCall.h"
#include "hosting/ProxyTree.h"
#include "interface/Exception.h"
#include "platform/ScopeExit.h"

#include <system_error>
#include <utility>

namespace mq {

QuellanProxy::QuellanProxy(std::string path, std::string connectionText)
    : libraryPath(std::move(path)), connectionText(std::move(connectionText)) {
    const std::string failedToOpen = "Failed to open connection in " + libraryPath + ".";
    library.load(libraryPath);
    // Our own module would share the Multiplexer with its parent.
    if (library.isThisLibrary()) throw Exception(failedToOpen);
    child.resolve(library, libraryPath);

    std::promise<bool> started;
    std::future<bool> running = started.get_future();
    try {
        // The worker owns the promise, so the constructor may return while the
        // worker is still inside set_value.
        workerThread = std::thread([this, started = std::move(started)]() mutable { run(started); });
    } catch (const std::system_error&) {
        throw Exception(failedToOpen);
    }
    if (!running.get()) {
        // On this path the worker ends right after announcing the failure.
        workerThread.join();
        throw Exception(failedToOpen);
    }
}

namespace {

// Names the merged tree never read (those of sub-nodes and their tags) are
// still the child's strings; strings outlive connections, so they can be
// given back whatever state the child is in.
void releaseUnreadNames(const ChildFunctionTable& child, QuellanProxy::Node& node) {
    if (node.name) guardedCall(child.stringFree, std::exchange(node.name, nullptr));
    for (const auto& tag : node.nodeTags)
        if (tag->name) guardedCall(child.stringFree, std::exchange(tag->name, nullptr));
    for (const auto& subNode : node.subNodes) releaseUnreadNames(child, *subNode);
}

}  // namespace

QuellanProxy::~QuellanProxy() {
    if (tree)
        for (const auto& node : tree->topNodes) releaseUnreadNames(child, *node);
    call(nullptr);
    if (workerThread.joinable()) workerThread.join();
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
        guardedCall(child.initialize);
        // From here on the child is uninitialised on every way out.
        auto uninitialize = platform::ScopeExit([this] { guardedCall(child.uninitialize); });

        if (!startChild()) {
            queue.close();
            announced = true;
            started.set_value(false);
            return;
        }
        announced = true;
        started.set_value(true);
        serve();
    } catch (...) {
        // Start-up ran out of memory, or the platform failed us while serving.
        for (void* unrun : queue.close()) completeUnrun(*static_cast<QuellanMessage*>(unrun));
        if (!announced) started.set_value(false);
    }
}

bool QuellanProxy::startChild() {
    QUELLAN2_STRING identity = nullptr;
    if (guardedCall(child.getIdentity, &identity) != QUELLAN2_STATUS_OK) return false;
    // Only the status matters here; Quellan::open reads the text itself.
    guardedCall(child.stringFree, identity);
    if (guardedCall(child.connectionOpen, connectionText.c_str(), &connection) != QUELLAN2_STATUS_OK) return false;
    tree = std::make_unique<Connection>(*this, connection);
    return true;
}

void QuellanProxy::serve() {
    void* item = nullptr;
    while (queue.next(item)) runMessage(*static_cast<QuellanMessage*>(item));
    // Calls that were queued but will never run (the loop ended on a quit
    // message the child posted, or on a failure) must not leave callers waiting.
    for (void* unrun : queue.close()) completeUnrun(*static_cast<QuellanMessage*>(unrun));
    guardedCall(child.connectionClose, connection);
}

void QuellanProxy::runMessage(QuellanMessage& message) {
    {
        std::lock_guard<std::mutex> lock(callMutex);
        message.startedAt = QuellanMessage::Clock::now();
        callCondition.notify_all();
    }
    QUELLAN2_STATUS status = message.execute(*this);
    // The caller may destroy the message as soon as it sees endedAt, so this is
    // the worker's last touch of it.
    std::lock_guard<std::mutex> lock(callMutex);
    message.status = status;
    message.endedAt = QuellanMessage::Clock::now();
    callCondition.notify_all();
}

void QuellanProxy::completeUnrun(QuellanMessage& message) {
    std::lock_guard<std::mutex> lock(callMutex);
    message.startedAt = message.endedAt = QuellanMessage::Clock::now();
    message.status = QUELLAN2_STATUS_ERROR;
    callCondition.notify_all();
}

QUELLAN2_STATUS QuellanProxy::call(QuellanMessage* message) {
    if (!message) {
        // A second stop request, or one after the worker has ended, has nothing left to stop.
        queue.post(nullptr);
        return QUELLAN2_STATUS_OK;
    }
    if (!queue.post(message)) {
        // Stopping or ended: the worker will never take it.
        completeUnrun(*message);
        return message->status;
    }

    std::unique_lock<std::mutex> lock(callMutex);
    callCondition.wait(lock, [message] { return message->startedAt.has_value(); });
    // The deadlines only decide when the caller looks again; a call is never
    // abandoned, however long the child takes.
    QuellanMessage::Clock::time_point deadline = *message->startedAt + std::chrono::seconds(firstWaitSeconds);
    while (!message->endedAt) {
        if (callCondition.wait_until(lock, deadline) == std::cv_status::timeout && !message->endedAt) {
            ++message->deadlineWakeUps;
            deadline += std::chrono::seconds(waitExtensionSeconds);
        }
    }
    return message->status;
}

QUELLAN2_STATUS QuellanProxy::connectionReadCurrentData(const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                        QUELLAN2_VECTOR* result) {
    ConnectionReadCurrentDataMessage message(tags, tagCount, result);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::connectionReadHistoricalData(const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                           int32_t startTime, int32_t interval,
                                                           uint32_t sampleCount, QUELLAN2_VECTOR* results) {
    ConnectionReadHistoricalDataMessage message(tags, tagCount, startTime, interval, sampleCount, results);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::connectionReadBatchData(const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                      const char* batch, int32_t batchTime,
                                                      QUELLAN2_VECTOR* result) {
    ConnectionReadBatchDataMessage message(tags, tagCount, batch, batchTime, result);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::connectionWriteHistoricalData(const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                            int32_t startTime, int32_t interval,
                                                            uint32_t sampleCount, const QUELLAN2_VECTOR* values) {
    ConnectionWriteHistoricalDataMessage message(tags, tagCount, startTime, interval, sampleCount, values);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::connectionWriteBatchData(const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                       const char* batch, int32_t batchTime,
                                                       QUELLAN2_VECTOR values) {
    ConnectionWriteBatchDataMessage message(tags, tagCount, batch, batchTime, values);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::nodeGetActiveBatches(const Node& node, int32_t fromTime, int32_t toTime,
                                                   QUELLAN2_VECTOR* result) {
    NodeGetActiveBatchesMessage message(node.handle, fromTime, toTime, result);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::nodeGetBatchTimes(const Node& node, const char* batch, int32_t batchTime,
                                                uint32_t* startTime, uint32_t* endTime) {
    NodeGetBatchTimesMessage message(node.handle, batch, batchTime, startTime, endTime);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::tagGetUpdateTime(const Tag& tag, uint32_t* time) {
    TagGetUpdateTimeMessage message(tag.handle, time);
    return call(&message);
}

QUELLAN2_STATUS QuellanProxy::connectionGetCurrentTime(uint32_t* time) {
    ConnectionGetCurrentTimeMessage message(time);
    return call(&message);
}

}  // namespace mq
