// The processes this test process has started, and its own threads, as the system sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mq::test {

// The system's number for this process.
std::int64_t thisProcessId();

// The processes whose parent is `parentId`, in no particular order. On Linux
// this includes zombies (ended but not reaped: a process left behind all the
// same); on Windows, the processes the system still lists, which a process
// that has ended and whose last handle is closed no longer is.
std::vector<std::int64_t> childProcessesOf(std::int64_t parentId);

// True while the process `id` runs: on Linux it exists and is not a zombie;
// on Windows it can be opened and has not ended. A number the system has
// given to a new process since counts as that process.
bool processExists(std::int64_t id);

// Ends the process `id` at once, as a kill from outside would; false when it
// could not be asked to.
bool killProcess(std::int64_t id);

// How many threads this process has now, its main thread included.
std::size_t threadsOfThisProcess();

}  // namespace mq::test
