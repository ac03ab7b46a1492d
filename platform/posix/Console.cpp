// POSIX: terminals by isatty, SIGPIPE ignored so that a closed pipe is an error code.
#include "platform/Console.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

namespace mq::platform {

bool isTerminal(StandardStream stream) {
    return isatty(stream == StandardStream::STANDARD_OUTPUT ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

void prepareStandardOutput() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

bool readerHasGone() {
    return errno == EPIPE;
}

}  // namespace mq::platform
