// The nine call messages that the data operations send to a child.
#pragma once

#include "hosting/QuellanMessage.h"

#include <cstdint>

namespace mq {

// Every handle a message carries is the child's own; addresses point into the
// caller's memory, which the child reads or writes through.

class ConnectionGetCurrentTimeMessage : public QuellanMessage {
public:
    explicit ConnectionGetCurrentTimeMessage(uint32_t* time) : time(time) {}
    const char* callName() const override { return "quellan2_connectionGetCurrentTime"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    uint32_t* time;
};

class ConnectionReadCurrentDataMessage : public QuellanMessage {
public:
    ConnectionReadCurrentDataMessage(const QUELLAN2_TAG* tags, uint32_t tagCount, QUELLAN2_VECTOR* result)
        : tags(tags), tagCount(tagCount), result(result) {}
    const char* callName() const override { return "quellan2_connectionReadCurrentData"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    const QUELLAN2_TAG* tags;
    uint32_t tagCount;
    QUELLAN2_VECTOR* result;
};

// Named after the extended function whether or not the child has it; without
// it the message emulates the call through the short one, a time point at a time.
class ConnectionReadHistoricalDataMessage : public QuellanMessage {
public:
    ConnectionReadHistoricalDataMessage(const QUELLAN2_TAG* tags, uint32_t tagCount, int32_t startTime,
                                        int32_t interval, uint32_t sampleCount, QUELLAN2_VECTOR* results)
        : tags(tags), tagCount(tagCount), startTime(startTime), interval(interval), sampleCount(sampleCount),
          results(results) {}
    const char* callName() const override { return "quellan2_connectionReadHistoricalDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    const QUELLAN2_TAG* tags;
    uint32_t tagCount;
    int32_t startTime;
    int32_t interval;
    uint32_t sampleCount;
    QUELLAN2_VECTOR* results;
};

class ConnectionReadBatchDataMessage : public QuellanMessage {
public:
    ConnectionReadBatchDataMessage(const QUELLAN2_TAG* tags, uint32_t tagCount, const char* batch,
                                   int32_t batchTime, QUELLAN2_VECTOR* result)
        : tags(tags), tagCount(tagCount), batch(batch), batchTime(batchTime), result(result) {}
    const char* callName() const override { return "quellan2_connectionReadBatchDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    const QUELLAN2_TAG* tags;
    uint32_t tagCount;
    const char* batch;
    int32_t batchTime;
    QUELLAN2_VECTOR* result;
};

class ConnectionWriteHistoricalDataMessage : public QuellanMessage {
public:
    ConnectionWriteHistoricalDataMessage(const QUELLAN2_TAG* tags, uint32_t tagCount, int32_t startTime,
                                         int32_t interval, uint32_t sampleCount, const QUELLAN2_VECTOR* values)
        : tags(tags), tagCount(tagCount), startTime(startTime), interval(interval), sampleCount(sampleCount),
          values(values) {}
    const char* callName() const override { return "quellan2_connectionWriteHistoricalDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    const QUELLAN2_TAG* tags;
    uint32_t tagCount;
    int32_t startTime;
    int32_t interval;
    uint32_t sampleCount;
    const QUELLAN2_VECTOR* values;
};

class ConnectionWriteBatchDataMessage : public QuellanMessage {
public:
    ConnectionWriteBatchDataMessage(const QUELLAN2_TAG* tags, uint32_t tagCount, const char* batch,
                                    int32_t batchTime, QUELLAN2_VECTOR values)
        : tags(tags), tagCount(tagCount), batch(batch), batchTime(batchTime), values(values) {}
    const char* callName() const override { return "quellan2_connectionWriteBatchDataEx"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    const QUELLAN2_TAG* tags;
    uint32_t tagCount;
    const char* batch;
    int32_t batchTime;
    QUELLAN2_VECTOR values;
};

class NodeGetActiveBatchesMessage : public QuellanMessage {
public:
    NodeGetActiveBatchesMessage(QUELLAN2_NODE node, int32_t fromTime, int32_t toTime, QUELLAN2_VECTOR* result)
        : node(node), fromTime(fromTime), toTime(toTime), result(result) {}
    const char* callName() const override { return "quellan2_nodeGetActiveBatches"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    QUELLAN2_NODE node;
    int32_t fromTime;
    int32_t toTime;
    QUELLAN2_VECTOR* result;
};

class NodeGetBatchTimesMessage : public QuellanMessage {
public:
    NodeGetBatchTimesMessage(QUELLAN2_NODE node, const char* batch, int32_t batchTime, uint32_t* startTime,
                             uint32_t* endTime)
        : node(node), batch(batch), batchTime(batchTime), startTime(startTime), endTime(endTime) {}
    const char* callName() const override { return "quellan2_nodeGetBatchTimes"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    QUELLAN2_NODE node;
    const char* batch;
    int32_t batchTime;
    uint32_t* startTime;
    uint32_t* endTime;
};

class TagGetUpdateTimeMessage : public QuellanMessage {
public:
    TagGetUpdateTimeMessage(QUELLAN2_TAG tag, uint32_t* time) : tag(tag), time(time) {}
    const char* callName() const override { return "quellan2_tagGetUpdateTime"; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override;

private:
    QUELLAN2_TAG tag;
    uint32_t* time;
};

}  // namespace mq
