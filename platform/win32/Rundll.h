// Where the system's rundll32.exe is, and the command line that tells it which entry of which library to run.
#pragma once

#include <string>

namespace mq::platform {

// <system folder>\rundll32.exe, to be started by this full path: given no
// application name, CreateProcessA would search the host's folder and the
// current folder first and run whatever rundll32.exe lies there. Empty when
// the system folder cannot be had.
std::string systemRundllPath();

// "rundll32.exe <path>,<entry>", with `path` in double quotes when it holds a
// blank, at which rundll32 would otherwise split it. Callers pass the short
// form of the path where there is one. Empty when the line would be longer
// than the 1023 characters the configuration process's start allows: a cut
// line would name another file.
std::string rundllCommandLine(const std::string& path, const std::string& entry);

}  // namespace mq::platform
