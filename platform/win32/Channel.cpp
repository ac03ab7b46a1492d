// Windows pieces of the channel: two anonymous pipes, one for each direction.
#include "platform/Channel.h"

#include <windows.h>

#include <algorithm>

namespace mq::platform {

namespace {

// ReadFile and WriteFile count in DWORDs: larger transfers go in pieces.
constexpr std::size_t LARGEST_PIECE = 1u << 30;

HANDLE handleOf(std::intptr_t end) {
    return reinterpret_cast<HANDLE>(end);
}

}  // namespace

std::ptrdiff_t Channel::sendSome(std::intptr_t end, const char* data, std::size_t size) noexcept {
    // A reader that is gone fails the write (ERROR_NO_DATA); Windows has no signal for it.
    DWORD written = 0;
    if (!WriteFile(handleOf(end), data, static_cast<DWORD>(std::min(size, LARGEST_PIECE)), &written, nullptr))
        return -1;
    return static_cast<std::ptrdiff_t>(written);
}

std::ptrdiff_t Channel::receiveSome(std::intptr_t end, char* data, std::size_t size) noexcept {
    // A writer that is gone fails the read (ERROR_BROKEN_PIPE) once the pipe is empty.
    DWORD received = 0;
    if (!ReadFile(handleOf(end), data, static_cast<DWORD>(std::min(size, LARGEST_PIECE)), &received, nullptr))
        return -1;
    return static_cast<std::ptrdiff_t>(received);
}

void Channel::closeEnd(std::intptr_t end) noexcept {
    CloseHandle(handleOf(end));
}

}  // namespace mq::platform
