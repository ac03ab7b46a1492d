// Starting a Windows process, with a start that the system lost before the program ran tried again.
#pragma once

#include <windows.h>

#include <string>

namespace mq::platform {

// CreateProcessA(program, commandLine, ...) with no security attributes and
// this process's environment. `commandLine` is copied, since CreateProcessA
// may write into it. True when the process was created.
//
// Under wine a new process can end while wine's loader is still mapping it,
// before one instruction of the program has run; CreateProcess then fails
// with ERROR_INTERNAL_ERROR, which Windows itself does not give for a start.
// As nothing of the program ran, starting it again repeats nothing: that
// error alone is retried, a few times.
bool startProcess(const std::string& program, const std::string& commandLine, bool inheritHandles, DWORD flags,
                  const char* currentFolder, STARTUPINFOA& startup, PROCESS_INFORMATION& process);

}  // namespace mq::platform
