// MultiQuellan loaded as a host loads it, for the fuzz targets.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/LibraryHandle.h"

#include <string>

namespace mq::fuzz {

// The library beside the fuzz target, loaded once for the whole run: the
// fuzzer keeps counters inside it, so it must not come and go between inputs.
const ChildExports& multiQuellan();

// A library of this build, by base name, beside the fuzz target.
std::string builtLibrary(const std::string& baseName);

}  // namespace mq::fuzz
