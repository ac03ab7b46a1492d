// Changing the test process's environment.
#pragma once

#include <string>

namespace mq::test {

void setEnvironmentVariable(const std::string& name, const std::string& value);

}  // namespace mq::test
