// Making the reads' result vectors, spoilt as the controls ask.
#include "samples/simquellan/VectorResults.h"

#include <algorithm>

namespace simquellan {

void fillResult(SimVector& vector, const std::vector<Value>& values, const VectorQuirk& quirk) {
    std::size_t length = values.size();
    if (quirk.shorter) length = length > quirk.shorter ? length - quirk.shorter : std::min<std::size_t>(length, 1);
    vector.elements.assign(length + quirk.longer, Element());
    for (std::size_t i = 0; i < length; ++i) vector.elements[i].value = values[i];
    // Elements beyond the tags hold floats a host has no position for.
    for (std::size_t i = length; i < vector.elements.size(); ++i) vector.elements[i].value = static_cast<float>(i);
    length = vector.elements.size();
    if (quirk.unknownTypeAt && *quirk.unknownTypeAt < length) vector.elements[*quirk.unknownTypeAt].unknownType = true;
    if (quirk.failingGetAt && *quirk.failingGetAt < length) vector.elements[*quirk.failingGetAt].getterFails = true;
    if (quirk.reportedTypeAt && *quirk.reportedTypeAt < length)
        vector.elements[*quirk.reportedTypeAt].reportedType = quirk.reportedType;
}

std::unique_ptr<SimVector> makeResult(const std::vector<Value>& values, const VectorQuirk& quirk) {
    if (quirk.none) return nullptr;
    auto vector = std::make_unique<SimVector>();
    fillResult(*vector, values, quirk);
    return vector;
}

}  // namespace simquellan
