// The test process's environment: its variables, and the code page its text is in.
#pragma once

#include <string>

namespace mq::test {

void setEnvironmentVariable(const std::string& name, const std::string& value);

// True when the system's code page for narrow text is UTF-8, so that a
// plug-in's names may hold any character: always on POSIX; on Windows when
// the ANSI code page is 65001.
bool systemTextIsUtf8();

}  // namespace mq::test
