// A descriptor or handle that a started process would inherit unless its starter prevents it.
#pragma once

#include <cstdint>

namespace mq::test {

// The writing end of a pipe, made inheritable (POSIX: without close-on-exec),
// open for the object's lifetime.
class InheritableHandle {
public:
    InheritableHandle();
    ~InheritableHandle();
    InheritableHandle(const InheritableHandle&) = delete;
    InheritableHandle& operator=(const InheritableHandle&) = delete;

    // Its number, as another process would see it after inheriting it.
    std::int64_t value() const { return number; }

private:
    std::int64_t readNumber;
    std::int64_t number;
};

// In a started process: true when `value` names a pipe this process holds,
// as it does after inheriting an InheritableHandle of its starter. On POSIX
// any open descriptor counts.
bool holdsPipe(std::int64_t value);

}  // namespace mq::test
