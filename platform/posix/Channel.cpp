// POSIX implementation of the channel: one end of a stream socket pair, read and written whole.
#include "platform/Channel.h"

#include <errno.h>
#include <sys/socket.h>
#include <unistd.h>

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
        // MSG_NOSIGNAL: a peer that is gone gives EPIPE here rather than a
        // SIGPIPE that would end the host.
        const ssize_t sent = ::send(static_cast<int>(writeEnd), next, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool Channel::read(void* data, std::size_t size) noexcept {
    if (readEnd == CLOSED) return false;
    auto* next = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t received = ::recv(static_cast<int>(readEnd), next, size, 0);
        if (received == 0) return false;
        if (received < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += received;
        size -= static_cast<std::size_t>(received);
    }
    return true;
}

void Channel::close() noexcept {
    if (readEnd == CLOSED) return;
    // Both ends name the same socket; an interrupted close has still closed
    // it on Linux, so it is never retried.
    ::close(static_cast<int>(readEnd));
    readEnd = CLOSED;
    writeEnd = CLOSED;
}

}  // namespace mq::platform
