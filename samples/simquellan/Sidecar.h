// The sidecar file: the plant and the behaviour script, one line each.
#pragma once

#include "samples/simquellan/Behaviour.h"
#include "samples/simquellan/Plant.h"

#include <string>

namespace simquellan {

// The plant of a library that has no sidecar.
extern const char* const DEFAULT_SIDECAR;

// Applies one line. Blank lines and lines starting with '#' do nothing; a
// line that cannot be applied gives false and says why in `error`.
bool applyLine(const std::string& line, Plant& plant, Behaviour& behaviour, std::string& error);

}  // namespace simquellan
