// Creating, filling and freeing child vectors through the child's function table.
#include "data/ChildVector.h"

#include "hosting/GuardedCall.h"

namespace mq {

ChildVector::~ChildVector() {
    guardedCall(child.proxy()->functions().vectorFree, handle);
}

ChildVectorSeries::ChildVectorSeries(const Quellan& child, uint32_t sampleCount, uint32_t length)
    : child(child), handles(sampleCount, nullptr) {
    const ChildFunctionTable& functions = child.proxy()->functions();
    for (QUELLAN2_VECTOR& handle : handles) guardedCall(functions.vectorCreate, length, &handle);
}

ChildVectorSeries::~ChildVectorSeries() {
    const ChildFunctionTable& functions = child.proxy()->functions();
    for (QUELLAN2_VECTOR handle : handles) guardedCall(functions.vectorFree, handle);
}

std::vector<QUELLAN2_VECTOR> ChildVectorSeries::lend() {
    std::vector<QUELLAN2_VECTOR> lent(handles.size(), nullptr);
    lent.swap(handles);
    return lent;
}

void ChildVectorSeries::takeBack(QuellanMessage& message) {
    if (!message.givenUp) handles = std::move(message.vectors);
}

void mergeChildVector(const Quellan& child, QUELLAN2_VECTOR childVector, const std::vector<uint32_t>& positions,
                      ValueVector& result) {
    const ChildFunctionTable& functions = child.proxy()->functions();
    // A faulting query leaves its element null; a string's text is taken
    // outside the guard.
    const auto step = [&](uint32_t k) {
        // A refused query (past the end of a short vector, say) counts as null.
        uint32_t type = QUELLAN2_TYPE_NULL;
        functions.vectorGetType(childVector, k, &type);
        if (type == QUELLAN2_TYPE_STRING) return false;
        if (type == QUELLAN2_TYPE_FLOAT) {
            float value = 0.0f;
            if (functions.vectorGetFloat(childVector, k, &value) == QUELLAN2_STATUS_OK)
                result.setFloat(positions[k], value);
        }
        return true;
    };
    guardedEach(static_cast<uint32_t>(positions.size()), step, [&](uint32_t k) {
        if (std::optional<std::string> text = child.vectorText(childVector, k))
            result.setString(positions[k], std::move(*text));
    });
}

void fillChildVector(const Quellan& child, QUELLAN2_VECTOR childVector, const ValueVector& values,
                     const std::vector<uint32_t>& positions) {
    const ChildFunctionTable& functions = child.proxy()->functions();
    for (uint32_t k = 0; k < positions.size(); ++k) {
        if (const std::string* text = values.stringAt(positions[k]))
            guardedCall(functions.vectorSetString, childVector, k, text->c_str());
        else if (const float* value = values.floatAt(positions[k]))
            guardedCall(functions.vectorSetFloat, childVector, k, *value);
    }
}

}  // namespace mq
