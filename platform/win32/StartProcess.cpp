// Starting a Windows process: CreateProcessA, with a start wine lost before the program ran tried again.
#include "platform/win32/StartProcess.h"

#include <vector>

namespace mq::platform {

bool startProcess(const std::string& program, const std::string& commandLine, bool inheritHandles, DWORD flags,
                  const char* currentFolder, STARTUPINFOA& startup, PROCESS_INFORMATION& process) {
    constexpr int ATTEMPTS = 3;
    for (int attempt = 1;; ++attempt) {
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, inheritHandles ? TRUE : FALSE, flags,
                           nullptr, currentFolder, &startup, &process))
            return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == ATTEMPTS) return false;
    }
}

}  // namespace mq::platform
