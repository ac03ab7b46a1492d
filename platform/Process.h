// Running a library's entry point in a process of its own.
#pragma once

#include <string>

namespace mq::platform {

// Starts the platform's runner on `entry` of the library at `libraryPath` and
// waits, without a time limit, until that process has ended. False when no
// process could be started; what the process did is not reported.
//   Windows: "rundll32.exe <short path>,<entry>" through CreateProcessA (the
//   long path when there is no short form).
//   POSIX: quellan-rundll from the library's folder, else from PATH, with the
//   arguments "quellan-rundll" and "<libraryPath>,<entry>"; no shell is
//   involved, so the path needs no quoting.
bool runLibraryEntry(const std::string& libraryPath, const std::string& entry);

}  // namespace mq::platform
