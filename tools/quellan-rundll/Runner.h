// The body of quellan-rundll, shared with test programs that stand in for it.
#pragma once

namespace mq::tools {

// Takes "LIBRARY,ENTRY" and the rest of the command line, loads the library
// and calls ENTRY(null window, null instance, rest, 1), the way the Windows
// runner calls an entry point. Returns the process's exit status: 0 when the
// entry was called, 2 for a bad command line, 3 when the library or the entry
// cannot be had (with a line on standard error).
int runEntryPoint(int argc, char** argv);

}  // namespace mq::tools
