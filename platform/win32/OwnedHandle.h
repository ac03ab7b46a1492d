// Windows kernel handles and LocalAlloc'd memory, owned by the scope that took them.
#pragma once

#include <windows.h>

#include <memory>

namespace mq::platform {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A process, thread or token handle (never INVALID_HANDLE_VALUE, which only
// the file functions hand out).
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
// What the system allocates for its caller: security descriptors, message texts.
template <typename T>
using LocalMemory = std::unique_ptr<T, LocalFreer>;

}  // namespace mq::platform
