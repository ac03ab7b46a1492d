// Lends a test the machine's common folder, keeping its configuration file.
#include "../MachineDataFolder.h"

#include "config/Directories.h"
#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace mq::test {

namespace {
std::string dataFolderBelow(const std::string& common) {
    return common + "\\Kalmeno\\Quellan";
}
}  // namespace

struct MachineDataFolder::State {
    std::string common;
    std::string configurationFile;
    std::optional<std::string> savedConfiguration;
};

MachineDataFolder::MachineDataFolder() : state(std::make_unique<State>()) {
    platform::commonDataFolder(state->common);
    state->configurationFile = dataFolderBelow(state->common) + "\\MultiQuellanConfiguration.xml";
    if (platform::isReadableFile(state->configurationFile)) state->savedConfiguration = readFile(state->configurationFile);
}

MachineDataFolder::~MachineDataFolder() {
    std::error_code ignored;
    std::string folder = dataFolderBelow(state->common);
    // A test may have left a file where the folder belongs.
    if (!std::filesystem::is_directory(folder, ignored)) std::filesystem::remove(folder, ignored);
    createDirectories(folder);
    if (state->savedConfiguration)
        writeFile(state->configurationFile, *state->savedConfiguration);
    else
        std::filesystem::remove(state->configurationFile, ignored);
}

const std::string& MachineDataFolder::commonFolder() const {
    return state->common;
}

}  // namespace mq::test
