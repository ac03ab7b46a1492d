// Whether a library is loaded in the test process.
#pragma once

#include <string>

namespace mq::test {

// True when the library at `path` is loaded in this process; loads nothing.
bool moduleIsLoaded(const std::string& path);

}  // namespace mq::test
