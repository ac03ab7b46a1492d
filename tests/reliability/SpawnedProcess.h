// A program started by a test and ended by it at a moment of the test's choosing.
#pragma once

#include <string>
#include <vector>

namespace mq::test {

class SpawnedProcess {
public:
    // Starts `program` with `arguments`, without a shell; raises
    // std::runtime_error when it cannot be started.
    SpawnedProcess(const std::string& program, const std::vector<std::string>& arguments);
    // Kills the process if it still runs, and waits for it.
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    // Ends the process at once, as a power cut would end a program (on
    // POSIX with SIGKILL), and waits until it is gone. True when it was
    // still running, so that the kill ended it.
    bool kill();
    // True once the process has ended by itself (it is not reaped, so
    // kill() still reports how it ended).
    bool hasEnded() const;

private:
    long long id = 0;
    bool ended = false;
};

}  // namespace mq::test
