#include "support/MachineConfiguration.h"

#include "config/ConfigurationFileWriter.h"
#include "config/DataFolder.h"
#include "config/ModulePrefix.h"
#include "platform/FileSystem.h"
#include "support/Environment.h"

#include <cstdio>
#include <stdexcept>

namespace mq::test {

MachineConfiguration::MachineConfiguration() : scratch("machine") {
    setEnvironmentVariable("XDG_CONFIG_DIRS", scratch.path());
    path = dataFolder() + platform::PATH_SEPARATOR + MODULE_NAME + "Configuration.xml";
    hadFile = platform::isReadableFile(path);
    if (hadFile) previousBytes = readFile(path);
    remove();
}

MachineConfiguration::~MachineConfiguration() {
    if (hadFile)
        writeBytes(previousBytes);
    else
        remove();
}

void MachineConfiguration::writeChildren(const std::vector<std::string>& childPaths) const {
    if (!writeConfigurationFile(path, childPaths)) throw std::runtime_error("cannot write " + path);
}

void MachineConfiguration::writeBytes(const std::string& bytes) const {
    writeFile(path, bytes);
}

void MachineConfiguration::remove() const {
    std::remove(path.c_str());
}

}  // namespace mq::test
