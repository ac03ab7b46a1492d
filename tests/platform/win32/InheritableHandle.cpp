// Windows implementation of the inheritable handle: an anonymous pipe created inheritable.
#include "InheritableHandle.h"

#include <windows.h>

#include <stdexcept>

namespace mq::test {

InheritableHandle::InheritableHandle() {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE reads = nullptr, writes = nullptr;
    if (!CreatePipe(&reads, &writes, &inheritable, 0)) throw std::runtime_error("cannot create a pipe");
    readNumber = reinterpret_cast<std::intptr_t>(reads);
    number = reinterpret_cast<std::intptr_t>(writes);
}

InheritableHandle::~InheritableHandle() {
    CloseHandle(reinterpret_cast<HANDLE>(readNumber));
    CloseHandle(reinterpret_cast<HANDLE>(number));
}

// Only a pipe counts: a handle of another kind under the same number is the
// started process's own.
bool holdsPipe(std::int64_t value) {
    return GetFileType(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(value))) == FILE_TYPE_PIPE;
}

}  // namespace mq::test
