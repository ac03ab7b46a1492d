// Windows implementation of the channel: two anonymous pipes, one for each direction, read and written whole.
#include "platform/Channel.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace mq::platform {

namespace {

// ReadFile and WriteFile count in DWORDs: larger transfers go in pieces.
constexpr std::size_t LARGEST_PIECE = 1u << 30;

HANDLE handleOf(std::intptr_t end) {
    return reinterpret_cast<HANDLE>(end);
}

}  // namespace

Channel::~Channel() {
    close();
}

Channel::Channel(Channel&& other) noexcept
    : readEnd(std::exchange(other.readEnd, CLOSED)), writeEnd(std::exchange(other.writeEnd, CLOSED)) {}

Channel& Channel::operator=(Channel&& other) noexcept {
    if (this != &other) {
        close();
        readEnd = std::exchange(other.readEnd, CLOSED);
        writeEnd = std::exchange(other.writeEnd, CLOSED);
    }
    return *this;
}

bool Channel::write(const void* data, std::size_t size) noexcept {
    if (writeEnd == CLOSED) return false;
    const auto* next = static_cast<const char*>(data);
    while (size > 0) {
        // A reader that is gone fails the write (ERROR_NO_DATA); Windows has no signal for it.
        DWORD written = 0;
        if (!WriteFile(handleOf(writeEnd), next, static_cast<DWORD>(std::min(size, LARGEST_PIECE)), &written,
                       nullptr))
            return false;
        next += written;
        size -= written;
    }
    return true;
}

bool Channel::read(void* data, std::size_t size) noexcept {
    if (readEnd == CLOSED) return false;
    auto* next = static_cast<char*>(data);
    while (size > 0) {
        // A writer that is gone fails the read (ERROR_BROKEN_PIPE) once the pipe is empty.
        DWORD received = 0;
        if (!ReadFile(handleOf(readEnd), next, static_cast<DWORD>(std::min(size, LARGEST_PIECE)), &received,
                      nullptr) ||
            received == 0)
            return false;
        next += received;
        size -= received;
    }
    return true;
}

void Channel::close() noexcept {
    if (readEnd != CLOSED) CloseHandle(handleOf(readEnd));
    if (writeEnd != CLOSED) CloseHandle(handleOf(writeEnd));
    readEnd = CLOSED;
    writeEnd = CLOSED;
}

}  // namespace mq::platform
