#include "support/Environment.h"

#include <windows.h>

#include <stdlib.h>

namespace mq::test {

void setEnvironmentVariable(const std::string& name, const std::string& value) {
    _putenv_s(name.c_str(), value.c_str());
}

bool systemTextIsUtf8() {
    return GetACP() == CP_UTF8;
}

}  // namespace mq::test
