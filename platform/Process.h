// Running a library's entry point in a process of its own.
#pragma once

#include <string>

namespace mq::platform {

// Starts the platform's runner on `entry` of the library at `libraryPath` and
// waits, without a time limit, until that process has ended. False when no
// process could be started; what the process did is not reported. The runner
// is always named by its full path, never searched for.
//   Windows: <system folder>\rundll32.exe as the application name, with the
//   command line "rundll32.exe <short path>,<entry>" (the long path when there
//   is no short form, in double quotes when it holds a blank).
//   POSIX: quellan-rundll from the library's own folder and nowhere else, with
//   the arguments "quellan-rundll" and "<libraryPath>,<entry>"; no shell is
//   involved, so the path needs no quoting. The runner gets standard input,
//   output and error and no other descriptor of the host.
bool runLibraryEntry(const std::string& libraryPath, const std::string& entry);

}  // namespace mq::platform
