// POSIX pieces of the channel: one end of a stream socket pair.
#include "platform/Channel.h"

#include <errno.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mq::platform {

std::ptrdiff_t Channel::sendSome(std::intptr_t end, const char* data, std::size_t size) noexcept {
    for (;;) {
        // MSG_NOSIGNAL: a peer that is gone gives EPIPE here rather than a
        // SIGPIPE that would end the host.
        const ssize_t sent = ::send(static_cast<int>(end), data, size, MSG_NOSIGNAL);
        if (sent >= 0) return sent;
        if (errno != EINTR) return -1;
    }
}

std::ptrdiff_t Channel::receiveSome(std::intptr_t end, char* data, std::size_t size) noexcept {
    for (;;) {
        const ssize_t received = ::recv(static_cast<int>(end), data, size, 0);
        if (received >= 0) return received;
        if (errno != EINTR) return -1;
    }
}

void Channel::closeEnd(std::intptr_t end) noexcept {
    // An interrupted close has still closed the socket on Linux, so it is never retried.
    ::close(static_cast<int>(end));
}

}  // namespace mq::platform
