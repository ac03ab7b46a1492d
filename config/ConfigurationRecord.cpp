// Filling the configuration record from the machine's configuration file.
#include "config/ConfigurationRecord.h"

#include "config/ConfigurationFilePath.h"
#include "config/ConfigurationFileReader.h"
#include "config/ModulePrefix.h"

#include <utility>

namespace mq {

void loadConfiguration(ConfigurationRecord& record) noexcept {
    record.configurationPath.clear();
    record.fileState = ConfigurationFileState::MISSING;
    record.fileProblem.clear();
    record.settings = ConfigurationSettings{};
    setModulePrefix(MODULE_NAME);
    try {
        record.configurationPath = configurationFilePath();
    } catch (...) {
        return;
    }
    ConfigurationFile file = readConfigurationSettings(record.configurationPath);
    record.fileState = file.state;
    record.fileProblem = std::move(file.problem);
    record.settings = std::move(file.settings);
}

}  // namespace mq
