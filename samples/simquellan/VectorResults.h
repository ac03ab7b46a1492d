// Result vectors of the reads and of the batch list, spoilt as the controls ask.
#pragma once

#include "samples/simquellan/Behaviour.h"
#include "samples/simquellan/Objects.h"

#include <memory>
#include <vector>

namespace simquellan {

// Replaces the vector's elements with the values, less the quirk's shortfall
// (at least one element stays) or plus its surplus, with the quirk's odd
// elements marked.
void fillResult(SimVector& vector, const std::vector<Value>& values, const VectorQuirk& quirk);

// A new vector as fillResult makes it; null when the quirk asks for no vector.
std::unique_ptr<SimVector> makeResult(const std::vector<Value>& values, const VectorQuirk& quirk);

}  // namespace simquellan
