// The machine-wide data folder, lent to one test and put back afterwards.
#pragma once

#include <memory>
#include <string>

namespace mq::test {

// While it lives, dataFolder() builds on a folder the test may change freely:
// on Linux a scratch folder named by XDG_CONFIG_DIRS, on Windows the real
// common folder, whose configuration file is saved and restored.
class MachineDataFolder {
public:
    MachineDataFolder();
    ~MachineDataFolder();
    MachineDataFolder(const MachineDataFolder&) = delete;
    MachineDataFolder& operator=(const MachineDataFolder&) = delete;

    // The common application-data folder, which the data folder lies below.
    const std::string& commonFolder() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

}  // namespace mq::test
