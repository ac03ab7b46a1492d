// Which program can run a child's library, by the processor its code is built for.
#pragma once

#include <string>

namespace mq {

// What the library file's header says about where it can run. A library
// built for this process's machine, or one whose header says nothing (not a
// PE image, unreadable, any Linux library), runs as configured; the loader
// says why when it cannot. A 32-bit x86 library in the 64-bit Windows host
// can never be loaded into the host, so it always runs in the 32-bit
// surrogate, whatever its isolation says.
struct ChildMachine {
    // The surrogate program that serves the child when it is isolated.
    std::string surrogateProgram;
    // Isolated whatever the configuration says.
    bool alwaysIsolated = false;
    // Why neither this process nor a surrogate can load it; empty when one can.
    std::string refusal;
    // What `quellan children` notes about a library that runs in the 32-bit surrogate.
    std::string note;
};

ChildMachine childMachine(const std::string& path);

}  // namespace mq
