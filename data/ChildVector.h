// Child vectors owned for the span of one data operation.
#pragma once

#include "hosting/Quellan.h"
#include "hosting/QuellanMessage.h"
#include "interface/ValueVector.h"
#include "quellan2.h"

#include <cstdint>
#include <vector>

namespace mq {

// A child's vector handle, given back to the child when the operation is done
// with it, also when the child never delivered one (the handle is then null).
class ChildVector {
public:
    explicit ChildVector(const Quellan& child) : child(child) {}
    ~ChildVector();
    ChildVector(const ChildVector&) = delete;
    ChildVector& operator=(const ChildVector&) = delete;

    QUELLAN2_VECTOR* address() { return &handle; }
    QUELLAN2_VECTOR get() const { return handle; }

private:
    const Quellan& child;
    QUELLAN2_VECTOR handle = nullptr;
};

// One child vector per time point, made by the child itself, given back in
// slot order.
class ChildVectorSeries {
public:
    ChildVectorSeries(const Quellan& child, uint32_t sampleCount, uint32_t length);
    ~ChildVectorSeries();
    ChildVectorSeries(const ChildVectorSeries&) = delete;
    ChildVectorSeries& operator=(const ChildVectorSeries&) = delete;

    QUELLAN2_VECTOR* slots() { return handles.data(); }
    QUELLAN2_VECTOR at(uint32_t sample) const { return handles[sample]; }

    // Hands the vectors to a call message for the span of its call; the
    // slots are empty meanwhile.
    std::vector<QUELLAN2_VECTOR> lend();
    // Takes back what the message holds once its call has ended, unless the
    // caller gave the call up: the message then gives them back to the child.
    void takeBack(QuellanMessage& message);

private:
    const Quellan& child;
    std::vector<QUELLAN2_VECTOR> handles;
};

// Copies the strings and floats of a child's answer to the host positions its
// elements stand for; anything else, and anything the child refuses to
// deliver, leaves the position null.
void mergeChildVector(const Quellan& child, QUELLAN2_VECTOR childVector, const std::vector<uint32_t>& positions,
                      ValueVector& result);

// Fills a child vector made by the child with the host's values at the given
// positions. Null host elements stay null.
void fillChildVector(const Quellan& child, QUELLAN2_VECTOR childVector, const ValueVector& values,
                     const std::vector<uint32_t>& positions);

}  // namespace mq
