// A rundll32.exe planted where a search for one would find it: if it is ever
// started, it creates the file named by MQ_TEST_PLANTED_MARKER.
#include <windows.h>

int main() {
    char marker[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("MQ_TEST_PLANTED_MARKER", marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(file);
    return 0;
}
