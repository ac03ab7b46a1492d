// The call messages that the data operations send to a child: one template
// over the call, and the nine calls it is instantiated for.
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

// The fallback policies: what a message does when its child lacks the
// function the message is named after.
//
// OnlyFunction: the call has no other form; the child's function is called.
struct OnlyFunction {
    template <class Call>
    static QUELLAN2_STATUS execute(Call& call, QuellanProxy& proxy) {
        return call.callChild(proxy);
    }
};

// ExtendedOr<Fallback>: the extended function when the child has it (the
// call's hasExtended), else Fallback through the short function.
template <class Fallback>
struct ExtendedOr {
    template <class Call>
    static QUELLAN2_STATUS execute(Call& call, QuellanProxy& proxy) {
        if (Call::hasExtended(proxy)) return call.callChild(proxy);
        return Fallback::execute(call, proxy);
    }
};

// The short function without the batch time, which it cannot express: a
// negative batch time is refused without calling the child.
struct ShortBatchCall {
    template <class Call>
    static QUELLAN2_STATUS execute(Call& call, QuellanProxy& proxy) {
        if (call.batchTime < 0) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return call.callShort(proxy);
    }
};

// The series emulated through the short function, one time point at a time
// (the call's callShort(proxy, sample)). A series that reads
// (READS_SLOTS) gives back a slot's vector before the child fills the slot,
// and, when a time point fails, the samples read so far.
struct ShortSeriesCalls {
    template <class Call>
    static QUELLAN2_STATUS execute(Call& call, QuellanProxy& proxy);
};

// One call on a child as a message. Call is the message without its
// virtual functions: it takes the call's arguments in its constructor (its
// public fields beyond those are the caller's presets and the child's
// answers), names the interface function (NAME) and the fallback policy
// (Policy), and calls the child (callChild, and callShort for a fallback).
template <class Call>
class CallMessage final : public Call {
public:
    using Call::Call;
    const char* callName() const override { return Call::NAME; }
    QUELLAN2_STATUS execute(QuellanProxy& proxy) override {
        return Call::Policy::execute(static_cast<Call&>(*this), proxy);
    }
};

namespace calls {

struct ConnectionGetCurrentTime : QuellanMessage {
    static constexpr const char* NAME = "quellan2_connectionGetCurrentTime";
    using Policy = OnlyFunction;
    explicit ConnectionGetCurrentTime(uint32_t time) : time(time) {}
    QUELLAN2_STATUS callChild(QuellanProxy& proxy);

    // Holds the caller's preset, and the child's answer once it has written one.
    uint32_t time;
};

// The result is vectors[0].
struct ConnectionReadCurrentData : QuellanMessage {
    static constexpr const char* NAME = "quellan2_connectionReadCurrentData";
    using Policy = OnlyFunction;
    explicit ConnectionReadCurrentData(std::vector<QUELLAN2_TAG> tags) : tags(std::move(tags)) {
        vectors.assign(1, nullptr);
    }
    QUELLAN2_STATUS callChild(QuellanProxy& proxy);

    std::vector<QUELLAN2_TAG> tags;
};

// A historical read or write, named after the extended function whether or
// not the child has it. The vectors, one per sample, are lent by the caller:
// the result slots of a read, the values of a write. Time points already
// written stay written when a later one fails.
template <bool READS>
struct HistoricalSeries : QuellanMessage {
    static constexpr const char* NAME =
        READS ? "quellan2_connectionReadHistoricalDataEx" : "quellan2_connectionWriteHistoricalDataEx";
    using Policy = ExtendedOr<ShortSeriesCalls>;
    static constexpr bool READS_SLOTS = READS;
    HistoricalSeries(std::vector<QUELLAN2_TAG> tags, int32_t startTime, int32_t interval,
                     std::vector<QUELLAN2_VECTOR> lent)
        : tags(std::move(tags)), startTime(startTime), interval(interval) {
        vectors = std::move(lent);
    }
    static bool hasExtended(QuellanProxy& proxy);
    QUELLAN2_STATUS callChild(QuellanProxy& proxy);
    QUELLAN2_STATUS callShort(QuellanProxy& proxy, uint32_t sample);

    std::vector<QUELLAN2_TAG> tags;
    int32_t startTime;
    int32_t interval;
};
// Its members are defined and instantiated for both directions in CallMessages.cpp.
extern template struct HistoricalSeries<true>;
extern template struct HistoricalSeries<false>;
using ConnectionReadHistoricalData = HistoricalSeries<true>;
using ConnectionWriteHistoricalData = HistoricalSeries<false>;

// A batch read or write, named after the extended function. vectors[0] is
// the result of a read, or the values of a write, lent by the caller.
template <bool READS>
struct BatchData : QuellanMessage {
    static constexpr const char* NAME =
        READS ? "quellan2_connectionReadBatchDataEx" : "quellan2_connectionWriteBatchDataEx";
    using Policy = ExtendedOr<ShortBatchCall>;
    BatchData(std::vector<QUELLAN2_TAG> tags, const char* batch, int32_t batchTime, QUELLAN2_VECTOR values = nullptr)
        : tags(std::move(tags)), batch(batch), batchTime(batchTime) {
        vectors.assign(1, values);
    }
    void keepArguments() override { batch.keepCopy(); }
    static bool hasExtended(QuellanProxy& proxy);
    QUELLAN2_STATUS callChild(QuellanProxy& proxy);
    QUELLAN2_STATUS callShort(QuellanProxy& proxy);

    std::vector<QUELLAN2_TAG> tags;
    BatchText batch;
    int32_t batchTime;
};
extern template struct BatchData<true>;
extern template struct BatchData<false>;
using ConnectionReadBatchData = BatchData<true>;
using ConnectionWriteBatchData = BatchData<false>;

// The list is vectors[0].
struct NodeGetActiveBatches : QuellanMessage {
    static constexpr const char* NAME = "quellan2_nodeGetActiveBatches";
    using Policy = OnlyFunction;
    NodeGetActiveBatches(QUELLAN2_NODE node, int32_t fromTime, int32_t toTime)
        : node(node), fromTime(fromTime), toTime(toTime) {
        vectors.assign(1, nullptr);
    }
    QUELLAN2_STATUS callChild(QuellanProxy& proxy);

    QUELLAN2_NODE node;
    int32_t fromTime;
    int32_t toTime;
};

struct NodeGetBatchTimes : QuellanMessage {
    static constexpr const char* NAME = "quellan2_nodeGetBatchTimes";
    using Policy = OnlyFunction;
    NodeGetBatchTimes(QUELLAN2_NODE node, const char* batch, int32_t batchTime, uint32_t startTime, uint32_t endTime)
        : startTime(startTime), endTime(endTime), node(node), batch(batch), batchTime(batchTime) {}
    void keepArguments() override { batch.keepCopy(); }
    QUELLAN2_STATUS callChild(QuellanProxy& proxy);

    // The caller's presets, and the child's answers once it has written them.
    uint32_t startTime;
    uint32_t endTime;
    QUELLAN2_NODE node;
    BatchText batch;
    int32_t batchTime;
};

struct TagGetUpdateTime : QuellanMessage {
    static constexpr const char* NAME = "quellan2_tagGetUpdateTime";
    using Policy = OnlyFunction;
    TagGetUpdateTime(QUELLAN2_TAG tag, uint32_t time) : time(time), tag(tag) {}
    QUELLAN2_STATUS callChild(QuellanProxy& proxy);

    // The caller's preset, and the child's answer once it has written one.
    uint32_t time;
    QUELLAN2_TAG tag;
};

}  // namespace calls

using ConnectionGetCurrentTimeMessage = CallMessage<calls::ConnectionGetCurrentTime>;
using ConnectionReadCurrentDataMessage = CallMessage<calls::ConnectionReadCurrentData>;
using ConnectionReadHistoricalDataMessage = CallMessage<calls::ConnectionReadHistoricalData>;
using ConnectionReadBatchDataMessage = CallMessage<calls::ConnectionReadBatchData>;
using ConnectionWriteHistoricalDataMessage = CallMessage<calls::ConnectionWriteHistoricalData>;
using ConnectionWriteBatchDataMessage = CallMessage<calls::ConnectionWriteBatchData>;
using NodeGetActiveBatchesMessage = CallMessage<calls::NodeGetActiveBatches>;
using NodeGetBatchTimesMessage = CallMessage<calls::NodeGetBatchTimes>;
using TagGetUpdateTimeMessage = CallMessage<calls::TagGetUpdateTime>;

}  // namespace mq
