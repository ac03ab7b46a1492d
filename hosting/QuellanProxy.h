// One running child: its library, its worker thread and its tree.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"
#include "platform/WorkerQueue.h"
#include "quellan2.h"

#include <condition_variable>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace mq {

class QuellanMessage;

// Loads a child, starts a worker thread that belongs to it alone, and lets
// that worker initialise the child, open its connection and read its whole
// tree before the constructor returns. From then on every call on the child's
// connection, nodes and tags runs on the worker, one at a time in posting
// order, while the caller waits. The child's string and vector functions are
// the exception: callers use them directly, on their own thread.
class QuellanProxy {
public:
    class Connection;
    class Node;
    class Tag;

    // Raises Exception when the child cannot be started: the library cannot
    // be loaded or is this library itself, required functions are missing,
    // or the child's identity or connection cannot be had.
    QuellanProxy(std::string path, std::string connectionText);
    // Stops the worker after the calls already queued, waits for it without a
    // time limit (it closes the child's connection and uninitialises the
    // child), then unloads the library.
    ~QuellanProxy();
    QuellanProxy(const QuellanProxy&) = delete;
    QuellanProxy& operator=(const QuellanProxy&) = delete;

    // Runs the message on the worker and returns its status once the child's
    // function has returned, however long that takes. A call that cannot be
    // queued (the stop request has been posted, or the worker has ended)
    // returns QUELLAN2_STATUS_ERROR at once, without reaching the child.
    // With no message, asks the worker to stop and returns QUELLAN2_STATUS_OK.
    QUELLAN2_STATUS call(QuellanMessage* message);

    // The typed calls of the data operations. Tag and node handles are the child's own.
    QUELLAN2_STATUS connectionReadCurrentData(const QUELLAN2_TAG* tags, uint32_t tagCount, QUELLAN2_VECTOR* result);
    QUELLAN2_STATUS connectionReadHistoricalData(const QUELLAN2_TAG* tags, uint32_t tagCount, int32_t startTime,
                                                 int32_t interval, uint32_t sampleCount, QUELLAN2_VECTOR* results);
    QUELLAN2_STATUS connectionReadBatchData(const QUELLAN2_TAG* tags, uint32_t tagCount, const char* batch,
                                            int32_t batchTime, QUELLAN2_VECTOR* result);
    QUELLAN2_STATUS connectionWriteHistoricalData(const QUELLAN2_TAG* tags, uint32_t tagCount, int32_t startTime,
                                                  int32_t interval, uint32_t sampleCount,
                                                  const QUELLAN2_VECTOR* values);
    QUELLAN2_STATUS connectionWriteBatchData(const QUELLAN2_TAG* tags, uint32_t tagCount, const char* batch,
                                             int32_t batchTime, QUELLAN2_VECTOR values);
    QUELLAN2_STATUS nodeGetActiveBatches(const Node& node, int32_t fromTime, int32_t toTime,
                                         QUELLAN2_VECTOR* result);
    QUELLAN2_STATUS nodeGetBatchTimes(const Node& node, const char* batch, int32_t batchTime, uint32_t* startTime,
                                      uint32_t* endTime);
    QUELLAN2_STATUS tagGetUpdateTime(const Tag& tag, uint32_t* time);
    QUELLAN2_STATUS connectionGetCurrentTime(uint32_t* time);

    const ChildFunctionTable& functions() const { return child; }
    QUELLAN2_CONNECTION childConnection() const { return connection; }
    const Connection& connectionTree() const { return *tree; }
    const std::string& path() const { return libraryPath; }

    // When a waiting caller first wakes to look at its call, and how much
    // later each further wake-up lies. Settable for tests; never shortened
    // while a call waits.
    void setWaitSeconds(int32_t first, int32_t extension);

private:
    void run(std::promise<bool>& started);
    bool startChild();
    void serve();
    void runMessage(QuellanMessage& message);
    void completeUnrun(QuellanMessage& message);

    // Declared first so that it is destroyed last: nothing of the child may
    // run once its library is gone.
    LibraryHandle library;
    std::string libraryPath;
    std::string connectionText;
    int32_t firstWaitSeconds = 2;
    int32_t waitExtensionSeconds = 60;
    ChildFunctionTable child;
    QUELLAN2_CONNECTION connection = nullptr;
    // Built by the worker at start-up and never changed; the Multiplexer's
    // tables point into it for as long as this proxy lives.
    std::unique_ptr<Connection> tree;
    std::mutex callMutex;
    std::condition_variable callCondition;
    platform::WorkerQueue queue;
    std::thread workerThread;
};

}  // namespace mq
