// Filling the configuration record from the machine's configuration file.
#include "config/ConfigurationRecord.h"

#include "config/ConfigurationFilePath.h"
#include "config/ConfigurationFileReader.h"
#include "config/ModulePrefix.h"
#include "config/TrustedConfiguration.h"

#include <utility>

namespace mq {

void loadConfiguration(ConfigurationRecord& record, ConfigurationUse use) noexcept {
    record.configurationPath.clear();
    record.fileState = ConfigurationFileState::MISSING;
    record.fileProblem.clear();
    record.settings = ConfigurationSettings{};
    record.refusal.clear();
    setModulePrefix(MODULE_NAME);
    try {
        record.configurationPath = configurationFilePath();
    } catch (...) {
        return;
    }
    ConfigurationFile file = use == ConfigurationUse::EDIT
                                 ? readConfigurationSettings(record.configurationPath)
                                 : readTrustedConfiguration(record.configurationPath, record.refusal);
    record.fileState = file.state;
    record.fileProblem = std::move(file.problem);
    record.settings = std::move(file.settings);
}

}  // namespace mq
