// POSIX implementation of the inheritable handle: a pipe without close-on-exec.
#include "InheritableHandle.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

namespace mq::test {

InheritableHandle::InheritableHandle() {
    int ends[2];
    if (pipe(ends) != 0) throw std::runtime_error("cannot create a pipe");
    readNumber = ends[0];
    number = ends[1];
}

InheritableHandle::~InheritableHandle() {
    close(static_cast<int>(readNumber));
    close(static_cast<int>(number));
}

bool holdsPipe(std::int64_t value) {
    return fcntl(static_cast<int>(value), F_GETFD) != -1;
}

}  // namespace mq::test
