// The machine-wide data folder and configuration file, lent to one test.
#pragma once

#include "support/TestEnvironment.h"

#include <string>
#include <vector>

namespace mq::test {

// Points the library at a machine folder and a configuration file of the
// test's own. On Linux the machine folder is a scratch folder named by
// XDG_CONFIG_DIRS; on Windows it is the machine's own common folder, and
// whatever the configuration file held before is put back when the object
// goes (such tests hold CTest's configuration-file lock). Either way the
// test starts with no configuration file and may change the folder freely.
class MachineConfiguration {
public:
    MachineConfiguration();
    ~MachineConfiguration();
    MachineConfiguration(const MachineConfiguration&) = delete;
    MachineConfiguration& operator=(const MachineConfiguration&) = delete;

    // The common application-data folder, which the data folder lies below.
    const std::string& commonFolder() const { return common; }
    // True where that folder is the test's alone (Linux); on Windows every
    // test that loads the library may make the data folder in it at any time.
    bool ownsTheCommonFolder() const { return common.rfind(scratch.path(), 0) == 0; }
    const std::string& filePath() const { return path; }
    void writeChildren(const std::vector<std::string>& childPaths) const;
    void writeBytes(const std::string& bytes) const;
    void remove() const;

private:
    ScratchFolder scratch;
    std::string previousConfigDirs;
    std::string common;
    std::string folder;
    std::string path;
    bool hadFile = false;
    std::string previousBytes;
};

}  // namespace mq::test
