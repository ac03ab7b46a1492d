// The process's standard streams: whether they are terminals, and a reader that goes away.
#pragma once

namespace mq::platform {

// Not OUTPUT and ERROR: windows.h defines ERROR as a macro.
enum class StandardStream { STANDARD_OUTPUT, STANDARD_ERROR };

// True when the stream is a terminal (a console window on Windows) rather
// than a file or a pipe.
bool isTerminal(StandardStream stream);

// Prepares standard output for a program that writes UTF-8 text and may be
// cut off by its reader. POSIX: SIGPIPE is ignored, so that a write to a pipe
// whose reader has gone fails with EPIPE instead of ending the process.
// Windows: a console's output code page is set to UTF-8 (a closed pipe fails
// the write there already).
void prepareStandardOutput();

// True when the last failed write to a standard stream failed because its
// reader has gone (EPIPE: the run-time library maps Windows' broken-pipe
// errors to it too). Read errno right after the failure.
bool readerHasGone();

}  // namespace mq::platform
