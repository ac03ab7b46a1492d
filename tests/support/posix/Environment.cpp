#include "support/Environment.h"

#include <stdlib.h>

namespace mq::test {

void setEnvironmentVariable(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

bool systemTextIsUtf8() {
    return true;
}

}  // namespace mq::test
