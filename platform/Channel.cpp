// The channel on every platform: its moves, and reads and writes made whole from the platform's pieces.
#include "platform/Channel.h"

#include <utility>

namespace mq::platform {

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
        const std::ptrdiff_t sent = sendSome(writeEnd, next, size);
        if (sent < 0) return false;
        next += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool Channel::read(void* data, std::size_t size) noexcept {
    if (readEnd == CLOSED) return false;
    auto* next = static_cast<char*>(data);
    while (size > 0) {
        const std::ptrdiff_t received = receiveSome(readEnd, next, size);
        if (received <= 0) return false;
        next += received;
        size -= static_cast<std::size_t>(received);
    }
    return true;
}

void Channel::close() noexcept {
    if (readEnd != CLOSED) closeEnd(readEnd);
    // On POSIX systems both ends name the same socket: it is closed once.
    if (writeEnd != CLOSED && writeEnd != readEnd) closeEnd(writeEnd);
    readEnd = CLOSED;
    writeEnd = CLOSED;
}

}  // namespace mq::platform
