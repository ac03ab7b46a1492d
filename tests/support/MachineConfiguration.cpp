// Lending a test the machine folder and its configuration file.
#include "support/MachineConfiguration.h"

#include "config/ConfigurationFileWriter.h"
#include "config/DataFolder.h"
#include "config/Directories.h"
#include "config/ModulePrefix.h"
#include "platform/FileSystem.h"
#include "support/Environment.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace mq::test {

MachineConfiguration::MachineConfiguration() : scratch("machine") {
    // Unset and empty mean the same to the library, so an empty text can stand for either.
    if (const char* value = std::getenv("XDG_CONFIG_DIRS")) previousConfigDirs = value;
    setEnvironmentVariable("XDG_CONFIG_DIRS", scratch.path());
    platform::commonDataFolder(common);
    folder = dataFolder();
    path = folder + platform::PATH_SEPARATOR + MODULE_NAME + "Configuration.xml";
    hadFile = platform::isReadableFile(path);
    if (hadFile) previousBytes = readFile(path);
    remove();
}

MachineConfiguration::~MachineConfiguration() {
    // A test may have removed the data folder, or left a file in its place.
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) std::filesystem::remove(folder, ignored);
    createDirectories(folder);
    if (hadFile)
        writeBytes(previousBytes);
    else
        remove();
    setEnvironmentVariable("XDG_CONFIG_DIRS", previousConfigDirs);
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
