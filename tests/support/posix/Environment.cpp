#include "support/Environment.h"

#include <stdlib.h>

namespace mq::test {

void setEnvironmentVariable(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace mq::test
