// The configuration file that a test's Multiplexer reads.
#pragma once

#include "support/TestEnvironment.h"

#include <string>
#include <vector>

namespace mq::test {

// Points the library at a configuration of the test's own. On Linux the
// machine folder is moved into a scratch folder (XDG_CONFIG_DIRS); on Windows
// the machine's own file is used, and whatever was there before is put back
// when the object goes (such tests hold CTest's configuration-file lock).
class MachineConfiguration {
public:
    MachineConfiguration();
    ~MachineConfiguration();
    MachineConfiguration(const MachineConfiguration&) = delete;
    MachineConfiguration& operator=(const MachineConfiguration&) = delete;

    const std::string& filePath() const { return path; }
    void writeChildren(const std::vector<std::string>& childPaths) const;
    void writeBytes(const std::string& bytes) const;
    void remove() const;

private:
    ScratchFolder scratch;
    std::string path;
    bool hadFile = false;
    std::string previousBytes;
};

}  // namespace mq::test
