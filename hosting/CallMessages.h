// The nine call messages that the data operations send to a child.
#pragma once

#include "hosting/QuellanMessage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mq {

// Every handle a message carries is the child's own. A message owns what the
// child reads and writes (QuellanMessage), but for the batch text, which it
// borrows from its caller unless keepArguments() has run; vectors live in
// `vectors`.

// The batch text a message hands its child. As given, it is the host's own
// pointer, passed on unchanged: every child of one operation sees the same
// pointer and the text is never copied, which is safe while the caller waits
// for the call to end. keepCopy() is for a call that may outlive the caller's
// frame (a child with a timeout, whose call may be given up): the message
// then holds a copy of its own. An isolated child's stand-in copies the text
// into its request to the surrogate in any case, to cross the process.
class BatchText {
public:
    explicit BatchText(const char* hostText) : text(hostText) {}
    void keepCopy() {
        if (copy || !text) return;
        copy = std::make_unique<const std::string>(text);
        text = copy->c_str();
    }
    const char* c_str() const { return text; }

private:
    std::unique_ptr<const std::string> copy;
    const char* text;
};

class ConnectionGetCurrentTimeMessage : public QuellanMessage {
public:
    explicit ConnectionGetCurrentTimeMessage(uint32_t time) : time(time) {}
    const char* callName() const override { return "quellan2_connectionGetCurrentTime"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

    // Holds the caller's preset, and the child's answer once it has written one.
    uint32_t time;
};

// The result is vectors[0].
class ConnectionReadCurrentDataMessage : public QuellanMessage {
public:
    explicit ConnectionReadCurrentDataMessage(std::vector<QUELLAN2_TAG> tags) : tags(std::move(tags)) {
        vectors.assign(1, nullptr);
    }
    const char* callName() const override { return "quellan2_connectionReadCurrentData"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    std::vector<QUELLAN2_TAG> tags;
};

// Named after the extended function whether or not the child has it; without
// it the message emulates the call through the short one, a time point at a
// time. `slots` are the result slots, one per sample, lent by the caller.
class ConnectionReadHistoricalDataMessage : public QuellanMessage {
public:
    ConnectionReadHistoricalDataMessage(std::vector<QUELLAN2_TAG> tags, int32_t startTime, int32_t interval,
                                        std::vector<QUELLAN2_VECTOR> slots)
        : tags(std::move(tags)), startTime(startTime), interval(interval) {
        vectors = std::move(slots);
    }
    const char* callName() const override { return "quellan2_connectionReadHistoricalDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    std::vector<QUELLAN2_TAG> tags;
    int32_t startTime;
    int32_t interval;
};

// The result is vectors[0].
class ConnectionReadBatchDataMessage : public QuellanMessage {
public:
    ConnectionReadBatchDataMessage(std::vector<QUELLAN2_TAG> tags, const char* batch, int32_t batchTime)
        : tags(std::move(tags)), batch(batch), batchTime(batchTime) {
        vectors.assign(1, nullptr);
    }
    const char* callName() const override { return "quellan2_connectionReadBatchDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;
    void keepArguments() override { batch.keepCopy(); }

private:
    std::vector<QUELLAN2_TAG> tags;
    BatchText batch;
    int32_t batchTime;
};

// `values` are the vectors to write, one per sample, lent by the caller.
class ConnectionWriteHistoricalDataMessage : public QuellanMessage {
public:
    ConnectionWriteHistoricalDataMessage(std::vector<QUELLAN2_TAG> tags, int32_t startTime, int32_t interval,
                                         std::vector<QUELLAN2_VECTOR> values)
        : tags(std::move(tags)), startTime(startTime), interval(interval) {
        vectors = std::move(values);
    }
    const char* callName() const override { return "quellan2_connectionWriteHistoricalDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    std::vector<QUELLAN2_TAG> tags;
    int32_t startTime;
    int32_t interval;
};

// `values`, lent by the caller, is vectors[0].
class ConnectionWriteBatchDataMessage : public QuellanMessage {
public:
    ConnectionWriteBatchDataMessage(std::vector<QUELLAN2_TAG> tags, const char* batch, int32_t batchTime,
                                    QUELLAN2_VECTOR values)
        : tags(std::move(tags)), batch(batch), batchTime(batchTime) {
        vectors.assign(1, values);
    }
    const char* callName() const override { return "quellan2_connectionWriteBatchDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;
    void keepArguments() override { batch.keepCopy(); }

private:
    std::vector<QUELLAN2_TAG> tags;
    BatchText batch;
    int32_t batchTime;
};

// The list is vectors[0].
class NodeGetActiveBatchesMessage : public QuellanMessage {
public:
    NodeGetActiveBatchesMessage(QUELLAN2_NODE node, int32_t fromTime, int32_t toTime)
        : node(node), fromTime(fromTime), toTime(toTime) {
        vectors.assign(1, nullptr);
    }
    const char* callName() const override { return "quellan2_nodeGetActiveBatches"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    QUELLAN2_NODE node;
    int32_t fromTime;
    int32_t toTime;
};

class NodeGetBatchTimesMessage : public QuellanMessage {
public:
    NodeGetBatchTimesMessage(QUELLAN2_NODE node, const char* batch, int32_t batchTime, uint32_t startTime,
                             uint32_t endTime)
        : startTime(startTime), endTime(endTime), node(node), batch(batch), batchTime(batchTime) {}
    const char* callName() const override { return "quellan2_nodeGetBatchTimes"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;
    void keepArguments() override { batch.keepCopy(); }

    // The caller's presets, and the child's answers once it has written them.
    uint32_t startTime;
    uint32_t endTime;

private:
    QUELLAN2_NODE node;
    BatchText batch;
    int32_t batchTime;
};

class TagGetUpdateTimeMessage : public QuellanMessage {
public:
    TagGetUpdateTimeMessage(QUELLAN2_TAG tag, uint32_t time) : time(time), tag(tag) {}
    const char* callName() const override { return "quellan2_tagGetUpdateTime"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

    // The caller's preset, and the child's answer once it has written one.
    uint32_t time;

private:
    QUELLAN2_TAG tag;
};

}  // namespace mq
