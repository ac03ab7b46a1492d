// Windows: terminals are console handles; a console is switched to UTF-8 output.
#include "platform/Console.h"

#include <windows.h>

#include <cerrno>

namespace mq::platform {

bool isTerminal(StandardStream stream) {
    HANDLE handle = GetStdHandle(stream == StandardStream::STANDARD_OUTPUT ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    // GetConsoleMode succeeds only on a console handle, not on a file or pipe.
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void prepareStandardOutput() {
    if (isTerminal(StandardStream::STANDARD_OUTPUT) || isTerminal(StandardStream::STANDARD_ERROR))
        SetConsoleOutputCP(CP_UTF8);
}

bool readerHasGone() {
    // The run-time library maps ERROR_BROKEN_PIPE and ERROR_NO_DATA to EPIPE;
    // the Win32 error is checked as well for writes it did not translate.
    const DWORD error = GetLastError();
    return errno == EPIPE || error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA;
}

}  // namespace mq::platform
